#include "sim/board/Flash.h"

#include <QFile>
#include <QSaveFile>
#include <QTextStream>

namespace zovax::sim {

// File layout (one record per line, "#" starts a comment):
//   ZOVAX-BOARD-SIM FLASH 1
//   NET <mac> <ip> <mask> <gateway> <dns> <port> <linkDownS> <recvToutS>
//   FIRMWARE <records> <bytes> <installedAt or ->
//   ENTRY <nnn> <carrier> <dataCount> <repeat> <h0>,<w0>;<h1>,<w1>;... <digits or ->

namespace {
const char kHeader[] = "ZOVAX-BOARD-SIM FLASH 1";

bool isHexDigits(const QByteArray& d)
{
    for (char c : d) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}
} // namespace

int StoredEntry::reportedPairs() const
{
    for (int i = 0; i < kPairs; ++i) {
        if (high[static_cast<std::size_t>(i)] == 0 && width[static_cast<std::size_t>(i)] == 0)
            return i + 1;
    }
    return kPairs;
}

StoredEntry* Flash::entry(int number)
{
    if (number < 1 || number > kEntries)
        return nullptr;
    return &entries_[static_cast<std::size_t>(number - 1)];
}

const StoredEntry* Flash::entry(int number) const
{
    return const_cast<Flash*>(this)->entry(number);
}

void Flash::eraseTable()
{
    entries_.fill(StoredEntry{});
}

int Flash::usedEntries() const
{
    int n = 0;
    for (const StoredEntry& e : entries_)
        n += e.used ? 1 : 0;
    return n;
}

bool Flash::load(const QString& path, QStringList* problems)
{
    QFile f(path);
    if (!f.exists())
        return true;
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (problems)
            problems->append(QStringLiteral("%1: cannot be read (%2)").arg(path, f.errorString()));
        return false;
    }
    auto problem = [&](int lineNo, const QString& what) {
        if (problems)
            problems->append(QStringLiteral("%1:%2: %3; line ignored").arg(path).arg(lineNo).arg(what));
    };
    int lineNo = 0;
    bool headerSeen = false;
    while (!f.atEnd()) {
        const QString line = QString::fromLatin1(f.readLine()).trimmed();
        ++lineNo;
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line == QLatin1String(kHeader)) {
            headerSeen = true;
            continue;
        }
        if (!headerSeen) {
            if (problems)
                problems->append(QStringLiteral("%1: not a simulator flash file (no \"%2\" line)")
                                     .arg(path, QLatin1String(kHeader)));
            return false;
        }
        const QStringList t = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (t[0] == QLatin1String("NET")) {
            if (t.size() != 9) {
                problem(lineNo, QStringLiteral("NET needs 8 values"));
                continue;
            }
            NetConfig c;
            const auto mac = parseMac(t[1]);
            const auto ip = parseIp(t[2]), mask = parseIp(t[3]), gw = parseIp(t[4]), dns = parseIp(t[5]);
            const auto port = parseDecimal(t[6]), link = parseDecimal(t[7]), recv = parseDecimal(t[8]);
            if (!mac || !ip || !mask || !gw || !dns || !port || !link || !recv || *port < 1 || *port > 65535
                || *link > 999 || *recv > 999) {
                problem(lineNo, QStringLiteral("bad NET value"));
                continue;
            }
            if (!isLoopback(*ip)) {
                problem(lineNo, QStringLiteral("NET address is not 127.x.x.x"));
                continue;
            }
            c.mac = *mac;
            c.ip = *ip;
            c.mask = *mask;
            c.gateway = *gw;
            c.dns = *dns;
            c.port = *port;
            c.linkDownS = *link;
            c.recvToutS = *recv;
            net_ = c;
        } else if (t[0] == QLatin1String("FIRMWARE")) {
            const auto rec = t.size() == 4 ? parseDecimal(t[1]) : std::nullopt;
            bool ok = false;
            const qint64 bytes = t.size() == 4 ? t[2].toLongLong(&ok) : 0;
            if (!rec || !ok || bytes < 0) {
                problem(lineNo, QStringLiteral("bad FIRMWARE record"));
                continue;
            }
            firmware_.records = *rec;
            firmware_.bytes = bytes;
            firmware_.installedAt = t[3] == QLatin1String("-") ? QString() : t[3];
        } else if (t[0] == QLatin1String("ENTRY")) {
            if (t.size() != 7) {
                problem(lineNo, QStringLiteral("ENTRY needs 6 values"));
                continue;
            }
            const auto no = parseDecimal(t[1]), carrier = parseDecimal(t[2]), count = parseDecimal(t[3]),
                       repeat = parseDecimal(t[4]);
            if (!no || *no < 1 || *no > kEntries || !carrier || *carrier > 999 || !count
                || *count > StoredEntry::kMaxData || !repeat || *repeat > 999) {
                problem(lineNo, QStringLiteral("bad ENTRY number or field"));
                continue;
            }
            StoredEntry e;
            e.used = true;
            e.carrier = *carrier;
            e.dataCount = *count;
            e.repeat = *repeat;
            const QStringList pairs = t[5].split(QLatin1Char(';'), Qt::SkipEmptyParts);
            bool good = pairs.size() <= StoredEntry::kPairs;
            for (int i = 0; good && i < pairs.size(); ++i) {
                const QStringList hw = pairs[i].split(QLatin1Char(','));
                const auto h = hw.size() == 2 ? parseDecimal(hw[0]) : std::nullopt;
                const auto w = hw.size() == 2 ? parseDecimal(hw[1]) : std::nullopt;
                good = h && w && *h <= 99999 && *w <= 999999;
                if (good) {
                    e.high[static_cast<std::size_t>(i)] = *h;
                    e.width[static_cast<std::size_t>(i)] = *w;
                }
            }
            e.digits = t[6] == QLatin1String("-") ? QByteArray() : t[6].toLatin1();
            const int expected = e.dataCount + (e.dataCount % 2);
            if (!good || !isHexDigits(e.digits) || e.digits.size() != expected) {
                problem(lineNo, QStringLiteral("bad ENTRY pairs or data"));
                continue;
            }
            entries_[static_cast<std::size_t>(*no - 1)] = e;
        } else {
            problem(lineNo, QStringLiteral("unknown record \"%1\"").arg(t[0]));
        }
    }
    if (!headerSeen && lineNo > 0 && problems)
        problems->append(QStringLiteral("%1: no \"%2\" line").arg(path, QLatin1String(kHeader)));
    return true;
}

bool Flash::save(const QString& path, QString* error) const
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    QByteArray out;
    out += kHeader;
    out += "\n# Written by zovax-board-sim; edit with care (bad lines are skipped on load).\n";
    out += QStringLiteral("NET %1 %2 %3 %4 %5 %6 %7 %8\n")
               .arg(net_.mac, formatIp(net_.ip), formatIp(net_.mask), formatIp(net_.gateway), formatIp(net_.dns))
               .arg(net_.port)
               .arg(net_.linkDownS)
               .arg(net_.recvToutS)
               .toLatin1();
    out += QStringLiteral("FIRMWARE %1 %2 %3\n")
               .arg(firmware_.records)
               .arg(firmware_.bytes)
               .arg(firmware_.installedAt.isEmpty() ? QStringLiteral("-") : firmware_.installedAt)
               .toLatin1();
    for (int n = 1; n <= kEntries; ++n) {
        const StoredEntry& e = entries_[static_cast<std::size_t>(n - 1)];
        if (!e.used)
            continue;
        QByteArray pairs;
        for (int i = 0; i < e.reportedPairs(); ++i) {
            if (i)
                pairs += ';';
            pairs += QByteArray::number(e.high[static_cast<std::size_t>(i)]) + ','
                + QByteArray::number(e.width[static_cast<std::size_t>(i)]);
        }
        out += "ENTRY " + QByteArray::number(n).rightJustified(3, '0') + ' ' + QByteArray::number(e.carrier) + ' '
            + QByteArray::number(e.dataCount) + ' ' + QByteArray::number(e.repeat) + ' ' + pairs + ' '
            + (e.digits.isEmpty() ? QByteArray("-") : e.digits) + '\n';
    }
    if (f.write(out) != out.size() || !f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

} // namespace zovax::sim
