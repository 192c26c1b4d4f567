#include "app/wavetools/WaveEditDialog.h"

namespace zovax {

WaveEditDialog::WaveEditDialog(QWidget* parent) : QDialog(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("frmWaveEdit"));
    setWindowTitle(QStringLiteral("Wave Info."));
    setModal(false);
}

} // namespace zovax
