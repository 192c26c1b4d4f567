#include "sim/board/BoardSim.h"

#include "sim/board/CommandFramer.h"
#include "sim/board/PtyPort.h"

#include <QFile>
#include <QMetaObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <deque>
#include <utility>

namespace zovax::sim {

struct BoardSim::OutItem {
    enum Kind { Data, Restart, Close };
    int kind = Data;
    QByteArray bytes;
    int arg = 0; // Restart: ms
    qint64 dueMs = 0;
};

// One client link: the TCP client or the pseudo-terminal.
struct BoardSim::Link {
    QString name;                 // "tcp" or "serial"
    QTcpSocket* socket = nullptr; // TCP only
    CommandFramer framer;
    std::deque<OutItem> queue; // replies waiting for their time
    QByteArray splitBuffer;    // split-segments fault: bytes not yet written
    qint64 lastDueMs = 0;      // replies keep their order
    int commands = 0;          // commands received on this link
    int overlongSeen = 0;
    bool closed = false;
    QTimer* pumpTimer = nullptr;
    QTimer* splitTimer = nullptr;
    QTimer* idleTimer = nullptr; // serial: a command without delimiter ends after silence

    ~Link()
    {
        delete pumpTimer;
        delete splitTimer;
        delete idleTimer;
    }
    void stopTimers()
    {
        for (QTimer* t : {pumpTimer, splitTimer, idleTimer}) {
            if (t)
                t->stop();
        }
    }
};

template <typename F> auto BoardSim::onOwnThread(F&& f) -> decltype(f())
{
    if (QThread::currentThread() == thread())
        return f();
    decltype(f()) result{};
    QMetaObject::invokeMethod(
        this, [&] { result = f(); }, Qt::BlockingQueuedConnection);
    return result;
}

BoardSim::BoardSim(const BoardOptions& options, QObject* parent)
    : QObject(parent), opt_(options), engine_(flash_, opt_), faultRng_(options.faultSeed)
{
    clock_.start();
    if (!opt_.flashFile.isEmpty()) {
        flash_.load(opt_.flashFile, &startupProblems_);
        engine_.reloadConfig();
    }
    if (!opt_.logFile.isEmpty()) {
        QString why;
        if (!log_.openFile(opt_.logFile, &why))
            startupProblems_ << QStringLiteral("%1: cannot write the command log (%2)").arg(opt_.logFile, why);
    }
    engine_.onFlashChanged = [this] { persist(); };
    server_ = new QTcpServer(this);
    connect(server_, &QTcpServer::newConnection, this, &BoardSim::onNewConnection);
    restartTimer_ = new QTimer(this);
    restartTimer_->setSingleShot(true);
    connect(restartTimer_, &QTimer::timeout, this, &BoardSim::finishRestart);
}

BoardSim::~BoardSim()
{
    if (tcp_ && tcp_->socket)
        tcp_->socket->abort();
}

QString BoardSim::errorString() const
{
    return error_;
}

QHostAddress BoardSim::serverAddress() const
{
    return QHostAddress(address_.load());
}

std::unique_ptr<BoardSim::Link> BoardSim::makeLink(const QString& name)
{
    auto link = std::make_unique<Link>();
    link->name = name;
    Link* l = link.get();
    link->pumpTimer = new QTimer(this);
    link->pumpTimer->setSingleShot(true);
    link->pumpTimer->setTimerType(Qt::PreciseTimer);
    connect(link->pumpTimer, &QTimer::timeout, this, [this, l] { pump(*l); });
    link->splitTimer = new QTimer(this);
    link->splitTimer->setSingleShot(true);
    connect(link->splitTimer, &QTimer::timeout, this, [this, l] { splitPump(*l); });
    return link;
}

void BoardSim::retire(std::unique_ptr<Link>& link)
{
    if (!link)
        return;
    link->closed = true;
    link->stopTimers();
    graveyard_.push_back(std::move(link));
    QMetaObject::invokeMethod(this, &BoardSim::buryRetired, Qt::QueuedConnection);
}

void BoardSim::buryRetired()
{
    if (busy_ > 0) { // a closed link is still referenced further up the stack
        QMetaObject::invokeMethod(this, &BoardSim::buryRetired, Qt::QueuedConnection);
        return;
    }
    graveyard_.clear();
}

// ---------------------------------------------------------------- listening

bool BoardSim::listen(const QHostAddress& host, quint16 port)
{
    return onOwnThread([&] {
        if (host.protocol() != QAbstractSocket::IPv4Protocol || !host.isLoopback()) {
            error_ = QStringLiteral("the simulator only listens on loopback addresses (127.x.x.x), not %1")
                         .arg(host.toString());
            return false;
        }
        return listenOn(host, port);
    });
}

bool BoardSim::listenOn(const QHostAddress& host, quint16 port)
{
    if (server_->isListening())
        server_->close();
    if (!server_->listen(host, port)) {
        error_
            = QStringLiteral("cannot listen on %1:%2 (%3)").arg(host.toString()).arg(port).arg(server_->errorString());
        port_ = 0;
        return false;
    }
    tcpEnabled_ = true;
    lastAddress_ = host;
    lastPort_ = server_->serverPort();
    port_ = lastPort_;
    address_ = host.toIPv4Address();
    const quint32 a = host.toIPv4Address();
    engine_.setListening(Ipv4{int(a >> 24), int((a >> 16) & 0xFF), int((a >> 8) & 0xFF), int(a & 0xFF)}, lastPort_);
    return true;
}

QString BoardSim::openSerial()
{
    return onOwnThread([&] {
        if (pty_ && pty_->isOpen())
            return pty_->devicePath();
        if (!pty_)
            pty_ = new PtyPort(this);
        if (!pty_->open()) {
            error_ = QStringLiteral("cannot create a pseudo-terminal (%1)").arg(pty_->errorString());
            return QString();
        }
        serial_ = makeLink(QStringLiteral("serial"));
        Link* l = serial_.get();
        l->idleTimer = new QTimer(this);
        l->idleTimer->setSingleShot(true);
        connect(l->idleTimer, &QTimer::timeout, this, [this, l] {
            for (const QByteArray& cmd : l->framer.flush())
                handleCommand(*l, cmd);
        });
        connect(pty_, &PtyPort::bytesReceived, this, [this](const QByteArray& b) {
            if (serial_)
                onBytes(*serial_, b);
        });
        return pty_->devicePath();
    });
}

bool BoardSim::listenControl(quint16 port)
{
    return onOwnThread([&] {
        if (!controlServer_) {
            controlServer_ = new QTcpServer(this);
            connect(controlServer_, &QTcpServer::newConnection, this, &BoardSim::onControlConnection);
        }
        if (!controlServer_->listen(QHostAddress::LocalHost, port)) {
            error_ = QStringLiteral("cannot listen for control on 127.0.0.1:%1 (%2)")
                         .arg(port)
                         .arg(controlServer_->errorString());
            return false;
        }
        controlPort_ = controlServer_->serverPort();
        return true;
    });
}

void BoardSim::onControlConnection()
{
    while (QTcpSocket* s = controlServer_->nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        connect(s, &QTcpSocket::readyRead, this, [this, s, buffer] {
            *buffer += s->readAll();
            int nl;
            while ((nl = buffer->indexOf('\n')) >= 0) {
                const QString line = QString::fromUtf8(buffer->left(nl)).trimmed();
                buffer->remove(0, nl + 1);
                if (line.isEmpty())
                    continue;
                s->write(control(line).toUtf8() + '\n');
            }
            if (buffer->size() > 65536)
                buffer->clear(); // no line that long is a control command
        });
        connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
    }
}

void BoardSim::onNewConnection()
{
    while (QTcpSocket* s = server_->nextPendingConnection()) {
        if (restarting_) {
            s->abort();
            s->deleteLater();
        } else if (!tcp_ || tcp_->closed) {
            acceptClient(s);
        } else {
            // One client at a time, like the board. The current client may just
            // have hung up without its close being seen yet (a quick reconnect):
            // decide once the events already pending have been handled.
            waitingClients_.append(s);
            QTimer::singleShot(10, this, &BoardSim::decideWaitingClients);
        }
    }
}

void BoardSim::decideWaitingClients()
{
    const QList<QTcpSocket*> waiting = std::exchange(waitingClients_, {});
    for (QTcpSocket* s : waiting) {
        if (s->state() != QAbstractSocket::ConnectedState) {
            s->deleteLater();
        } else if ((tcp_ && !tcp_->closed) || restarting_) {
            emit notice(QStringLiteral("refused a second client while one is connected"));
            s->abort();
            s->deleteLater();
        } else {
            acceptClient(s);
        }
    }
}

void BoardSim::acceptClient(QTcpSocket* s)
{
    if (tcp_)
        retire(tcp_);
    tcp_ = makeLink(QStringLiteral("tcp"));
    tcp_->socket = s;
    s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(s, &QTcpSocket::readyRead, this, [this, s] {
        if (tcp_ && tcp_->socket == s && !tcp_->closed)
            onBytes(*tcp_, s->readAll());
        else
            s->readAll();
    });
    connect(s, &QTcpSocket::disconnected, this, [this, s] {
        if (tcp_ && tcp_->socket == s) {
            // A restart queued behind replies still being written (split
            // replies go out a piece at a time) happens although the client
            // hung up first: the board restarts whoever is listening.
            int restartMs = -1;
            for (const OutItem& item : tcp_->queue) {
                if (item.kind == OutItem::Restart) {
                    restartMs = item.arg;
                    break;
                }
            }
            retire(tcp_);
            clientConnected_ = false;
            if (restartMs >= 0 && !restarting_)
                beginRestart(restartMs);
        }
        s->deleteLater();
    });
    clientConnected_ = true;
    if (s->bytesAvailable() > 0)
        onBytes(*tcp_, s->readAll()); // sent while it waited
}

// ---------------------------------------------------------------- commands

void BoardSim::onBytes(Link& link, const QByteArray& bytes)
{
    if (link.closed)
        return;
    ++busy_;
    struct Leave {
        int& n;
        ~Leave() { --n; }
    } leave{busy_};
    const QList<QByteArray> commands = link.framer.feed(bytes);
    if (link.framer.overlong() != link.overlongSeen) {
        link.overlongSeen = link.framer.overlong();
        applyEffects(link,
                     {Effect{Effect::Kind::Line,
                             QStringLiteral("Error: a command longer than %1 characters was discarded")
                                 .arg(CommandFramer::kMaxCommand),
                             0}});
    }
    for (const QByteArray& c : commands) {
        if (link.closed)
            return; // the link was closed by an earlier command of this block
        handleCommand(link, c);
    }
    if (link.idleTimer && !link.closed) {
        if (link.framer.hasPending())
            link.idleTimer->start(opt_.serialIdleMs);
        else
            link.idleTimer->stop();
    }
}

void BoardSim::handleCommand(Link& link, const QByteArray& raw)
{
    const QString text = QString::fromLatin1(raw);
    log_.add({QDateTime::currentDateTime(), nowMs(), link.name, text});
    emit commandReceived(text);
    if (restarting_ || link.closed)
        return; // the board is restarting: nobody listens
    ++link.commands;
    std::vector<Effect> effects = engine_.handle(text);
    if (opt_.muteAfter > 0 && link.commands > opt_.muteAfter) {
        // The command acts on the board; its answer lines are lost.
        effects.erase(std::remove_if(effects.begin(), effects.end(),
                                     [](const Effect& e) { return e.kind == Effect::Kind::Line; }),
                      effects.end());
    }
    applyEffects(link, effects);
    if (opt_.dropAfter > 0 && link.commands == opt_.dropAfter && !link.closed) {
        enqueueMarker(link, OutItem::Close, 0, link.lastDueMs);
        pump(link);
    }
}

void BoardSim::applyEffects(Link& link, const std::vector<Effect>& effects)
{
    qint64 due = std::max(nowMs() + opt_.delayMs, link.lastDueMs);
    bool armed = false;
    for (const Effect& e : effects) {
        switch (e.kind) {
        case Effect::Kind::Line:
            due += e.delayMs;
            enqueueLine(link, e.text, due);
            break;
        case Effect::Kind::Restart: enqueueMarker(link, OutItem::Restart, e.delayMs, due); break;
        case Effect::Kind::LearnArmed: armed = true; break;
        }
    }
    link.lastDueMs = due;
    pump(link);
    if (armed)
        onArmed();
}

QByteArray BoardSim::strayBytes()
{
    static const char kStray[] = {0x06, 0x15, 0x00, static_cast<char>(0xFF), 0x11};
    return QByteArray(1, kStray[faultRng_() % sizeof kStray]) + "\r\n";
}

void BoardSim::enqueueLine(Link& link, const QString& text, qint64 dueMs)
{
    if (opt_.noAck)
        return; // fault injection: the board answers nothing
    QByteArray bytes;
    ++lineCounter_;
    const bool noisy = opt_.noiseEvery > 0 && lineCounter_ % opt_.noiseEvery == 0;
    if (noisy && engine_.phase() == Phase::Firmware)
        bytes += strayBytes();
    if (noisy && engine_.phase() == Phase::Loader)
        bytes += QByteArray("\x1b[0;3") + char('0' + faultRng_() % 8) + 'm'; // ESC + 6 characters
    bytes += text.toLatin1() + "\r\n";
    if (!link.queue.empty() && link.queue.back().kind == OutItem::Data && link.queue.back().dueMs == dueMs) {
        link.queue.back().bytes += bytes; // same moment: one write
        return;
    }
    OutItem item;
    item.kind = OutItem::Data;
    item.bytes = bytes;
    item.dueMs = dueMs;
    link.queue.push_back(std::move(item));
}

void BoardSim::enqueueMarker(Link& link, int kind, int arg, qint64 dueMs)
{
    OutItem item;
    item.kind = kind;
    item.arg = arg;
    item.dueMs = dueMs;
    link.queue.push_back(std::move(item));
}

void BoardSim::pump(Link& link)
{
    if (link.closed)
        return;
    const qint64 now = nowMs();
    QByteArray chunk;
    while (!link.queue.empty() && link.queue.front().dueMs <= now) {
        OutItem& front = link.queue.front();
        if (front.kind == OutItem::Data) {
            chunk += front.bytes;
            link.queue.pop_front();
            continue;
        }
        if (!chunk.isEmpty()) {
            send(link, chunk);
            chunk.clear();
        }
        if (!link.splitBuffer.isEmpty())
            return; // the marker waits until every piece is out; splitPump calls back
        const OutItem marker = front;
        link.queue.pop_front();
        if (marker.kind == OutItem::Restart)
            beginRestart(marker.arg);
        else
            closeLink(link);
        return; // the link is closed now
    }
    if (!chunk.isEmpty())
        send(link, chunk);
    if (!link.queue.empty() && !link.closed)
        link.pumpTimer->start(static_cast<int>(std::max<qint64>(0, link.queue.front().dueMs - now)));
}

void BoardSim::send(Link& link, const QByteArray& bytes)
{
    if (!opt_.splitSegments) {
        rawWrite(link, bytes);
        return;
    }
    link.splitBuffer += bytes;
    if (!link.splitTimer->isActive())
        link.splitTimer->start(0);
}

void BoardSim::splitPump(Link& link)
{
    if (link.closed)
        return;
    // Small pieces cut at random byte positions, each written (and sent) on its own.
    const uint32_t longest = uint32_t(std::max(1, opt_.splitMaxBytes));
    const qsizetype n = std::min<qsizetype>(link.splitBuffer.size(), 1 + faultRng_() % longest);
    rawWrite(link, link.splitBuffer.left(n));
    link.splitBuffer.remove(0, n);
    if (link.socket)
        link.socket->flush();
    if (!link.splitBuffer.isEmpty())
        link.splitTimer->start(1);
    else
        pump(link);
}

void BoardSim::rawWrite(Link& link, const QByteArray& bytes)
{
    if (bytes.isEmpty() || link.closed)
        return;
    if (link.socket)
        link.socket->write(bytes);
    else if (pty_)
        pty_->write(bytes);
}

void BoardSim::closeLink(Link& link)
{
    if (link.closed)
        return;
    if (link.socket) {
        link.closed = true;
        link.stopTimers();
        link.socket->flush();
        link.socket->disconnectFromHost(); // pending bytes are still delivered
        return;
    }
    // A pseudo-terminal cannot be hung up from this side: drop what is queued.
    link.queue.clear();
    link.splitBuffer.clear();
    link.framer.reset();
}

void BoardSim::beginRestart(int ms)
{
    restarting_ = true;
    port_ = 0;
    emit notice(QStringLiteral("restarting: link closed, connections refused for %1 ms").arg(ms));
    if (tcp_)
        closeLink(*tcp_);
    if (server_->isListening())
        server_->close();
    if (serial_) {
        serial_->queue.clear();
        serial_->splitBuffer.clear();
        serial_->framer.reset();
        serial_->lastDueMs = 0;
    }
    restartTimer_->start(std::max(0, ms));
}

void BoardSim::finishRestart()
{
    engine_.completeRestart();
    if (tcpEnabled_) {
        const QHostAddress host = engine_.listenAddress();
        const auto port = static_cast<quint16>(engine_.listenPort());
        const QHostAddress oldHost = lastAddress_;
        const quint16 oldPort = lastPort_;
        if (!listenOn(host, port)) {
            emit notice(QStringLiteral("%1; staying on %2:%3").arg(error_, oldHost.toString()).arg(oldPort));
            if (!listenOn(oldHost, oldPort))
                emit notice(QStringLiteral("not listening: %1").arg(error_));
            persist();
        }
    }
    restarting_ = false;
    emit notice(QStringLiteral("%1 started, listening on %2:%3")
                    .arg(engine_.phase() == Phase::Loader ? QStringLiteral("loader") : QStringLiteral("firmware"),
                         lastAddress_.toString())
                    .arg(port_.load()));
}

void BoardSim::persist()
{
    if (opt_.flashFile.isEmpty())
        return;
    QString why;
    if (!flash_.save(opt_.flashFile, &why))
        emit notice(QStringLiteral("cannot save the flash to %1 (%2)").arg(opt_.flashFile, why));
}

// ---------------------------------------------------------------- presses

AutoplayItem parseAutoplayItem(const QString& item)
{
    // PROTOCOL[=HEXCODE][*REPEATS]
    AutoplayItem a;
    QString rest = item.trimmed();
    const int star = rest.indexOf(QLatin1Char('*'));
    if (star >= 0) {
        bool ok = false;
        const int r = rest.mid(star + 1).toInt(&ok);
        a.repeats = ok && r >= 0 ? r : -2;
        rest = rest.left(star);
    }
    const int eq = rest.indexOf(QLatin1Char('='));
    a.protocol = eq < 0 ? rest : rest.left(eq);
    a.code = eq < 0 ? QString() : rest.mid(eq + 1);
    return a;
}

void BoardSim::onArmed()
{
    if (opt_.autoplay.isEmpty())
        return;
    const int generation = ++armGeneration_;
    QTimer::singleShot(opt_.autoplayDelayMs, this, [this, generation] {
        if (generation != armGeneration_ || !engine_.analyzing())
            return;
        const QString item = opt_.autoplay.at(autoplayNext_++ % opt_.autoplay.size());
        const AutoplayItem a = parseAutoplayItem(item);
        emit notice(QStringLiteral("autoplay %1: %2").arg(item, press(a.protocol, a.code, a.repeats)));
    });
}

QString BoardSim::press(const QString& protocol, const QString& code, int repeats)
{
    return onOwnThread([&]() -> QString {
        const irsig::Protocol* p = irsig::findProtocol(protocol.toStdString());
        if (!p)
            return QStringLiteral("error: unknown protocol \"%1\" (see the protocols command)").arg(protocol);
        std::vector<uint8_t> bytes = p->exampleCode;
        if (!code.trimmed().isEmpty()) {
            const auto parsed = irsig::parseCode(code.toStdString());
            if (!parsed)
                return QStringLiteral("error: \"%1\" is not a hex code such as 0x20DF10EF or 15 01").arg(code);
            bytes = *parsed;
        }
        if (repeats > 1000)
            return QStringLiteral("error: at most 1000 repeats");
        const irsig::Noise noise{opt_.noiseSeed + static_cast<uint32_t>(presses_), opt_.jitterPercent, opt_.markBiasUs};
        const auto pairs = irsig::encode(*p, bytes, repeats, noise, engine_.closingSilenceUs());
        QString hex;
        for (uint8_t b : bytes)
            hex += QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
        return playTrain(pairs, p->carrierTenths, QString::fromStdString(p->name) + QStringLiteral(" 0x") + hex);
    });
}

QString BoardSim::pressPairs(const std::vector<irsig::Pair>& pairs, int carrierTenths)
{
    return onOwnThread([&] { return playTrain(pairs, carrierTenths, QStringLiteral("%1 pairs").arg(pairs.size())); });
}

QString BoardSim::playTrain(const std::vector<irsig::Pair>& pairs, int carrierTenths, const QString& what)
{
    if (engine_.phase() != Phase::Firmware || !engine_.analyzing())
        return QStringLiteral("ignored: the board is not in analyse mode (the tool sends A first)");
    const bool tcpUp = tcp_ && !tcp_->closed;
    if (!tcpUp && !serial_)
        return QStringLiteral("ignored: no client is connected");
    if (pairs.empty())
        return QStringLiteral("error: an empty pulse train");
    if (opt_.realtime && nowMs() < trainBusyUntilMs_)
        return QStringLiteral("ignored: the previous press is still being reported");
    ++presses_;
    const Train t = engine_.train(pairs, carrierTenths);
    for (Link* link : {tcp_.get(), serial_.get()}) {
        if (!link || link->closed)
            continue;
        const qint64 start = std::max(nowMs() + opt_.delayMs, link->lastDueMs);
        qint64 due = start;
        for (int i = 0; i < t.lines.size(); ++i) {
            if (opt_.realtime)
                due = start + t.dueUs[static_cast<std::size_t>(i)] / 1000;
            enqueueLine(*link, t.lines[i], due);
        }
        link->lastDueMs = due;
        trainBusyUntilMs_ = due;
        pump(*link);
    }
    const int reported = t.lines.size() - 1;
    return QStringLiteral("ok: %1, %2 pairs reported%3")
        .arg(what)
        .arg(reported)
        .arg(static_cast<int>(pairs.size()) > reported
                 ? QStringLiteral(" (the receiver keeps the first %1 of %2)").arg(reported).arg(pairs.size())
                 : QString());
}

QString BoardSim::playFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return QStringLiteral("error: cannot read %1 (%2)").arg(path, f.errorString());
    std::vector<irsig::Pair> pairs;
    int carrier = 380;
    int lineNo = 0;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        ++lineNo;
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        auto bad
            = [&](const QString& why) { return QStringLiteral("error: %1:%2: %3").arg(path).arg(lineNo).arg(why); };
        if (line.startsWith(QLatin1String("Ave."))) {
            const int khz = line.indexOf(QLatin1String("kHz"));
            bool ok = false;
            const double v = khz >= 11 ? line.mid(11, khz - 11).toDouble(&ok) : 0.0;
            if (!ok || v <= 0 || v > 99.9)
                return bad(QStringLiteral("carrier not readable"));
            carrier = static_cast<int>(std::lround(v * 10));
            continue;
        }
        const QStringList t = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (t.size() == 2 && t[0].compare(QLatin1String("carrier"), Qt::CaseInsensitive) == 0) {
            const auto v = parseDecimal(t[1]);
            if (!v || *v < 1 || *v > 999)
                return bad(QStringLiteral("carrier must be 1 to 999 (0.1 kHz)"));
            carrier = *v;
            continue;
        }
        irsig::Pair p;
        if (line.startsWith(QLatin1Char('['))) {
            const auto w = irsig::parseWaveLine(line.toStdString());
            p = w->pair;
        } else if (t.size() == 2 && parseDecimal(t[0]) && parseDecimal(t[1])) {
            p = {*parseDecimal(t[0]), *parseDecimal(t[1])};
        } else {
            return bad(QStringLiteral("expected \"<high us> <width us>\", a wave line, \"carrier N\" or an Ave. line"));
        }
        if (p.high < 1 || p.high > 99999 || p.width <= p.high || p.width > 9999999)
            return bad(QStringLiteral("a pair needs 0 < high <= 99999 and high < width <= 9999999"));
        if (pairs.size() >= static_cast<std::size_t>(BoardEngine::kMaxReportedPairs))
            return bad(QStringLiteral("more than 4096 pairs"));
        pairs.push_back(p);
    }
    if (pairs.empty())
        return QStringLiteral("error: %1 holds no pulse pairs").arg(path);
    return playTrain(pairs, carrier, path);
}

// ---------------------------------------------------------------- control

QString BoardSim::controlHelp()
{
    return QStringLiteral(
        "Control commands (standard input or the control port; one per line):\n"
        "  press PROTOCOL [CODE] [r=N]  press a remote-control button: PROTOCOL from 'protocols',\n"
        "                               CODE hex bytes in transmission order (0x20DF10EF or 20 DF 10 EF;\n"
        "                               Sony: command then address, e.g. 15 01), default the protocol's\n"
        "                               example code; r=N repeated frames (default: the protocol's)\n"
        "  play FILE                    play a recorded train: lines \"<high us> <width us>\" or wave lines\n"
        "                               \"[000]:09000,013500\", optional \"carrier 380\" or an \"Ave.\" line\n"
        "  protocols                    list the protocols with their example codes\n"
        "  status                       board state, listening address, client, flash\n"
        "  log                          the commands received so far, with time stamps\n"
        "  clear-log                    forget the commands received so far\n"
        "  help                         this text\n"
        "  quit                         end the simulator\n"
        "Presses count only while the board is in analyse mode (after the tool's \"A\"); otherwise they\n"
        "are answered \"ignored: ...\".");
}

QString BoardSim::status() const
{
    QStringList s;
    s << QStringLiteral("phase: %1").arg(engine_.phase() == Phase::Loader ? "loader" : "firmware");
    s << QStringLiteral("mode: %1").arg(engine_.analyzing() ? "analyse" : "transmit");
    s << QStringLiteral("table mode: %1").arg(engine_.tableMode() ? "on" : "off");
    s << QStringLiteral("configuration dialogue: %1").arg(engine_.consoleConfig() ? "open" : "closed");
    s << (restarting_ ? QStringLiteral("listening: no (restarting)")
                      : QStringLiteral("listening: %1:%2").arg(lastAddress_.toString()).arg(port_.load()));
    s << QStringLiteral("client: %1").arg(clientConnected_ ? "connected" : "none");
    if (pty_)
        s << QStringLiteral("serial: %1").arg(pty_->devicePath());
    s << QStringLiteral("learning time: %1 ms").arg(engine_.learnTimeMs());
    s << QStringLiteral("stored entries: %1").arg(flash_.usedEntries());
    s << QStringLiteral("commands received: %1").arg(log_.entries().size());
    return s.join(QLatin1Char('\n'));
}

QString BoardSim::control(const QString& line)
{
    return onOwnThread([&]() -> QString {
        const QString trimmed = line.trimmed();
        const QStringList t = trimmed.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (t.isEmpty())
            return {};
        const QString cmd = t[0].toLower();
        if (cmd == QLatin1String("help") || cmd == QLatin1String("?"))
            return controlHelp();
        if (cmd == QLatin1String("press")) {
            if (t.size() < 2)
                return QStringLiteral("error: press PROTOCOL [CODE] [r=N]");
            int repeats = -1;
            QStringList code;
            for (int i = 2; i < t.size(); ++i) {
                const QString& a = t[i];
                if (a.startsWith(QLatin1String("r="), Qt::CaseInsensitive)
                    || a.startsWith(QLatin1String("repeats="), Qt::CaseInsensitive)) {
                    const auto n = parseDecimal(a.mid(a.indexOf(QLatin1Char('=')) + 1));
                    if (!n)
                        return QStringLiteral("error: r= needs a number");
                    repeats = *n;
                } else {
                    code << a;
                }
            }
            return press(t[1], code.join(QLatin1Char(' ')), repeats);
        }
        if (cmd == QLatin1String("play")) {
            const QString path = trimmed.mid(4).trimmed();
            if (path.isEmpty())
                return QStringLiteral("error: play FILE");
            return playFile(path);
        }
        if (cmd == QLatin1String("protocols")) {
            QStringList out;
            for (const irsig::Protocol& p : irsig::catalogue()) {
                QString hex;
                for (uint8_t b : p.exampleCode)
                    hex += QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
                out << QStringLiteral("%1 (%2) example %3")
                           .arg(QString::fromStdString(p.name), QString::fromStdString(p.description), hex);
            }
            return out.join(QLatin1Char('\n'));
        }
        if (cmd == QLatin1String("status"))
            return status();
        if (cmd == QLatin1String("log")) {
            QStringList out;
            for (const LoggedCommand& c : log_.entries())
                out << CommandLog::format(c);
            return out.isEmpty() ? QStringLiteral("(no commands yet)") : out.join(QLatin1Char('\n'));
        }
        if (cmd == QLatin1String("clear-log")) {
            log_.clear();
            return QStringLiteral("ok: log cleared");
        }
        if (cmd == QLatin1String("quit") || cmd == QLatin1String("exit")) {
            emit quitRequested();
            return QStringLiteral("ok: bye");
        }
        return QStringLiteral("error: unknown control command \"%1\" (try help)").arg(t[0]);
    });
}

} // namespace zovax::sim
