#include "cli/BoardCommands.h"

#include "cli/CliCommon.h"
#include "cli/Progress.h"
#include "cli/TableCommand.h"
#include "core/link/NetConfig.h"
#include "core/session/Session.h"
#include "core/table/TableFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <map>
#include <memory>

namespace zovax::cli {

namespace {

constexpr int kDefaultTimeoutMs = 2000;
constexpr int kQuietMs = 150;          // a reply is complete after this much silence
constexpr int kPressTimeoutMs = 60000; // longest wait for a button press while learning

// The network dialog's right-hand group without a dialog: the fields hold
// texts as typed, and the report of the board's configuration is complete
// once the group is shown.
class FieldsView : public NetConfigView {
public:
    std::map<ConfigField, QString> fields;
    bool groupShown = false;

    QString fieldText(ConfigField f) const override
    {
        const auto it = fields.find(f);
        return it == fields.end() ? QString() : it->second;
    }
    void setFieldText(ConfigField f, const QString& text) override { fields[f] = text; }
    void ShowConfigGroup(bool enabled) override { groupShown = enabled; }
    void setUpdateCaption(const QString&) override {}
    void enableMacField() override {}
    void fillHostGroup() override {}
    void setTargetHost(const QString&) override {}
    void setTargetPort(int) override {}
};

struct ConfigKey {
    const char* key;
    ConfigField field;
    const char* label;
};
const ConfigKey kConfigKeys[] = {
    {"mac", ConfigField::MacAdrs, "MAC address"},
    {"ip", ConfigField::SvIP, "IP address"},
    {"port", ConfigField::SvPort, "Port"},
    {"mask", ConfigField::NetMask, "Subnet mask"},
    {"gateway", ConfigField::Gateway, "Gateway"},
    {"dns", ConfigField::PrimDNS, "DNS server"},
    {"linkdown", ConfigField::LinkDown, "Link-down time-out (s)"},
    {"timeout", ConfigField::RecvTout, "Receive time-out (s)"},
};

// A dotted IPv4 address, each part 0..255 (zero padding allowed).
bool validAddress(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString& p : parts) {
        int v = 0;
        if (p.isEmpty() || p.size() > 3 || !parseBounded(p, 0, 255, v))
            return false;
    }
    return true;
}

bool validMac(const QString& text)
{
    QString hex = text;
    hex.remove(QLatin1Char('-')).remove(QLatin1Char(':'));
    if (hex.size() != 12)
        return false;
    for (QChar c : hex) {
        if (!isxdigit(c.toLatin1()))
            return false;
    }
    return true;
}

// The pattern pairs registration stores: up to and including the first pair
// whose High and Width are both 0.
int storedPairs(const TableEntry& e)
{
    for (int i = 0; i < kPatternPairs; ++i) {
        if (e.high[size_t(i)] == 0 && e.width[size_t(i)] == 0)
            return i + 1;
    }
    return kPatternPairs;
}

QString symbols(const TableEntry& e)
{
    QString s;
    for (int j = 0; j < std::clamp(e.dataCount, 0, kDataSymbols); ++j)
        s += QString::number(e.data[size_t(j)] & 0xF, 16).toUpper();
    return s;
}

} // namespace

std::vector<Difference> compareTables(const CodeTable& file, const CodeTable& board, int lastRow)
{
    std::vector<Difference> out;
    for (int r = 1; r <= lastRow; ++r) {
        const TableEntry& f = file.entry(r);
        const TableEntry& b = board.entry(r);
        const bool fileUsed = !file.cell(kColCarry, r).trimmed().isEmpty();
        const bool boardUsed = b.flag != 999 && !board.cell(kColCarry, r).trimmed().isEmpty();
        if (!fileUsed && !boardUsed)
            continue;
        if (fileUsed != boardUsed) {
            out.push_back({r, QStringLiteral("entry"), fileUsed ? QStringLiteral("stored") : QStringLiteral("empty"),
                           boardUsed ? QStringLiteral("stored") : QStringLiteral("empty")});
            continue;
        }
        auto num = [&](const char* field, int a, int c) {
            if (a != c)
                out.push_back({r, QLatin1String(field), QString::number(a), QString::number(c)});
        };
        num("carrier", f.carrier, b.carrier);
        num("dataCount", f.dataCount, b.dataCount);
        num("repeat", f.repeat, b.repeat);
        const int pairs = storedPairs(f);
        for (int i = 0; i < pairs; ++i) {
            if (f.high[size_t(i)] != b.high[size_t(i)] || f.width[size_t(i)] != b.width[size_t(i)])
                out.push_back({r, QStringLiteral("pattern %1").arg(i),
                               QStringLiteral("%1 %2").arg(f.high[size_t(i)]).arg(f.width[size_t(i)]),
                               QStringLiteral("%1 %2").arg(b.high[size_t(i)]).arg(b.width[size_t(i)])});
        }
        if (f.dataCount == b.dataCount && symbols(f) != symbols(b))
            out.push_back({r, QStringLiteral("data"), symbols(f), symbols(b)});
    }
    return out;
}

namespace {

// One run of a board subcommand: the session, its link, the waits.
class BoardRun {
public:
    BoardRun(const ParsedArgs& a, const Io& io, const QString& settingsPath) : a_(a), io_(io)
    {
        SessionOptions o;
        o.settingsPath = settingsPath;
        s_ = std::make_unique<Session>(o);
        QObject::connect(s_.get(), &Session::messageShown, [this](const QString& caption, const QString& text) {
            messages_ << caption + QStringLiteral(": ") + text.trimmed().replace(QLatin1Char('\n'), QLatin1Char(' '));
        });
        QObject::connect(&s_->log(), &SessionLog::appended, [this](const QString& line) { replies_ << line; });
        QObject::connect(s_.get(), &Session::linkDisconnected, [this] { linkDown_ = true; });
        ticker_.setInterval(10); // wakes the waits below
    }
    ~BoardRun() { close(); }

    Session& s() { return *s_; }
    int timeoutMs() const { return timeoutMs_; }
    QStringList& replies() { return replies_; }
    QStringList& messages() { return messages_; }
    bool linkDown() const { return linkDown_ || !(s_->tcpConnected() || s_->portOpen()); }

    // Options, then the settings; 0 or a usage error.
    int prepare()
    {
        s_->loadSettings();
        Settings& st = s_->settings();
        if (a_.has(QStringLiteral("timeout"))
            && !parseBounded(a_.value(QStringLiteral("timeout")), 1, 3600000, timeoutMs_))
            return usage(
                QStringLiteral("--timeout takes milliseconds, 1 or more: %1").arg(a_.value(QStringLiteral("timeout"))));
        if (a_.has(QStringLiteral("host")))
            st.tcpip.Host = a_.value(QStringLiteral("host"));
        if (a_.has(QStringLiteral("port")) && !parseBounded(a_.value(QStringLiteral("port")), 1, 65535, st.tcpip.Port))
            return usage(
                QStringLiteral("--port takes a TCP port 1 to 65535: %1").arg(a_.value(QStringLiteral("port"))));
        serial_ = a_.has(QStringLiteral("serial"));
        if (serial_ && (a_.has(QStringLiteral("host")) || a_.has(QStringLiteral("port"))))
            return usage(QStringLiteral("--serial cannot be combined with --host or --port"));
        if (serial_) {
            if (a_.value(QStringLiteral("serial")).trimmed().isEmpty())
                return usage(QStringLiteral("--serial takes the serial port's device path"));
            st.rs232c.PortName = a_.value(QStringLiteral("serial"));
            // Over the serial link the tool paces every sequence on the board's
            // answers as over TCP: table mode, read-back, learning and the
            // network configuration all wait for acknowledging replies.
            s_->link().setSerialRoutedLikeTcp(true);
        }
        s_->tcp().setDialTimeoutMs(timeoutMs_);
        Registration::Waits& w = s_->registration().waits;
        w.tableModeMs = w.storeMs = w.requestMs = w.endMs = timeoutMs_;
        w.eraseMs = std::max(timeoutMs_, Registration::Waits{}.eraseMs);
        return kExitOk;
    }

    QString target() const
    {
        const Settings& st = s_->settings();
        return serial_ ? st.rs232c.PortName : st.tcpip.Host + QLatin1Char('/') + QString::number(st.tcpip.Port);
    }

    // Connects; 0, or the exit status after the message.
    int open()
    {
        if (serial_) {
            s_->setSerialMenuShown(true);
            if (!s_->openSerial())
                return unreachable(QStringLiteral("cannot open the serial port %1").arg(target()));
            // The port's receive side needs a moment before the first command.
            waitFor([] { return false; }, 50);
            return kExitOk;
        }
        s_->connectTcp(true);
        if (!waitFor([this] { return s_->tcpConnected() || linkDown_; }, timeoutMs_ + 500) || !s_->tcpConnected())
            return unreachable(QStringLiteral("cannot reach the board at %1").arg(target()));
        linkDown_ = false;
        replies_.clear();
        return kExitOk;
    }

    void close()
    {
        if (!s_)
            return;
        if (s_->tcpConnected())
            s_->connectTcp(false);
        if (s_->portOpen())
            s_->closeSerial();
    }

    // Runs the event loop until `done` holds (true) or ms have passed (false).
    bool waitFor(const std::function<bool()>& done, int ms)
    {
        QElapsedTimer t;
        t.start();
        ticker_.start();
        bool ok = done();
        while (!ok && t.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            ok = done();
        }
        ticker_.stop();
        return ok;
    }

    // Reply lines of the receive log after a command: the first within the
    // time-out, then more until the board has been quiet for quietMs.
    bool collectReplies(int quietMs)
    {
        if (!waitFor([this] { return !replies_.isEmpty() || linkDown(); }, timeoutMs_) || replies_.isEmpty())
            return false;
        int seen = -1;
        while (seen != replies_.size() && !linkDown()) {
            seen = int(replies_.size());
            waitFor([&] { return replies_.size() != seen || linkDown(); }, quietMs);
        }
        return true;
    }

    int usage(const QString& text)
    {
        io_.error(text);
        return kExitUsage;
    }
    int unreachable(const QString& text)
    {
        io_.error(text + messageTail());
        return kExitUnreachable;
    }
    int failure(const QString& text)
    {
        io_.error(text + messageTail());
        return kExitFailure;
    }
    QString messageTail() const
    {
        return messages_.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(messages_.join(QStringLiteral("; ")));
    }

private:
    const ParsedArgs& a_;
    const Io& io_;
    std::unique_ptr<Session> s_;
    QTimer ticker_;
    int timeoutMs_ = kDefaultTimeoutMs;
    bool serial_ = false;
    bool linkDown_ = false;
    QStringList replies_;
    QStringList messages_;
};

int versionCommand(BoardRun& run, const Io& io)
{
    run.replies().clear();
    run.s().send(QStringLiteral("Ver"));
    if (!run.collectReplies(kQuietMs))
        return run.unreachable(QStringLiteral("the board at %1 did not answer \"Ver\"").arg(run.target()));
    for (const QString& l : run.replies())
        io.line(l);
    return kExitOk;
}

int sendCommand(BoardRun& run, const ParsedArgs& a, const Io& io)
{
    int quiet = 300;
    if (a.has(QStringLiteral("wait")) && !parseBounded(a.value(QStringLiteral("wait")), 0, 600000, quiet))
        return run.usage(QStringLiteral("--wait takes milliseconds: %1").arg(a.value(QStringLiteral("wait"))));
    const QString text = a.positional.at(0);
    if (text.isEmpty())
        return run.usage(QStringLiteral("the command text is empty"));
    run.replies().clear();
    run.s().setCommandLineText(text);
    run.s().send(text);
    // Lines the board's answer routes elsewhere (learn mode changes) end the
    // wait as well: the acknowledgement flag is set by any ordinary reply.
    const bool answered = run.collectReplies(quiet) || run.s().link().WaitAck(0);
    for (const QString& l : run.replies())
        io.line(l);
    if (run.linkDown() && !answered)
        return run.unreachable(QStringLiteral("the link to %1 went down").arg(run.target()));
    if (!answered)
        return run.unreachable(QStringLiteral("no reply to \"%1\" within %2 ms").arg(text).arg(run.timeoutMs()));
    return kExitOk;
}

// Outputs "1,3" -> IR1 and IR3; false on anything else.
bool parseOutputs(const QString& text, std::array<bool, 4>& outs)
{
    outs.fill(false);
    const QStringList list = text.split(QLatin1Char(','));
    for (const QString& item : list) {
        int n = 0;
        if (!parseBounded(item, 1, 4, n))
            return false;
        outs[size_t(n - 1)] = true;
    }
    return true;
}

int fireCommand(BoardRun& run, const CodeTable& file, int row, const std::array<bool, 4>& outs)
{
    Session& s = run.s();
    for (int r = 1; r <= kTableRows; ++r)
        s.table().setRow(r, {file.cell(1, r), file.cell(2, r), file.cell(3, r), file.cell(4, r)}, file.entry(r));
    for (int i = 0; i < 4; ++i)
        s.setIrOutput(i, outs[size_t(i)]);
    s.setCursorAuto(false);
    s.setCursor(kColCarry, row);
    run.replies().clear();
    if (!s.fire())
        return run.failure(QStringLiteral("the fire test of row %1 was not sent").arg(row));
    // The fire test does not wait for the board; its answers are collected here.
    const bool answered = run.collectReplies(kQuietMs);
    for (const QString& l : run.replies()) {
        if (l.contains(QLatin1String("Error")))
            return run.failure(QStringLiteral("the board refused row %1: %2").arg(row).arg(l));
    }
    if (!answered)
        return run.unreachable(run.linkDown()
                                   ? QStringLiteral("the link to %1 went down").arg(run.target())
                                   : QStringLiteral("the board at %1 did not answer the fire test").arg(run.target()));
    return kExitOk;
}

int rowsInUse(const CodeTable& t)
{
    int n = 0;
    for (int r = 1; r <= kTableRows; ++r)
        n += t.cell(kColCarry, r).trimmed().isEmpty() ? 0 : 1;
    return n;
}

int registerCommand(BoardRun& run, const CodeTable& file, const Io& io)
{
    Session& s = run.s();
    for (int r = 1; r <= kTableRows; ++r)
        s.table().setRow(r, {file.cell(1, r), file.cell(2, r), file.cell(3, r), file.cell(4, r)}, file.entry(r));
    Progress bar(io.err, io.errIsTerminal, QStringLiteral("register"), rowsInUse(file));
    int stored = 0;
    QObject::connect(&s, &Session::storeCommandShown, [&](const QString&) { bar.update(++stored); });
    QElapsedTimer t;
    t.start();
    const Registration::WriteResult w = s.registerTable();
    if (io.exchangeTimed)
        io.exchangeTimed("register", t.nsecsElapsed() / 1e6);
    bar.finish();
    using O = Registration::WriteOutcome;
    switch (w.outcome) {
    case O::Completed: return kExitOk;
    case O::NoAnswer:
        return run.unreachable(QStringLiteral("the board at %1 did not answer the start of registration; nothing was "
                                              "written")
                                   .arg(run.target()));
    case O::RowUnanswered:
        return run.unreachable(QStringLiteral("the board stopped answering at row %1 (%2 rows stored)")
                                   .arg(w.stoppedAtRow)
                                   .arg(w.rowsStored));
    case O::LinkLost:
        return run.unreachable(QStringLiteral("the link to %1 went down during registration (%2 rows stored)")
                                   .arg(run.target())
                                   .arg(w.rowsStored));
    case O::Cancelled:
    case O::Busy: break;
    }
    return run.failure(QStringLiteral("registration was not carried out"));
}

// Reads the board's table (entries 1..250) into the session's table; 0 when
// every entry was answered and the board confirmed the end.
int readBoardTable(BoardRun& run, const Io& io)
{
    Session& s = run.s();
    Progress bar(io.err, io.errIsTerminal, QStringLiteral("readback"), Registration::kReadBackEntries);
    int unanswered = 0;
    int lastEntry = 0;
    QObject::connect(&s, &Session::readBackProgress, [&](int entry, int missing) {
        bar.update(entry - 1);
        lastEntry = entry;
        unanswered = missing;
        if (missing > 0)
            s.registration().stopReadBack(); // a board that stopped answering: no partial table
    });
    QElapsedTimer t;
    t.start();
    const Registration::ReadBackOutcome o = s.readBack();
    if (io.exchangeTimed)
        io.exchangeTimed("readback", t.nsecsElapsed() / 1e6);
    bar.finish();
    using O = Registration::ReadBackOutcome;
    if (run.linkDown() || o == O::LinkLost)
        return run.unreachable(QStringLiteral("the link to %1 went down during the read-back").arg(run.target()));
    if (o == O::NoAnswer)
        return run.unreachable(
            QStringLiteral("the board at %1 did not answer the read-back request").arg(run.target()));
    if (unanswered > 0 || o == O::Cancelled)
        return run.unreachable(
            QStringLiteral("the board stopped answering at entry %1").arg(std::max(1, lastEntry - 1)));
    if (o != O::Requested)
        return run.failure(QStringLiteral("the read-back was not carried out"));
    if (s.tableReadMode())
        return run.unreachable(QStringLiteral("the board did not confirm the end of the read-back"));
    return kExitOk;
}

int readbackCommand(BoardRun& run, const ParsedArgs& a, const Io& io)
{
    if (const int st = readBoardTable(run, io))
        return st;
    const CodeTable& t = run.s().table();
    if (a.has(QStringLiteral("output"))) {
        // The file the windows save after a read-back, written whole or not at all.
        const QString path = a.value(QStringLiteral("output"));
        const TableSaveResult r = SaveTableFile(run.s().table(), path, run.s().prompts());
        if (!r.ok)
            return run.failure(notWrittenText(path, r.message));
    }
    if (a.has(QStringLiteral("json"))) {
        QJsonArray rows;
        for (int r = 1; r <= Registration::kReadBackEntries; ++r) {
            if (rowInUse(t, r))
                rows.append(rowJson(t, r));
        }
        io.print(QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("rows"), rows}}).toJson()));
    } else if (!a.has(QStringLiteral("output"))) {
        for (int r = 1; r <= Registration::kReadBackEntries; ++r) {
            if (rowInUse(t, r))
                io.line(rowLine(t, r));
        }
    }
    return kExitOk;
}

int verifyCommand(BoardRun& run, const ParsedArgs& a, const CodeTable& file, const Io& io)
{
    int beyond = 0;
    for (int r = Registration::kReadBackEntries + 1; r <= kTableRows; ++r)
        beyond += file.cell(kColCarry, r).trimmed().isEmpty() ? 0 : 1;
    if (const int st = readBoardTable(run, io))
        return st;
    if (beyond > 0)
        io.error(QStringLiteral("%1 rows above %2 are not compared: the board reads back entries 1 to %2 only")
                     .arg(beyond)
                     .arg(Registration::kReadBackEntries));
    const std::vector<Difference> diffs = compareTables(file, run.s().table(), Registration::kReadBackEntries);
    if (a.has(QStringLiteral("json"))) {
        QJsonArray list;
        for (const Difference& d : diffs)
            list.append(QJsonObject{{QStringLiteral("row"), d.row},
                                    {QStringLiteral("field"), d.field},
                                    {QStringLiteral("file"), d.file},
                                    {QStringLiteral("board"), d.board}});
        io.print(QString::fromUtf8(
            QJsonDocument(QJsonObject{{QStringLiteral("rowsCompared"), Registration::kReadBackEntries},
                                      {QStringLiteral("differences"), list}})
                .toJson()));
    } else {
        for (const Difference& d : diffs)
            io.line(QStringLiteral("row %1: %2: file %3, board %4")
                        .arg(d.row, 4, 10, QLatin1Char('0'))
                        .arg(d.field, d.file, d.board));
    }
    return diffs.empty() ? kExitOk : kExitFailure;
}

int learnCommand(BoardRun& run, const ParsedArgs& a, const Io& io)
{
    Session& s = run.s();
    int count = 1, row = 1;
    if (a.has(QStringLiteral("count")) && !parseBounded(a.value(QStringLiteral("count")), 1, kTableRows, count))
        return run.usage(
            QStringLiteral("--count takes 1 to %1: %2").arg(kTableRows).arg(a.value(QStringLiteral("count"))));
    if (a.has(QStringLiteral("row")) && !parseBounded(a.value(QStringLiteral("row")), 1, kTableRows, row))
        return run.usage(QStringLiteral("--row takes 1 to %1: %2").arg(kTableRows).arg(a.value(QStringLiteral("row"))));
    const QString path = a.value(QStringLiteral("output"));
    if (!path.isEmpty() && QFileInfo::exists(path)) {
        QString error;
        if (!readTableFile(path, s.table(), error))
            return run.usage(error);
    }
    std::vector<int> learned;
    QObject::connect(&s.table(), &CodeTable::rowsChanged, [&](int first, int last) {
        for (int r = first; r <= last; ++r) {
            if (!s.table().cell(kColResult, r).isEmpty()
                && std::find(learned.begin(), learned.end(), r) == learned.end() && s.table().entry(r).carrier != 0
                && r >= row && s.learnIndicatorLit())
                learned.push_back(r);
        }
    });
    s.setLearningMsg(false);
    s.setCursorAuto(true);
    s.setCursor(kColCarry, row);
    Progress bar(io.err, io.errIsTerminal, QStringLiteral("learn"), count);
    s.toggleLearning();
    if (!s.learnIndicatorLit())
        return run.failure(QStringLiteral("learning could not be switched on"));
    if (io.errIsTerminal)
        io.err->write(QStringLiteral("learning: press %1 button(s) at the board's receiver\n").arg(count).toUtf8());
    while (int(learned.size()) < count) {
        const size_t before = learned.size();
        const bool got = run.waitFor([&] { return learned.size() != before || run.linkDown(); }, kPressTimeoutMs);
        bar.update(int(learned.size()));
        if (run.linkDown())
            return run.unreachable(
                QStringLiteral("the link to %1 went down while learning; nothing was written").arg(run.target()));
        if (!got) {
            s.toggleLearning();
            return run.unreachable(
                QStringLiteral("no signal within %1 s; nothing was written").arg(kPressTimeoutMs / 1000));
        }
    }
    bar.finish();
    s.toggleLearning(); // learning off ("T")
    run.waitFor([&] { return false; }, kQuietMs);
    if (!path.isEmpty()) {
        const TableSaveResult r = SaveTableFile(s.table(), path, s.prompts());
        if (!r.ok)
            return run.failure(notWrittenText(path, r.message));
    }
    QJsonArray rows;
    for (int r : learned) {
        if (a.has(QStringLiteral("json")))
            rows.append(rowJson(s.table(), r));
        else
            io.line(rowLine(s.table(), r));
    }
    if (a.has(QStringLiteral("json")))
        io.print(QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("rows"), rows}}).toJson()));
    return kExitOk;
}

// Reads the board's configuration report into the record; 0 when complete.
int readConfig(BoardRun& run, FieldsView& view)
{
    NetConfig& nc = run.s().netConfig();
    nc.setView(&view);
    view.groupShown = false;
    nc.FormShow();
    if (!run.waitFor([&] { return view.groupShown || run.linkDown(); }, run.timeoutMs()) || !view.groupShown)
        return run.unreachable(
            QStringLiteral("the board at %1 did not report its network configuration").arg(run.target()));
    return kExitOk;
}

int netconfigShow(BoardRun& run, const ParsedArgs& a, const Io& io)
{
    FieldsView view;
    const int st = readConfig(run, view);
    run.s().netConfig().FormClose();
    run.s().netConfig().setView(nullptr);
    if (st)
        return st;
    const SVCNF& r = run.s().settings().svcnf;
    QJsonObject o;
    for (const ConfigKey& k : kConfigKeys) {
        const QString v = recordFieldText(r, k.field);
        if (a.has(QStringLiteral("json")))
            o.insert(QLatin1String(k.key), v);
        else
            io.line(QStringLiteral("%1%2").arg(QLatin1String(k.key), -10).arg(v));
    }
    if (a.has(QStringLiteral("json")))
        io.print(QString::fromUtf8(QJsonDocument(o).toJson()));
    return kExitOk;
}

int netconfigSet(BoardRun& run, const std::map<ConfigField, QString>& changes, const Io& io)
{
    FieldsView view;
    if (const int st = readConfig(run, view)) {
        run.s().netConfig().FormClose();
        return st;
    }
    NetConfig& nc = run.s().netConfig();
    for (const auto& [field, value] : changes)
        view.fields[field] = value;
    run.replies().clear();
    // "Nsav": the board saves and restarts. Its "System Reset" hangs up the TCP
    // link; the serial port stays open, so the line itself is the confirmation.
    bool systemReset = false;
    QObject watch; // the reset is watched during this update only
    QObject::connect(&nc, &NetConfig::hangUpRequested, &watch, [&systemReset] { systemReset = true; });
    nc.Update();
    const bool reset = run.waitFor([&] { return systemReset || run.linkDown(); }, run.timeoutMs());
    nc.FormClose();
    nc.setView(nullptr);
    const SVCNF& r = run.s().settings().svcnf;
    for (const ConfigKey& k : kConfigKeys)
        io.line(QStringLiteral("%1%2").arg(QLatin1String(k.key), -10).arg(recordFieldText(r, k.field)));
    if (!reset)
        return run.unreachable(
            QStringLiteral("the board at %1 did not confirm saving the configuration").arg(run.target()));
    return kExitOk;
}

// "ip=192.168.0.5" ... -> fields; false with a message on a bad key or value.
bool parseConfigChanges(const QStringList& items, std::map<ConfigField, QString>& out, QString& error)
{
    for (const QString& item : items) {
        const int eq = item.indexOf(QLatin1Char('='));
        const QString key = item.left(eq).trimmed().toLower();
        const QString value = eq < 0 ? QString() : item.mid(eq + 1).trimmed();
        const ConfigKey* k = nullptr;
        for (const ConfigKey& c : kConfigKeys) {
            if (key == QLatin1String(c.key))
                k = &c;
        }
        if (eq < 0 || !k) {
            error = QStringLiteral("expected KEY=VALUE with KEY one of mac, ip, port, mask, gateway, dns, linkdown, "
                                   "timeout: %1")
                        .arg(item);
            return false;
        }
        int n = 0;
        bool ok = true;
        switch (k->field) {
        case ConfigField::MacAdrs: ok = validMac(value); break;
        case ConfigField::SvIP:
        case ConfigField::NetMask:
        case ConfigField::Gateway:
        case ConfigField::PrimDNS: ok = validAddress(value); break;
        case ConfigField::SvPort: ok = parseBounded(value, 1, 65535, n); break;
        case ConfigField::LinkDown:
        case ConfigField::RecvTout: ok = parseBounded(value, 0, 99999, n); break;
        }
        if (!ok) {
            error = QStringLiteral("%1: not a valid %2: %3").arg(key, QLatin1String(k->label), value);
            return false;
        }
        out[k->field] = value;
    }
    return true;
}

} // namespace

int boardCommand(const QString& name, const ParsedArgs& a, const Io& io, const QString& settingsPath)
{
    BoardRun run(a, io, settingsPath);
    if (const int st = run.prepare())
        return st;

    // Arguments and table files are checked before anything is sent: bad input sends nothing.
    CodeTable fileTable;
    int fireRow = 0;
    std::array<bool, 4> outs{true, true, true, true};
    std::map<ConfigField, QString> changes;
    if (name == QLatin1String("fire")) {
        if (!parseBounded(a.positional.at(1), 1, kTableRows, fireRow))
            return run.usage(
                QStringLiteral("row must be a number from 1 to %1: %2").arg(kTableRows).arg(a.positional.at(1)));
        if (a.has(QStringLiteral("out")) && !parseOutputs(a.value(QStringLiteral("out")), outs))
            return run.usage(
                QStringLiteral("--out takes outputs 1 to 4, comma-separated: %1").arg(a.value(QStringLiteral("out"))));
    }
    if (name == QLatin1String("fire") || name == QLatin1String("register") || name == QLatin1String("verify")) {
        QString error;
        if (!readTableFile(a.positional.at(0), fileTable, error))
            return run.usage(error);
    }
    if (name == QLatin1String("fire") && fileTable.cell(kColCarry, fireRow).trimmed().isEmpty())
        return run.usage(QStringLiteral("%1: row %2 is empty").arg(a.positional.at(0)).arg(fireRow));
    if (name == QLatin1String("register") && rowsInUse(fileTable) == 0)
        return run.usage(QStringLiteral("%1: no row in use, nothing to register").arg(a.positional.at(0)));
    if (name == QLatin1String("netconfig set")) {
        QString error;
        if (!parseConfigChanges(a.positional, changes, error))
            return run.usage(error);
    }

    if (const int st = run.open())
        return st;
    if (name == QLatin1String("version"))
        return versionCommand(run, io);
    if (name == QLatin1String("send"))
        return sendCommand(run, a, io);
    if (name == QLatin1String("fire"))
        return fireCommand(run, fileTable, fireRow, outs);
    if (name == QLatin1String("register"))
        return registerCommand(run, fileTable, io);
    if (name == QLatin1String("readback"))
        return readbackCommand(run, a, io);
    if (name == QLatin1String("verify"))
        return verifyCommand(run, a, fileTable, io);
    if (name == QLatin1String("learn"))
        return learnCommand(run, a, io);
    if (name == QLatin1String("netconfig show"))
        return netconfigShow(run, a, io);
    return netconfigSet(run, changes, io);
}

} // namespace zovax::cli
