#include "app/table/TwsDialog.h"

namespace zovax {

TwsDialog::TwsDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmTws"));
    setWindowTitle(QStringLiteral("ZOVAX Learning Table Write"));
    setModal(true);
}

} // namespace zovax
