#pragma once
// frmTcp "Network Settings": the tool's target address and the board's own
// network configuration.
#include <QDialog>

namespace zovax {

class TcpDialog : public QDialog {
    Q_OBJECT
public:
    explicit TcpDialog(QWidget* parent = nullptr);
};

} // namespace zovax
