#include "core/session/Session.h"

#include "core/learning/LearnLines.h"
#include "core/learning/LearnView.h"
#include "core/link/NetAddress.h"
#include "core/shell/DataLocations.h"
#include "core/table/TableHost.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDir>
#include <QThread>

#include <algorithm>

namespace zovax {

namespace {

bool sameNetConfig(const SVCNF& a, const SVCNF& b)
{
    return a.MacAdrs == b.MacAdrs && a.SvIP == b.SvIP && a.NetMask == b.NetMask && a.Gateway == b.Gateway
        && a.PrimDNS == b.PrimDNS && a.SvPort == b.SvPort && a.LinkDown == b.LinkDown && a.RecvTout == b.RecvTout;
}

} // namespace

// The fire test's view: a grid without a cursor tests its first row.
class FireView : public FireTestView {
public:
    explicit FireView(Session& s) : s_(s) {}
    IrOutputs outputs() const override { return s_.irOutputs(); }
    bool cursorAuto() const override { return s_.cursorAuto(); }
    bool traceMode() const override { return s_.traceMode(); }
    int currentRow() const override { return s_.cursorRow() >= 1 ? s_.cursorRow() : 1; }
    void selectCell(int column, int row) override { s_.setCursor(column, row); }

private:
    Session& s_;
};

// The session seen through the small interfaces the flows were written
// against: each call reads or sets session state, or becomes a signal.
class Session::Adapters : public LearnView,
                          public TableHost,
                          public ReadBackView,
                          public RegistrationView,
                          public ConnectionView,
                          public Prompts,
                          public Sounds {
public:
    Adapters(Session& s, const SessionOptions& o)
        : fire(s), s_(s), prompts_(o.prompts), sounds_(o.sounds), notice_(o.learnNotice)
    {}

    FireView fire;

    // --- LearnView ---
    bool cursorAuto() const override { return s_.cursorAuto_; }
    bool learningMsg() const override { return s_.learningMsg_; }
    void setLearningMsg(bool on) override { s_.setLearningMsg(on); }
    bool pcode() const override { return s_.pcode_; }
    bool fullCode() const override { return s_.fullCode_; }
    bool traceMode() const override { return s_.traceMode_; }
    bool serialMenuVisible() const override { return s_.serialMenuShown_; }
    bool waveDataPanelVisible() const override { return s_.advancedControls_; }
    QString hRangeText() const override { return s_.hRangeText_; }
    QString wRangeText() const override { return s_.wRangeText_; }
    QString learningTimeText() const override { return s_.learningTimeText_; }
    void setLearningTimeText(const QString& text) override { s_.setLearningTimeText(text); }
    bool learnIndicatorLit() const override { return s_.learnLit_; }
    void setLearnIndicatorLook(bool on) override { s_.setLearnIndicator(on, on); }
    void setLearnIndicatorColourOff() override { s_.setLearnIndicator(false, s_.learnCaptionOn_); }
    void processEventsOnce() override { QCoreApplication::processEvents(); }
    void showProgress() override
    {
        s_.setProgress(0);
        s_.setProgressVisible(true);
    }
    void setProgress(int position) override { s_.setProgress(position); }
    void hideProgress() override { s_.setProgressVisible(false); }
    int currentRow() const override { return s_.cursorRow_; }
    int currentColumn() const override { return s_.cursorColumn_; }
    void selectCell(int column, int row) override { s_.setCursor(column, row); }
    void focusGrid() override { emit s_.gridFocusRequested(); }
    void DrawPulse(int channel, int index) override { emit s_.pulseDrawn(channel, index); }
    void ShowPulseInList(int channel, int index) override { emit s_.pulseListed(channel, index); }
    void ClearWaveArea(int channel) override { emit s_.waveAreaCleared(channel); }
    void clearWaveListView(int channel) override { emit s_.waveListCleared(channel); }
    void setLogicCell(int channel, int index, const QString& text) override
    {
        emit s_.logicCellSet(channel, index, text);
    }
    void drawLabel(int channel, const QString& label) override { emit s_.labelDrawn(channel, label); }
    bool showLearnMessage(const QString& caption, const QString& text) override
    {
        emit s_.messageShown(caption, text);
        return notice_ ? notice_->show(caption, text) : false;
    }
    bool learnMessageShowing() const override { return notice_ && notice_->showing(); }

    // --- TableHost (currentRow, selectCell, traceMode shared with LearnView) ---
    void clearWaveArea() override { emit s_.waveAreaCleared(kWaveChannels); }
    void resetLearnState() override { s_.learner().ResetLearnState(); }
    void setStatusPanel(int panel, const QString& text) override { s_.setStatusText(panel, text); }

    // --- ReadBackView ---
    bool newTable() override { return s_.tableCommands().mmCleateClick(); }
    void tableFileRestored(const QString& path) override { s_.setStatusText(2, path); }
    void setReadBackRow(int row) override { s_.learning().readBack().readBackRow = row; }
    void readBackStarted() override { emit s_.readBackStarted(); }
    void readBackProgress(int entry, int unanswered) override { emit s_.readBackProgress(entry, unanswered); }
    void readBackEnded() override { emit s_.readBackEnded(); }

    // --- RegistrationView ---
    void showStoreCommand(const QString& text) override { emit s_.storeCommandShown(text); }
    bool cancelRequested() const override { return false; } // the session's own writes run to their end
    void storingRows(bool on) override { emit s_.storingRows(on); }

    // --- ConnectionView: the status panel and host panel follow the link ---
    void onDialling(const QString& address) override
    {
        s_.setStatusText(0, address);
        s_.syncState();
    }
    void onConnected(const QString& host) override
    {
        s_.linkUp_ = true;
        s_.setStatusText(0, QStringLiteral("Connect: ") + host);
        const TCPIP& t = s_.settings_.tcpip;
        s_.setHostText(t.Host + QLatin1Char('/') + QString::number(t.Port));
        s_.syncState();
        emit s_.linkConnected(host);
    }
    void onDisconnected() override
    {
        s_.linkUp_ = false;
        // A dial or a link that failed names the reason in the panel and the log.
        const QString reason = s_.tcp().failureReason();
        if (reason.isEmpty()) {
            s_.setStatusText(0, QStringLiteral("Disconnect"));
        } else {
            s_.setStatusText(0, QStringLiteral("Disconnect: ") + reason);
            s_.log().append(QStringLiteral("Socket Error! %1 (%2/%3)")
                                .arg(reason, s_.tcp().dialAddress())
                                .arg(s_.settings_.tcpip.Port));
        }
        s_.syncState();
        emit s_.linkDisconnected();
    }

    // --- Prompts ---
    MsgAnswer ask(const QString& caption, const QString& text, MsgIcon icon, MsgButtons buttons) override
    {
        emit s_.messageShown(caption, text);
        if (prompts_)
            return prompts_->ask(caption, text, icon, buttons);
        return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
    }

    // --- Sounds ---
    void play(Sound sound) override
    {
        if (sounds_)
            sounds_->play(sound);
    }

private:
    Session& s_;
    Prompts* prompts_;
    Sounds* sounds_;
    LearnNotice* notice_;
};

Session::Session(const SessionOptions& options, QObject* parent)
    : QObject(parent), settingsPath_(options.settingsPath), adapters_(std::make_unique<Adapters>(*this, options))
{
    Adapters& a = *adapters_;
    log_ = std::make_unique<SessionLog>();
    table_ = std::make_unique<CodeTable>();
    link_ = std::make_unique<DeviceLink>(settings_, *log_);
    tcp_ = std::make_unique<TcpConnection>(*link_, a, a);
    serial_ = std::make_unique<SerialPort>(*link_, a);
    learning_ = std::make_unique<LearningCore>(*link_, *table_, a, a, a, *log_);
    tableCommands_ = std::make_unique<TableCommands>(*table_, settings_, a, *log_, a);
    registration_ = std::make_unique<Registration>(*link_, *table_, a);
    netConfig_ = std::make_unique<NetConfig>(*link_, [this] { return commandLineText_; });
    console_ = std::make_unique<Console>(*link_, a);
    fireTest_ = std::make_unique<FireTest>(*link_, *table_, a);
    firmware_ = std::make_unique<FirmwareUpdate>(*link_, *tcp_, a, a);

    learning_->installHandlers(link_->handlers);
    link_->handlers.HandleConfigLine = [this](const QString& line) { netConfig_->HandleConfigLine(line); };
    link_->handlers.HandleDownloadData = [this](const QByteArray& bytes) { firmware_->HandleDownloadData(bytes); };
    // Status panel 0 says that the board runs its loader.
    connect(link_.get(), &DeviceLink::boardInLoader, this,
            [this] { setStatusText(0, QStringLiteral("Loader: ") + settings_.tcpip.Host); });
    tcp_->addView(&a);
    connect(serial_.get(), &SerialPort::portTextShown, this, [this](const QString& text) { setStatusText(0, text); });
    connect(netConfig_.get(), &NetConfig::hostPanelShown, this, &Session::setHostText);
    connect(netConfig_.get(), &NetConfig::hangUpRequested, this, [this] { connectTcp(false); });
    connect(console_.get(), &Console::historyAdded, this, &Session::commandHistoryAdded);
    connect(console_.get(), &Console::targetAdopted, this, [this](const QString& host, int port) {
        setHostText(host + QLatin1Char('/') + QString::number(port));
        emit targetAdopted(host, port);
    });

    // The learning parameters and the host text start from the defaults.
    const LearnParams d;
    hRangeText_ = QString::number(d.hRangePercent);
    wRangeText_ = QString::number(d.wRangePercent);
    learningTimeText_ = QString::number(d.learnTimeUs / 1000);
    hostText_ = NormalizeIp(settings_.tcpip.Host) + QLatin1Char('/') + QString::number(settings_.tcpip.Port);
    shownNet_ = settings_.svcnf;

    // Whenever the event loop turns (a wait, a nested loop, processEvents).
    if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance(thread())) {
        blockWatch_ = connect(d, &QAbstractEventDispatcher::aboutToBlock, this, &Session::syncState);
        awakeWatch_ = connect(d, &QAbstractEventDispatcher::awake, this, &Session::syncState);
    }
}

Session::~Session()
{
    disconnect(blockWatch_);
    disconnect(awakeWatch_);
    // Views of the link go first: nothing may report to a half-destroyed session.
    tcp_->removeView(adapters_.get());
    link_->handlers = LinkHandlers{};
    firmware_.reset();
    fireTest_.reset();
    console_.reset();
    netConfig_.reset();
    registration_.reset();
    tableCommands_.reset();
    learning_.reset();
    serial_.reset();
    tcp_.reset();
    link_.reset();
}

Prompts& Session::prompts()
{
    return *adapters_;
}

Sounds& Session::sounds()
{
    return *adapters_;
}

TableHost& Session::tableHost()
{
    return *adapters_;
}

LearnView& Session::learnView()
{
    return *adapters_;
}

void Session::loadSettings()
{
    if (!settingsPath_.isEmpty())
        settings_ = LoadSettings(settingsPath_);
    link_->setSerialMode(SerialLineAssembler::modeFor(settings_.rs232c.RecvDlmt));
    setHRangeText(QString::number(settings_.learn.hRangePercent));
    setWRangeText(QString::number(settings_.learn.wRangePercent));
    setLearningTimeText(QString::number(settings_.learn.learnTimeUs / 1000));
    setHostText(NormalizeIp(settings_.tcpip.Host) + QLatin1Char('/') + QString::number(settings_.tcpip.Port));
    shownNet_ = settings_.svcnf;
    emit settingsChanged();
}

bool Session::saveSettings()
{
    settings_.learn = learnParamsAsTyped();
    if (settingsPath_.isEmpty())
        return true;
    // The per-user folder is created the first time settings are kept there.
    if (settingsPath_.startsWith(userDataFolder() + QLatin1Char('/')))
        QDir().mkpath(userDataFolder());
    if (SaveSettings(settings_, settingsPath_))
        return true;
    setStatusText(0, QStringLiteral("NG ... ") + QDir::toNativeSeparators(settingsPath_));
    return false;
}

LearnParams Session::learnParamsAsTyped() const
{
    return learnParamsFromBoxes(hRangeText_, wRangeText_, learningTimeText_);
}

LearnParams Session::learnParamsForLearning() const
{
    LearnParams p = learnParamsAsTyped();
    p.learnTimeUs = std::max(p.learnTimeUs, kMinLearningTimeMs * 1000);
    return p;
}

void Session::connectTcp(bool on)
{
    tcp_->ConnectTcp(on);
    syncState();
}

bool Session::openSerial()
{
    const bool ok = serial_->OpenPort(true);
    syncState();
    return ok;
}

void Session::closeSerial()
{
    serial_->ClosePort();
    syncState();
}

void Session::send(const QString& text)
{
    console_->Send(text);
    syncState();
}

void Session::toggleLearning()
{
    learner().ToggleLearning();
    syncState();
}

bool Session::fire()
{
    return fireTest_->run(adapters_->fire);
}

Registration::WriteResult Session::registerTable()
{
    if (!registration_->beginRegistration()) {
        Registration::WriteResult r;
        r.outcome = Registration::WriteOutcome::Busy;
        return r;
    }
    syncState();
    const Registration::WriteResult r = writeTable();
    registration_->endRegistration();
    syncState();
    return r;
}

Registration::WriteResult Session::writeTable(RegistrationView* view)
{
    const Registration::WriteResult r = registration_->WriteTableToBoard(view ? *view : *adapters_);
    syncState();
    return r;
}

Registration::ReadBackOutcome Session::readBack()
{
    const Registration::ReadBackOutcome r = registration_->RequestTableReadBack(*adapters_);
    syncState();
    return r;
}

void Session::setTraceMode(bool on)
{
    setFlag(traceMode_, on, &Session::traceModeChanged);
}

void Session::syncState()
{
    const LinkState& now = link_->state();
    LinkState was = shown_;
    shown_ = now;
    if (was.tcpConnected != now.tcpConnected)
        emit tcpConnectedChanged(now.tcpConnected);
    if (was.portOpen != now.portOpen)
        emit portOpenChanged(now.portOpen);
    if (was.tableWriteMode != now.tableWriteMode)
        emit tableWriteModeChanged(now.tableWriteMode);
    if (was.tableReadMode != now.tableReadMode)
        emit tableReadModeChanged(now.tableReadMode);
    if (!sameNetConfig(shownNet_, settings_.svcnf)) {
        shownNet_ = settings_.svcnf;
        emit netConfigChanged();
    }
}

// Sets one shown flag and reports a change.
void Session::setFlag(bool& member, bool on, void (Session::*changed)(bool))
{
    if (member == on)
        return;
    member = on;
    emit(this->*changed)(on);
}

void Session::setCursorAuto(bool on)
{
    setFlag(cursorAuto_, on, &Session::cursorAutoChanged);
}

void Session::setLearningMsg(bool on)
{
    setFlag(learningMsg_, on, &Session::learningMsgChanged);
}

void Session::setPcode(bool on)
{
    setFlag(pcode_, on, &Session::pcodeChanged);
}

void Session::setFullCode(bool on)
{
    setFlag(fullCode_, on, &Session::fullCodeChanged);
}

void Session::setAdvancedControls(bool on)
{
    setFlag(advancedControls_, on, &Session::advancedControlsChanged);
}

void Session::setSerialMenuShown(bool on)
{
    setFlag(serialMenuShown_, on, &Session::serialMenuShownChanged);
}

void Session::setIrOutput(int index, bool on)
{
    if (index < 0 || index >= int(irOutputs_.size()) || irOutputs_[std::size_t(index)] == on)
        return;
    irOutputs_[std::size_t(index)] = on;
    emit irOutputsChanged();
}

void Session::setHRangeText(const QString& text)
{
    if (hRangeText_ == text)
        return;
    hRangeText_ = text;
    emit learnParamTextsChanged();
}

void Session::setWRangeText(const QString& text)
{
    if (wRangeText_ == text)
        return;
    wRangeText_ = text;
    emit learnParamTextsChanged();
}

void Session::setLearningTimeText(const QString& text)
{
    if (learningTimeText_ == text)
        return;
    learningTimeText_ = text;
    emit learnParamTextsChanged();
}

void Session::setLearnIndicator(bool lit, bool captionOn)
{
    // Reported even without a change: the indicator is redrawn as told.
    learnLit_ = lit;
    learnCaptionOn_ = captionOn;
    emit learnIndicatorChanged(lit, captionOn);
}

void Session::setProgress(int position)
{
    if (progress_ == position)
        return;
    progress_ = position;
    emit progressChanged(position);
}

void Session::setProgressVisible(bool visible)
{
    if (progressVisible_ == visible)
        return;
    progressVisible_ = visible;
    emit progressVisibleChanged(visible);
}

void Session::setCursor(int column, int row)
{
    if (cursorColumn_ == column && cursorRow_ == row)
        return;
    cursorColumn_ = column;
    cursorRow_ = row;
    emit cursorMoved(column, row);
}

QString Session::statusText(int panel) const
{
    return panel >= 0 && panel < kStatusPanels ? statusTexts_[std::size_t(panel)] : QString();
}

void Session::setStatusText(int panel, const QString& text)
{
    if (panel < 0 || panel >= kStatusPanels || statusTexts_[std::size_t(panel)] == text)
        return;
    statusTexts_[std::size_t(panel)] = text;
    emit statusTextChanged(panel, text);
}

void Session::setHostText(const QString& text)
{
    if (hostText_ == text)
        return;
    hostText_ = text;
    emit hostTextChanged(text);
}

} // namespace zovax
