#include "app/link/TcpDialog.h"

namespace zovax {

TcpDialog::TcpDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmTcp"));
    setWindowTitle(QStringLiteral("Network Settings"));
    setModal(true);
}

} // namespace zovax
