#pragma once
// frmTws "ZOVAX Learning Table Write": registration of the code table in the board.
#include <QDialog>

namespace zovax {

class TwsDialog : public QDialog {
    Q_OBJECT
public:
    explicit TwsDialog(QWidget* parent = nullptr);
};

} // namespace zovax
