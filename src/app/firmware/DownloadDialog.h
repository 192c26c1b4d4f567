#pragma once
// frmDownload "Firmware Download": replaces the board's firmware from an Intel HEX file.
#include <QDialog>

namespace zovax {

class DownloadDialog : public QDialog {
    Q_OBJECT
public:
    explicit DownloadDialog(QWidget* parent = nullptr);
};

} // namespace zovax
