#include "app/main/SerialBinding.h"

#include "app/link/ComDialog.h"
#include "app/main/MainWindow.h"
#include "core/session/Session.h"

#include <QAction>

#include <memory>

namespace zovax {

SerialBinding::SerialBinding(Session& session, MainWindow& main, const MainControls& ui)
    : session_(session), main_(main)
{
    // The port closes at shutdown, after the window has written the settings.
    connect(&main, &MainWindow::closed, this, [this] { session_.closeSerial(); });
    connect(ui.mmFileCom, &QAction::triggered, this, &SerialBinding::mmFileComClick);
}

SerialPort& SerialBinding::port()
{
    return session_.serial();
}

void SerialBinding::mmFileComClick()
{
    // Created for this one showing and released afterwards.
    auto frmCom = std::make_unique<ComDialog>(session_.settings().rs232c, session_.prompts(), &main_);
    frmCom->exec();
    const bool open = frmCom->btnOnMarker() == 1;
    const bool close = frmCom->btnOffMarker() == 1;
    frmCom.reset();
    if (open)
        session_.openSerial();
    else if (close)
        session_.closeSerial();
    if (session_.portOpen()) {
        session_.link().SendLine(QStringLiteral("Version"));
        session_.link().SendLine(QStringLiteral("Mode?"));
    }
}

} // namespace zovax
