#include "app/firmware/DownloadDialog.h"

namespace zovax {

DownloadDialog::DownloadDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmDownload"));
    setWindowTitle(QStringLiteral("Firmware Download"));
    setModal(true);
}

} // namespace zovax
