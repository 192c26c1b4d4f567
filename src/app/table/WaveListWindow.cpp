#include "app/table/WaveListWindow.h"

namespace zovax {

WaveListWindow::WaveListWindow(QWidget* parent) : QDialog(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("frmWave"));
    setWindowTitle(QStringLiteral("Wave Data"));
    setModal(false);
}

} // namespace zovax
