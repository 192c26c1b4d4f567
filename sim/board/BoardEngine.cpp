#include "sim/board/BoardEngine.h"

#include <QDateTime>
#include <QRegularExpression>

#include <algorithm>

namespace zovax::sim {

namespace {

Effect lineEffect(const QString& text, int delayMs = 0)
{
    Effect e;
    e.kind = Effect::Kind::Line;
    e.text = text;
    e.delayMs = delayMs;
    return e;
}

std::vector<Effect> lines(const QStringList& texts)
{
    std::vector<Effect> out;
    for (const QString& t : texts)
        out.push_back(lineEffect(t));
    return out;
}

std::vector<Effect> one(const QString& text)
{
    return {lineEffect(text)};
}

// Last address of each flash sector the loader may erase (sectors 0 and 1 hold the loader).
quint32 sectorEnd(int sector)
{
    switch (sector) {
    case 2: return 0x0800BFFFu;
    case 3: return 0x0800FFFFu;
    case 4: return 0x0801FFFFu;
    case 5: return 0x0803FFFFu;
    case 6: return 0x0805FFFFu;
    default: return 0x0807FFFFu;
    }
}

int hexValue(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

const QString kLoopbackOnly
    = QStringLiteral("Refused: the simulator only uses loopback addresses (127.x.x.x); address unchanged");

} // namespace

BoardEngine::BoardEngine(Flash& flash, const BoardOptions& options) : flash_(flash), opt_(options)
{
    config_ = flash_.savedConfig();
}

QString BoardEngine::versionLine() const
{
    return QStringLiteral("ZOVAX-Ether %1 (board simulator)").arg(flash_.firmware().version);
}

QHostAddress BoardEngine::listenAddress() const
{
    return toHostAddress(phase_ == Phase::Loader ? loaderIp_ : config_.ip);
}

int BoardEngine::listenPort() const
{
    return phase_ == Phase::Loader ? loaderPort_ : config_.port;
}

void BoardEngine::setListening(const Ipv4& ip, int port)
{
    if (phase_ == Phase::Loader) {
        loaderIp_ = ip;
        loaderPort_ = port;
        return;
    }
    config_.ip = ip;
    config_.port = port;
    flash_.savedConfig().ip = ip;
    flash_.savedConfig().port = port;
}

void BoardEngine::changed()
{
    if (onFlashChanged)
        onFlashChanged();
}

int BoardEngine::closingSilenceUs() const
{
    return std::max(irsig::kClosingSilenceUs, learnTimeMs_ * 1000 + 50000);
}

Train BoardEngine::train(const std::vector<irsig::Pair>& pairs, int carrierTenths) const
{
    Train t;
    if (!analyzing_ || phase_ != Phase::Firmware)
        return t;
    const int n = std::min<int>(static_cast<int>(pairs.size()), kMaxReportedPairs);
    long long at = 0;
    for (int i = 0; i < n; ++i) {
        irsig::Pair p = pairs[static_cast<std::size_t>(i)];
        if (i == n - 1) {
            // The receiver reports the last pair once the silence has lasted its
            // time-out (at most 200 ms of the closing silence are waited here).
            p.width = std::max(p.width, p.high + closingSilenceUs());
            at += p.high + std::min(closingSilenceUs(), 200000);
        } else {
            at += p.width; // a line is sent once its pair has ended
        }
        t.lines << QString::fromStdString(irsig::waveLine(i, p, opt_.fourDigitIndex));
        t.dueUs.push_back(static_cast<int>(std::min<long long>(at, 1LL << 30)));
    }
    t.lines << QString::fromStdString(irsig::averageLine(carrierTenths));
    t.dueUs.push_back(static_cast<int>(std::min<long long>(at, 1LL << 30)));
    return t;
}

std::vector<Effect> BoardEngine::handle(const QString& command)
{
    const QString c = command.trimmed();
    if (c.isEmpty())
        return {};
    if (phase_ == Phase::Loader)
        return handleLoader(c);
    if (consoleConfig_)
        return handleConsole(c);
    return handleFirmware(c);
}

std::vector<Effect> BoardEngine::restart(Phase next, const QString& line)
{
    nextPhase_ = next;
    std::vector<Effect> out;
    if (!line.isEmpty())
        out.push_back(lineEffect(line));
    Effect r;
    r.kind = Effect::Kind::Restart;
    r.delayMs = opt_.restartMs;
    out.push_back(r);
    return out;
}

void BoardEngine::completeRestart()
{
    phase_ = nextPhase_;
    nextPhase_ = Phase::Firmware;
    analyzing_ = false;
    krv_ = false;
    consoleConfig_ = false;
    pending_ = Pending{};
    outputs_ = QStringLiteral("1111");
    config_ = flash_.savedConfig(); // unsaved changes are lost with a restart
    if (phase_ == Phase::Firmware)
        downloadRequested_ = false;
    loader_ = Loader{};
}

// ---------------------------------------------------------------- firmware

std::vector<Effect> BoardEngine::handleFirmware(const QString& c)
{
    if (c == QLatin1String("Ver") || c == QLatin1String("Version"))
        return one(versionLine());
    if (c == QLatin1String("Mode?"))
        return one(analyzing_ ? QStringLiteral("Analyze Mode") : QStringLiteral("Trans Mode"));
    if (c == QLatin1String("T")) {
        analyzing_ = false;
        return one(QStringLiteral("Trans Mode"));
    }
    if (c == QLatin1String("A")) {
        analyzing_ = true;
        std::vector<Effect> out = one(QStringLiteral("Analyze Mode"));
        Effect armed;
        armed.kind = Effect::Kind::LearnArmed;
        out.push_back(armed);
        return out;
    }
    if (c.startsWith(QLatin1String("Lend:"))) {
        const auto ms = parseDecimal(c.mid(5));
        if (!ms || *ms < 1 || *ms > 99999)
            return one(QStringLiteral("Error Lend: the learning time must be 1 to 99999 ms"));
        learnTimeMs_ = *ms;
        return one(QStringLiteral("Lend:%1").arg(*ms, 4, 10, QLatin1Char('0')));
    }
    if (c == QLatin1String("KRV:on")) {
        krv_ = true;
        return one(QStringLiteral("KRV:on"));
    }
    if (c == QLatin1String("KRV:off")) {
        krv_ = false;
        return one(QStringLiteral("KRV:off"));
    }
    if (c.startsWith(QLatin1String("Fe:"))) {
        const auto sector = parseDecimal(c.mid(3));
        if (!sector || *sector > 7)
            return one(QStringLiteral("Error Fe: unknown sector"));
        if (*sector != 7)
            return one(QStringLiteral("Error Fe: sector %1 holds the firmware; only sector 7 (the table) "
                                      "can be erased here")
                           .arg(*sector));
        if (opt_.eraseNever)
            return {}; // fault injection: the erase never completes
        flash_.eraseTable();
        changed();
        return {lineEffect(QStringLiteral("FLASH Sector:7 ... Erased"), opt_.eraseMs)};
    }
    if (c.startsWith(QLatin1String("Tws:")))
        return storeEntry(c.mid(4));
    if (c.startsWith(QLatin1String("Twl:")))
        return readEntry(c.mid(4));
    if (c.startsWith(QLatin1String("Tw")))
        return handleRecord(c);
    if (c.startsWith(QLatin1String("Tp:"))) {
        static const QRegularExpression re(QStringLiteral("^[01]{4}$"));
        const QString sel = c.mid(3);
        if (!re.match(sel).hasMatch())
            return one(QStringLiteral("Error Tp: expected four digits 0 or 1 (IR1 to IR4)"));
        outputs_ = sel;
        return {};
    }
    if (c.startsWith(QLatin1String("Tf:")))
        return fire(c.mid(3));
    if (c == QLatin1String("Ncnf"))
        return lines(config_.lines());
    if (c == QLatin1String("Nsav")) {
        flash_.savedConfig() = config_;
        changed();
        return restart(Phase::Firmware, QStringLiteral("System Reset"));
    }
    if (c.size() >= 5 && c.startsWith(QLatin1Char('N')) && c[4] == QLatin1Char(':'))
        return handleSetter(c);
    if (c == QLatin1String("C")) {
        consoleConfig_ = true;
        QStringList out{QStringLiteral("-- Network configuration --")};
        out << config_.lines();
        out << QStringLiteral("CONFIG> change a value with a line <marker>:<value> (for example the port "
                              "line), Save = save and restart, Q or Quit = leave");
        return lines(out);
    }
    if (c.startsWith(QLatin1String("EtherDownload:"))) {
        const QString arg = c.mid(14);
        const int slash = arg.lastIndexOf(QLatin1Char('/'));
        const auto ip = slash > 0 ? parseIp(arg.left(slash)) : std::nullopt;
        const auto port = slash > 0 ? parseDecimal(arg.mid(slash + 1)) : std::nullopt;
        if (!ip || !port || *port < 1 || *port > 65535)
            return one(QStringLiteral("EtherDownload refused: expected address/port"));
        if (!isLoopback(*ip))
            return one(QStringLiteral("EtherDownload refused: the simulator only uses loopback addresses"));
        downloadRequested_ = true;
        loaderIp_ = *ip;
        loaderPort_ = *port;
        return one(QStringLiteral("IP Config Saved"));
    }
    if (c == QLatin1String("Reset"))
        return restart(downloadRequested_ ? Phase::Loader : Phase::Firmware, QStringLiteral("Reset"));
    return one(QStringLiteral("Unknown command: ") + c.left(40));
}

// Network setters: "Nmac:", "Nmip:", "Npno:", "Nmsk:", "Ngip:", "Ndns:", "Nlnk:", "Nrcv:".
std::vector<Effect> BoardEngine::handleSetter(const QString& c)
{
    const QString tag = c.left(5);
    const QString value = c.mid(5);
    if (tag == QLatin1String("Nmac:") && value == QLatin1String("?"))
        return one(config_.macLine());
    static const struct {
        const char* tag;
        char marker;
    } kSetters[] = {{"Nmac:", 'M'}, {"Nmip:", 'I'}, {"Npno:", 'P'}, {"Nmsk:", 'N'},
                    {"Ngip:", 'G'}, {"Ndns:", 'D'}, {"Nlnk:", 'L'}, {"Nrcv:", 'R'}};
    for (const auto& s : kSetters) {
        if (tag == QLatin1String(s.tag))
            return lines(applyConfigValue(QLatin1Char(s.marker), value));
    }
    return one(QStringLiteral("Unknown command: ") + c.left(40));
}

QStringList BoardEngine::applyConfigValue(QChar marker, const QString& value)
{
    const QString v = value.trimmed();
    auto address = [&](Ipv4& field, QString (NetConfig::*lineOf)() const, bool loopbackOnly) -> QStringList {
        const auto ip = parseIp(v);
        if (!ip)
            return {QStringLiteral("Refused: expected an address like 127.000.000.001"), (config_.*lineOf)()};
        if (loopbackOnly && !isLoopback(*ip))
            return {kLoopbackOnly, (config_.*lineOf)()};
        field = *ip;
        return {(config_.*lineOf)()};
    };
    auto number = [&](int& field, int lo, int hi, QString (NetConfig::*lineOf)() const) -> QStringList {
        const auto n = parseDecimal(v);
        if (!n || *n < lo || *n > hi)
            return {QStringLiteral("Refused: expected a number from %1 to %2").arg(lo).arg(hi), (config_.*lineOf)()};
        field = *n;
        return {(config_.*lineOf)()};
    };
    switch (marker.unicode()) {
    case 'M': {
        const auto mac = parseMac(v);
        if (!mac)
            return {QStringLiteral("Refused: expected six hex pairs joined by -"), config_.macLine()};
        config_.mac = *mac;
        return {config_.macLine()};
    }
    case 'I': return address(config_.ip, &NetConfig::ipLine, true);
    case 'N': return address(config_.mask, &NetConfig::maskLine, false);
    case 'G': return address(config_.gateway, &NetConfig::gatewayLine, false);
    case 'D': return address(config_.dns, &NetConfig::dnsLine, false);
    case 'P': return number(config_.port, 1, 65535, &NetConfig::portLine);
    case 'L': return number(config_.linkDownS, 0, 999, &NetConfig::linkDownLine);
    case 'R': return number(config_.recvToutS, 0, 999, &NetConfig::recvToutLine);
    default: return {};
    }
}

// The board's own configuration dialogue, entered with "C".
std::vector<Effect> BoardEngine::handleConsole(const QString& c)
{
    if (c == QLatin1String("Q") || c == QLatin1String("Quit")) {
        consoleConfig_ = false;
        QStringList out{QStringLiteral("-- Configuration closed --")};
        out << config_.lines();
        return lines(out);
    }
    if (c == QLatin1String("Save")) {
        consoleConfig_ = false;
        flash_.savedConfig() = config_;
        changed();
        return restart(Phase::Firmware, QStringLiteral("System Reset"));
    }
    if (c == QLatin1String("C")) {
        QStringList out{QStringLiteral("-- Network configuration --")};
        out << config_.lines();
        return lines(out);
    }
    static const QString kMarkers = QStringLiteral("MINGPDLR");
    if (c.size() >= 2 && c[1] == QLatin1Char(':') && kMarkers.contains(c[0]))
        return lines(applyConfigValue(c[0], c.mid(2)));
    return one(QStringLiteral("Unknown entry; see the CONFIG prompt (Save or Q to leave)"));
}

// ---------------------------------------------------------------- table records

std::vector<Effect> BoardEngine::handleRecord(const QString& c)
{
    const QString tag = c.left(4);
    const QString arg = c.mid(4);
    auto reject = [&](const QString& why) {
        pending_.bad = true;
        return one(QStringLiteral("Error %1 record: %2").arg(tag.left(3), why));
    };
    auto number = [&](int max) -> std::optional<int> {
        const auto n = parseDecimal(arg);
        if (!n || *n > max)
            return std::nullopt;
        return n;
    };
    if (tag == QLatin1String("Twf:")) {
        if (!number(999))
            return reject(QStringLiteral("flag must be a number"));
        pending_ = Pending{};
        pending_.started = true;
        return {};
    }
    if (tag != QLatin1String("Twc:") && tag != QLatin1String("Twb:") && tag != QLatin1String("Twr:")
        && tag != QLatin1String("Twp:") && tag != QLatin1String("Twd:"))
        return one(QStringLiteral("Unknown command: ") + c.left(40));
    if (!pending_.started)
        return reject(QStringLiteral("no entry started (send the flag record first)"));
    if (tag == QLatin1String("Twc:")) {
        const auto v = number(999);
        if (!v)
            return reject(QStringLiteral("carrier must be 0 to 999 (0.1 kHz)"));
        pending_.e.carrier = *v;
        pending_.carrier = true;
    } else if (tag == QLatin1String("Twb:")) {
        const auto v = number(StoredEntry::kMaxData);
        if (!v)
            return reject(QStringLiteral("data count must be 0 to 4096"));
        pending_.e.dataCount = *v;
        pending_.count = true;
    } else if (tag == QLatin1String("Twr:")) {
        const auto v = number(999);
        if (!v)
            return reject(QStringLiteral("repeat must be 0 to 999"));
        pending_.e.repeat = *v;
        pending_.repeat = true;
    } else if (tag == QLatin1String("Twp:")) {
        static const QRegularExpression re(QStringLiteral("^([0-9A-Fa-f]):(\\d{1,5}),(\\d{1,6})$"));
        const auto m = re.match(arg);
        if (!m.hasMatch())
            return reject(QStringLiteral("expected <index 0-F>:<high us>,<width us>"));
        const auto i = static_cast<std::size_t>(hexValue(m.captured(1).at(0)));
        pending_.e.high[i] = m.captured(2).toInt();
        pending_.e.width[i] = m.captured(3).toInt();
        ++pending_.pairs;
    } else { // Twd:
        if (arg.size() > StoredEntry::kMaxData)
            return reject(QStringLiteral("more than 4096 data symbols"));
        QByteArray digits;
        digits.reserve(arg.size());
        for (QChar ch : arg) {
            const int v = hexValue(ch);
            if (v < 0)
                return reject(QStringLiteral("data symbols must be hex digits"));
            digits += "0123456789ABCDEF"[v];
        }
        pending_.e.digits = digits;
        pending_.data = true;
    }
    return {};
}

std::vector<Effect> BoardEngine::storeEntry(const QString& arg)
{
    const auto n = parseDecimal(arg);
    if (!n || *n < 1 || *n > Flash::kEntries)
        return one(QStringLiteral("Error Tws record: entry number must be 001 to 999"));
    QString missing;
    if (!pending_.started)
        missing = QStringLiteral("no entry was sent");
    else if (pending_.bad)
        missing = QStringLiteral("a record of the entry was rejected");
    else if (!pending_.carrier || !pending_.count || !pending_.repeat || pending_.pairs == 0 || !pending_.data)
        missing = QStringLiteral("the entry is incomplete");
    else if (pending_.e.digits.size() != pending_.e.dataCount + pending_.e.dataCount % 2)
        missing = QStringLiteral("%1 data digits do not fit the data count %2")
                      .arg(pending_.e.digits.size())
                      .arg(pending_.e.dataCount);
    if (!missing.isEmpty())
        return one(
            QStringLiteral("Error Tws record: entry %1 not stored, %2").arg(*n, 3, 10, QLatin1Char('0')).arg(missing));
    StoredEntry e = pending_.e;
    e.used = true;
    *flash_.entry(*n) = e;
    changed();
    return one(QStringLiteral("Tws:%1 OK").arg(*n, 3, 10, QLatin1Char('0')));
}

std::vector<Effect> BoardEngine::readEntry(const QString& arg)
{
    const auto n = parseDecimal(arg);
    if (!n || *n < 1 || *n > Flash::kEntries)
        return one(QStringLiteral("Error Twl record: entry number must be 001 to 999"));
    const QString no = QStringLiteral("%1").arg(*n, 3, 10, QLatin1Char('0'));
    const StoredEntry* e = flash_.entry(*n);
    if (!e->used)
        return one(QStringLiteral("Twl:") + no + QStringLiteral(" Error"));
    QStringList out;
    out << QStringLiteral("Twl:") + no;
    out << QStringLiteral("Twc:%1").arg(e->carrier, 3, 10, QLatin1Char('0'));
    out << QStringLiteral("Twb:%1").arg(e->dataCount, 3, 10, QLatin1Char('0'));
    out << QStringLiteral("Twr:%1").arg(e->repeat, 3, 10, QLatin1Char('0'));
    for (int i = 0; i < e->reportedPairs(); ++i) {
        out << QStringLiteral("Twp:%1:%2,%3")
                   .arg(QString::number(i, 16).toUpper())
                   .arg(e->high[static_cast<std::size_t>(i)], 5, 10, QLatin1Char('0'))
                   .arg(e->width[static_cast<std::size_t>(i)], 6, 10, QLatin1Char('0'));
    }
    out << QStringLiteral("Twd:") + QString::fromLatin1(e->digits);
    return lines(out);
}

QString BoardEngine::guessFormat() const
{
    const StoredEntry& e = pending_.e;
    if (e.digits.isEmpty())
        return QStringLiteral("entry");
    auto pairOf = [&](int k) {
        const int i = hexValue(QLatin1Char(e.digits.at(k)));
        return irsig::Pair{e.high[static_cast<std::size_t>(i)], e.width[static_cast<std::size_t>(i)]};
    };
    auto near = [](int v, int nominal) { return nominal > 0 && v * 10 >= nominal * 8 && v * 10 <= nominal * 12; };
    auto fits
        = [&](const irsig::Pair& p, const irsig::Symbol& s) { return near(p.high, s.high) && near(p.width, s.width); };
    const irsig::Pair first = pairOf(0);
    for (const irsig::Protocol& p : irsig::catalogue()) {
        if (p.leader.present()) {
            if (fits(first, p.leader))
                return QString::fromStdString(p.name);
        } else if (fits(first, p.zero) || fits(first, p.one)) {
            if (e.digits.size() > 1 && (fits(pairOf(1), p.zero) || fits(pairOf(1), p.one)))
                return QString::fromStdString(p.name);
        }
    }
    return QStringLiteral("entry");
}

std::vector<Effect> BoardEngine::fire(const QString& arg)
{
    const auto frames = parseDecimal(arg);
    if (!frames || *frames < 1 || *frames > 999)
        return one(QStringLiteral("Error Tf: frames must be 1 to 999"));
    if (!pending_.started || pending_.bad || !pending_.data || pending_.pairs == 0)
        return one(QStringLiteral("Error Tf: no complete entry to emit (send the Tw records first)"));
    QStringList outs;
    for (int i = 0; i < 4; ++i) {
        if (outputs_.at(i) == QLatin1Char('1'))
            outs << QStringLiteral("IR%1").arg(i + 1);
    }
    // Duration of one frame: the symbols in use (the data count, not the padding digit).
    long long us = 0;
    const int symbols = std::min<int>(pending_.e.dataCount, static_cast<int>(pending_.e.digits.size()));
    for (int k = 0; k < symbols; ++k)
        us += pending_.e.width[static_cast<std::size_t>(hexValue(QLatin1Char(pending_.e.digits.at(k))))];
    return one(
        QStringLiteral("Fire %1 format %2, %3 symbols, %4 frames of %5 ms")
            .arg(outs.isEmpty() ? QStringLiteral("(no output selected)") : outs.join(QLatin1Char('+')), guessFormat())
            .arg(pending_.e.dataCount)
            .arg(*frames)
            .arg(us / 1000));
}

// ---------------------------------------------------------------- loader

std::vector<Effect> BoardEngine::handleLoader(const QString& c)
{
    if (c == QLatin1String("Ver") || c == QLatin1String("Version")) {
        // The loader colours its banner; ESC is followed by exactly 6 characters.
        return one(QStringLiteral("\x1b[0;32mZOVAX-Ether Loader Ver.1.00\x1b[0;00m"));
    }
    static const QRegularExpression eraseRe(QStringLiteral("^(\\d{1,2}):Last Sector to Erase$"));
    const auto m = eraseRe.match(c);
    if (m.hasMatch()) {
        const int last = m.captured(1).toInt();
        if (last < 2 || last > 7)
            return one(QStringLiteral("Sector error: the firmware occupies sectors 2 to 7"));
        loader_ = Loader{};
        if (opt_.eraseNever)
            return {};
        std::vector<Effect> out;
        for (int s = 2; s <= last; ++s)
            out.push_back(lineEffect(QStringLiteral("FLASH Sector:%1 ... Erased").arg(s), opt_.eraseMs));
        loader_.erasedSector = last;
        flash_.firmware().records = 0;
        flash_.firmware().bytes = 0;
        if (last == 7)
            flash_.eraseTable(); // the code table lives in sector 7
        changed();
        return out;
    }
    if (c == QLatin1String("Download Ready ?")) {
        if (loader_.erasedSector < 0)
            return one(QStringLiteral("Not ready: error, erase the sectors first"));
        loader_.ready = true;
        return one(QStringLiteral("Please send [.hex] file"));
    }
    if (c.startsWith(QLatin1Char(':')))
        return handleHexRecord(c);
    if (c == QLatin1String("Reset")) {
        const bool good = loader_.complete && !loader_.failed && loader_.dataRecords > 0;
        if (good) {
            flash_.firmware().records = loader_.dataRecords;
            flash_.firmware().bytes = loader_.bytes;
            flash_.firmware().installedAt = QDateTime::currentDateTime().toString(Qt::ISODate);
            changed();
        }
        return restart(good ? Phase::Firmware : Phase::Loader, QStringLiteral("Reset"));
    }
    return one(QStringLiteral("?? unknown command in download mode"));
}

std::vector<Effect> BoardEngine::handleHexRecord(const QString& c)
{
    ++loader_.records;
    auto bad = [&](const QString& why) {
        loader_.failed = true;
        return one(QStringLiteral("Record %1 error: %2").arg(loader_.records).arg(why));
    };
    if (!loader_.ready)
        return bad(QStringLiteral("not ready for data (send Download Ready ? first)"));
    if (opt_.downloadErrorAt > 0 && loader_.records == opt_.downloadErrorAt)
        return bad(QStringLiteral("flash write failed"));
    const QString hex = c.mid(1);
    if (hex.size() < 10 || hex.size() % 2 != 0)
        return bad(QStringLiteral("bad record length"));
    QByteArray bytes;
    for (int i = 0; i < hex.size(); i += 2) {
        const int hi = hexValue(hex[i]), lo = hexValue(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return bad(QStringLiteral("not a hex digit"));
        bytes += static_cast<char>(hi * 16 + lo);
    }
    const int count = static_cast<unsigned char>(bytes[0]);
    if (bytes.size() != count + 5)
        return bad(QStringLiteral("byte count does not match the record"));
    unsigned sum = 0;
    for (char b : bytes)
        sum += static_cast<unsigned char>(b);
    if ((sum & 0xFF) != 0)
        return bad(QStringLiteral("checksum"));
    if (loader_.complete)
        return bad(QStringLiteral("record after the end-of-file record"));
    const quint32 offset = (static_cast<unsigned char>(bytes[1]) << 8) | static_cast<unsigned char>(bytes[2]);
    const int type = static_cast<unsigned char>(bytes[3]);
    auto word = [&]() {
        return static_cast<quint32>((static_cast<unsigned char>(bytes[4]) << 8) | static_cast<unsigned char>(bytes[5]));
    };
    switch (type) {
    case 0x00: {
        const quint32 address = loader_.base + offset;
        if (address > sectorEnd(loader_.erasedSector))
            return bad(QStringLiteral("address 0x%1 lies beyond the erased sectors")
                           .arg(address, 8, 16, QLatin1Char('0'))
                           .toUpper());
        ++loader_.dataRecords;
        loader_.bytes += count;
        break;
    }
    case 0x01:
        if (count != 0)
            return bad(QStringLiteral("end-of-file record with data"));
        loader_.complete = true;
        return {lineEffect(QStringLiteral(".")),
                lineEffect(QStringLiteral("Download Complete: %1 data records, %2 bytes")
                               .arg(loader_.dataRecords)
                               .arg(loader_.bytes))};
    case 0x02:
        if (count != 2)
            return bad(QStringLiteral("segment address record needs 2 bytes"));
        loader_.base = word() << 4;
        break;
    case 0x04:
        if (count != 2)
            return bad(QStringLiteral("linear address record needs 2 bytes"));
        loader_.base = word() << 16;
        break;
    case 0x03:
    case 0x05: break; // start address: nothing to program
    default: return bad(QStringLiteral("unknown record type %1").arg(type));
    }
    return one(QStringLiteral("."));
}

} // namespace zovax::sim
