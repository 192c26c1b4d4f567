#include "app/shell/AppAssembly.h"

#include "app/firmware/DownloadDialog.h"
#include "app/firmware/FirmwareBinding.h"
#include "app/learning/AnalysisWindow.h"
#include "app/learning/LearningBinding.h"
#include "app/learning/WaveBinding.h"
#include "app/link/ConnectionBinding.h"
#include "app/link/SerialBinding.h"
#include "app/link/TcpDialog.h"
#include "app/shell/MsgBox.h"
#include "app/table/RegistrationBinding.h"
#include "app/table/TwsDialog.h"
#include "app/table/WaveListWindow.h"
#include "app/wavetools/WaveEditBinding.h"
#include "app/wavetools/WaveEditDialog.h"

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <QStyleFactory>

namespace zovax {

std::unique_ptr<MainWindow> createAppWindows(const MainWindowOptions& options)
{
    auto main = std::make_unique<MainWindow>(options);
    AppWindows w;
    w.frmDownload = new DownloadDialog(main.get());
    w.frmTcp = new TcpDialog(main.get());
    w.frmTws = new TwsDialog(main.get());
    w.frmWave = new WaveListWindow(main.get());
    w.frmWaveEdit = new WaveEditDialog(main.get());
    w.frmMsgBox = new MsgBox(main.get());
    main->attachWindows(w);
    new WaveBinding(*main, *w.frmWave); // zoom, scroll, cursors, Clear/Data, log double-click
    bindConnection(*main);
    bindFirmware(*main); // firmware update window (after the connection binding)
    bindSerial(*main); // the hidden serial settings menu item, the serial port
    bindLearning(*main); // learning, analysis and read-back decoding
    bindRegistration(*main); // registration and read-back requests (after the learning binding)
    bindWaveEdit(*main); // wave information editor: Wave Info, IR Out, OK
    bindAnalysisWindow(*main); // why a row decoded as it did: pop-up menu Analysis (after the learning binding)
    return main;
}

void prepareApplicationEnvironment()
{
    if (qEnvironmentVariableIsEmpty("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
}

void applyTheme()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette p;
    const QColor window(0xE6, 0xEA, 0xF0);
    const QColor base(0xFF, 0xFF, 0xFF);
    const QColor button(0xD9, 0xDF, 0xE8);
    const QColor text(0x1E, 0x29, 0x3B);
    const QColor highlight(0x5B, 0x7D, 0xB1);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(0xF2, 0xF4, 0xF8));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, button);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, highlight);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    QApplication::setPalette(p);
    QFont f(QStringLiteral("IPAPGothic"));
    f.setPointSize(9);
    QApplication::setFont(f);
}

} // namespace zovax
