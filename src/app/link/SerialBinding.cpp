#include "app/link/SerialBinding.h"

#include "app/link/ComDialog.h"
#include "app/shell/MainWindow.h"
#include "core/link/DeviceLink.h"
#include "core/link/SerialPort.h"

#include <QAction>

#include <memory>

namespace zovax {

SerialBinding::SerialBinding(MainWindow& main) : QObject(&main), main_(main)
{
    setObjectName(QStringLiteral("serialBinding"));
    port_ = new SerialPort(main.link(), main.prompts(), this);
    port_->showPortText = [this](const QString& text) { main_.setStatusText(0, text); };
    main.ClosePort = [this] { port_->ClosePort(); };
    connect(main.mmFileCom, &QAction::triggered, this, &SerialBinding::mmFileComClick);
}

SerialBinding* SerialBinding::of(MainWindow& main)
{
    return main.findChild<SerialBinding*>(QStringLiteral("serialBinding"), Qt::FindDirectChildrenOnly);
}

void SerialBinding::mmFileComClick()
{
    // Created for this one showing and released afterwards.
    auto frmCom = std::make_unique<ComDialog>(main_.settings.rs232c, main_.prompts(), &main_);
    frmCom->exec();
    const bool open = frmCom->btnOnMarker == 1;
    const bool close = frmCom->btnOffMarker == 1;
    frmCom.reset();
    if (open)
        port_->OpenPort(true);
    else if (close)
        port_->ClosePort();
    DeviceLink& link = main_.link();
    if (link.state().portOpen) {
        link.SendLine(QStringLiteral("Version"));
        link.SendLine(QStringLiteral("Mode?"));
    }
}

SerialBinding* bindSerial(MainWindow& main)
{
    return new SerialBinding(main);
}

} // namespace zovax
