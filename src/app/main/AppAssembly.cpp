#include "app/main/AppAssembly.h"

#include "app/firmware/DownloadDialog.h"
#include "app/learning/AnalysisWindow.h"
#include "app/learning/WaveListWindow.h"
#include "app/link/TcpDialog.h"
#include "app/main/ConnectionBinding.h"
#include "app/main/FirmwareBinding.h"
#include "app/main/LearningBinding.h"
#include "app/main/RegistrationBinding.h"
#include "app/main/SerialBinding.h"
#include "app/main/WaveBinding.h"
#include "app/main/WaveEditBinding.h"
#include "app/table/TableController.h"
#include "app/table/TwsDialog.h"
#include "app/wavetools/WaveEditDialog.h"
#include "app/widgets/MsgBox.h"
#include "app/widgets/QtPorts.h"
#include "core/learning/LearningCore.h"

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <QStyleFactory>

namespace zovax {

Tool::Tool(const MainWindowOptions& options)
{
    SessionOptions so;
    so.settingsPath = settingsPathOf(options);
    so.prompts = options.prompts;
    if (!so.prompts) {
        ownPrompts_ = std::make_unique<QtPrompts>();
        so.prompts = ownPrompts_.get();
    }
    so.sounds = options.sounds;
    if (!so.sounds) {
        ownSounds_ = std::make_unique<SystemSounds>();
        so.sounds = ownSounds_.get();
    }
    so.learnNotice = this;
    session_ = std::make_unique<Session>(so);

    main_ = std::make_unique<MainWindow>(*session_);
    if (auto* prompts = dynamic_cast<QtPrompts*>(ownPrompts_.get()))
        prompts->setParent(main_.get());
    MainWindow& m = *main_;
    windows_.frmDownload = new DownloadDialog(&m);
    windows_.frmTcp = new TcpDialog(&m);
    windows_.frmTws = new TwsDialog(&m);
    windows_.frmWave = new WaveListWindow(&m);
    windows_.frmWaveEdit = new WaveEditDialog(&m);
    windows_.frmMsgBox = new MsgBox(&m);
    Session& s = *session_;
    // Why a row decoded as it did: opened from the grid's pop-up menu.
    windows_.frmAnalysis = new AnalysisWindow(
        s.table(), [&s](int row) { return s.learning().explainRow(row); }, &m);
    QObject::connect(&m.tableController(), &TableController::analysisRequested, windows_.frmAnalysis,
                     &AnalysisWindow::open);
    QObject::connect(&s, &Session::cursorMoved, windows_.frmAnalysis,
                     [a = windows_.frmAnalysis](int, int row) { a->followRow(row); });

    // The bindings get the window's controls from here, by reference; none of
    // them looks a control up by name.
    const MainControls& ui = m.ui_;
    // Zoom, scroll, cursors, Clear/Data, log double-click; the learning's store and list operations.
    WaveBinding::Hooks waveHooks{
        [&s](int channel, const QString& text) { s.learning().analyser().ShowResult(channel, text); },
        [&s](int channel) { s.learner().ClearWaveList(channel); },
    };
    wave_ = std::make_unique<WaveBinding>(s, m, ui, *windows_.frmWave, &s.waves(), std::move(waveHooks));
    connection_ = std::make_unique<ConnectionBinding>(s, m, ui, windows_.frmTcp);
    firmware_ = std::make_unique<FirmwareBinding>(s, m, ui, *windows_.frmDownload);
    serial_ = std::make_unique<SerialBinding>(s, m, ui);             // the hidden serial settings menu item
    learning_ = std::make_unique<LearningBinding>(s, m, ui, *wave_); // learning, analysis, read-back decoding
    registration_ = std::make_unique<RegistrationBinding>(s, m, ui, *windows_.frmTws);
    waveEdit_ = std::make_unique<WaveEditBinding>(s, m, ui, *windows_.frmWaveEdit); // Wave Info, IR Out, OK
}

Tool::~Tool()
{
    // Bindings first (in reverse order), while every window they watch is whole.
    waveEdit_.reset();
    registration_.reset();
    learning_.reset();
    serial_.reset();
    firmware_.reset();
    connection_.reset();
    wave_.reset();
    // The windows, before the session they observe; message boxes lose their parent.
    if (auto* prompts = dynamic_cast<QtPrompts*>(ownPrompts_.get()))
        prompts->setParent(nullptr);
    main_.reset();
    session_.reset();
}

bool Tool::show(const QString& caption, const QString& text)
{
    return windows_.frmMsgBox && windows_.frmMsgBox->showMessage(caption, text);
}

bool Tool::showing() const
{
    return windows_.frmMsgBox && windows_.frmMsgBox->isVisible();
}

ToolHandle createAppWindows(const MainWindowOptions& options)
{
    return ToolHandle(std::make_unique<Tool>(options));
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
