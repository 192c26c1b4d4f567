// LIRC remote definitions (lircd.conf). Read: raw_codes remotes and the common
// space-encoded remotes. Written: raw_codes remotes, one per carrier.
#include "core/interchange/FormatParts.h"

#include <QRegularExpression>
#include <QStringList>

#include <tuple>

#include <map>

namespace zovax::fmt {

namespace {

struct Code {
    QString name;
    int line = 0;
    quint64 value = 0;
    std::vector<int> raw;
    QString error;
    // From the comment this tool writes before each raw code: how many
    // durations are sent once, and the closing space after the code.
    int onceCount = -1;
    int closingUs = 0;
};

// "# KEY_POWER: once 68 gap 96190" (before "begin remote": lircd allows no
// comments among the codes): the first 68 durations of that raw code are sent
// once, the rest repeats while the button is held, and the code is followed
// by 96190 us of silence.
const QRegularExpression kStructureComment(QStringLiteral("^\\s*#\\s*(\\S+):\\s+once\\s+(\\d+)\\s+gap\\s+(\\d+)\\s*$"));

struct Remote {
    QString name;
    int line = 0;
    std::map<QString, std::pair<int, QStringList>> params; // key -> (line, values)
    bool raw = false;
    std::vector<Code> codes;
};

std::optional<quint64> lircNumber(const QString& s)
{
    bool ok = false;
    const quint64 v = s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? s.mid(2).toULongLong(&ok, 16)
                                                                             : s.toULongLong(&ok, 10);
    return ok ? std::optional<quint64>(v) : std::nullopt;
}

// The durations of one space-encoded frame, or a message "<field>: <what>".
struct SpaceEnc {
    int header[2] = {0, 0}, one[2] = {0, 0}, zero[2] = {0, 0}, repeat[2] = {0, 0};
    int ptrail = 0, gap = 0, bits = 0, preBits = 0, postBits = 0;
    quint64 pre = 0, post = 0;
    bool constLength = false, noHeadRep = false;
};

void pushBits(std::vector<int>& d, const SpaceEnc& s, quint64 v, int n)
{
    for (int k = n - 1; k >= 0; --k) { // most significant bit first
        const int* sym = ((v >> k) & 1u) ? s.one : s.zero;
        d.push_back(sym[0]);
        d.push_back(sym[1]);
    }
}

// Closes a frame: the trailing mark and the gap (CONST_LENGTH: the gap is the
// frame period). Without a trailing mark the last space takes the gap.
void closeFrame(std::vector<int>& d, const SpaceEnc& s)
{
    if (s.ptrail > 0) {
        d.push_back(s.ptrail);
        d.push_back(0);
    }
    long long len = 0;
    for (std::size_t i = 0; i + 1 < d.size(); ++i)
        len += d[i];
    const long long gap = s.constLength ? std::max<long long>(s.gap - len, s.gap / 10) : s.gap;
    d.back() += int(std::clamp<long long>(gap, 0, kMaxWidthUs));
    if (d.back() <= 0)
        d.back() = 1;
}

IrTiming spaceEncTiming(const SpaceEnc& s, quint64 code, int hz)
{
    IrTiming t;
    t.carrierHz = hz;
    std::vector<int> frame;
    if (s.header[0] > 0) {
        frame.push_back(s.header[0]);
        frame.push_back(s.header[1]);
    }
    pushBits(frame, s, s.pre, s.preBits);
    pushBits(frame, s, code, s.bits);
    pushBits(frame, s, s.post, s.postBits);
    std::vector<int> merged = frame;
    closeFrame(merged, s);
    t.once = merged;
    std::vector<int> rep;
    if (s.repeat[0] > 0) {
        rep = {s.repeat[0], s.repeat[1]};
        closeFrame(rep, s);
    } else {
        rep = merged;
        if (s.noHeadRep && s.header[0] > 0) {
            rep.erase(rep.begin(), rep.begin() + 2);
            closeFrame(rep, s);
        }
    }
    t.repeat = rep;
    return t;
}

// A raw code: with this tool's comment, its once and repeat parts as written;
// otherwise the code as lircd sends it while a button is held: again and
// again, each followed by the remote's gap.
IrTiming rawTiming(const Code& c, int hz, int gapUs)
{
    IrTiming t;
    t.carrierHz = hz;
    std::vector<int> d = c.raw;
    if (d.size() % 2 == 1)
        d.push_back(c.onceCount >= 0 && c.closingUs > 0 ? c.closingUs : gapUs);
    if (c.onceCount < 0) {
        t.repeat = d;
        return t;
    }
    const std::size_t split = std::min(d.size(), std::size_t(c.onceCount) + (c.onceCount % 2));
    t.once.assign(d.begin(), d.begin() + std::ptrdiff_t(split));
    t.repeat.assign(d.begin() + std::ptrdiff_t(split), d.end());
    return t;
}

} // namespace

ReadResult readLirc(const QString& fileName, const QByteArray& bytes)
{
    ReadResult r;
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    std::vector<Remote> remotes;
    enum class Where { Outside, Remote, Codes, RawCodes } where = Where::Outside;
    auto syntax = [&](int line, const QString& what) {
        r.items.clear();
        r.error = lineMessage(fileName, line, QString(), what);
        return r;
    };
    int lineNo = 0;
    std::map<QString, std::pair<int, int>> structure; // raw code name -> (once, closing space)
    for (const QString& rawLine : lines) {
        ++lineNo;
        QString l = rawLine;
        const QRegularExpressionMatch m = kStructureComment.match(l);
        if (m.hasMatch()) {
            structure[m.captured(1)] = {m.captured(2).toInt(), m.captured(3).toInt()};
            continue;
        }
        const int hash = l.indexOf(QLatin1Char('#'));
        if (hash >= 0)
            l.truncate(hash);
        const QStringList w = l.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (w.isEmpty())
            continue;
        const QString k = w[0].toLower();
        const QString what = w.size() > 1 ? w[1].toLower() : QString();
        if (k == QLatin1String("begin")) {
            if (where == Where::Outside && what == QLatin1String("remote")) {
                remotes.push_back({});
                remotes.back().line = lineNo;
                where = Where::Remote;
            } else if (where == Where::Remote && what == QLatin1String("codes")) {
                where = Where::Codes;
            } else if (where == Where::Remote && what == QLatin1String("raw_codes")) {
                where = Where::RawCodes;
                remotes.back().raw = true;
            } else {
                return syntax(lineNo, QStringLiteral("ここに「begin %1」は書けません").arg(what));
            }
            continue;
        }
        if (k == QLatin1String("end")) {
            if ((where == Where::Codes && what == QLatin1String("codes"))
                || (where == Where::RawCodes && what == QLatin1String("raw_codes")))
                where = Where::Remote;
            else if (where == Where::Remote && what == QLatin1String("remote"))
                where = Where::Outside;
            else
                return syntax(lineNo, QStringLiteral("ここに「end %1」は書けません").arg(what));
            continue;
        }
        switch (where) {
        case Where::Outside:
            return syntax(lineNo, QStringLiteral("「begin remote」の外にあります: %1").arg(w.join(QLatin1Char(' '))));
        case Where::Remote:
            remotes.back().params[k] = {lineNo, w.mid(1)};
            if (k == QLatin1String("name"))
                remotes.back().name = w.value(1);
            break;
        case Where::Codes: {
            Code c;
            c.name = w[0];
            c.line = lineNo;
            const auto v = w.size() >= 2 ? lircNumber(w[1]) : std::nullopt;
            if (!v)
                c.error = lineMessage(fileName, lineNo, QStringLiteral("ボタン「%1」").arg(c.name),
                                      QStringLiteral("符号「%1」が数値ではありません").arg(w.value(1)));
            else
                c.value = *v;
            remotes.back().codes.push_back(c);
            break;
        }
        case Where::RawCodes: {
            int from = 0;
            if (k == QLatin1String("name")) {
                Code c;
                c.name = w.value(1);
                c.line = lineNo;
                remotes.back().codes.push_back(c);
                from = 2;
            } else if (remotes.back().codes.empty()) {
                return syntax(lineNo, QStringLiteral("「name」の前に時間があります"));
            }
            Code& c = remotes.back().codes.back();
            for (int i = from; i < w.size() && c.error.isEmpty(); ++i) {
                const auto v = parseDecimal(QStringView(w[i]).trimmed());
                if (!v || *v <= 0)
                    c.error = lineMessage(fileName, lineNo, QStringLiteral("ボタン「%1」").arg(c.name),
                                          QStringLiteral("「%1」は正の整数ではありません").arg(w[i]));
                else
                    c.raw.push_back(*v);
            }
            break;
        }
        }
    }
    if (where != Where::Outside)
        return syntax(lineNo, QStringLiteral("ファイルが途中で終わっています (「end」がありません)"));

    for (Remote& rem : remotes) {
        for (Code& c : rem.codes) {
            const auto it = structure.find(c.name);
            if (it != structure.end())
                std::tie(c.onceCount, c.closingUs) = it->second;
        }
    }
    for (const Remote& rem : remotes) {
        auto param = [&](const char* key) -> const std::pair<int, QStringList>* {
            const auto it = rem.params.find(QLatin1String(key));
            return it == rem.params.end() ? nullptr : &it->second;
        };
        QString remoteError;
        auto number = [&](const char* key, int index, int fallback, int minimum, int maximum) {
            const auto* p = param(key);
            if (!p || !remoteError.isEmpty())
                return fallback;
            std::optional<int> v;
            if (p->second.size() > index)
                v = parseDecimal(QStringView(p->second[index]).trimmed());
            if (!v || *v < minimum || *v > maximum)
                remoteError = lineMessage(fileName, p->first, QLatin1String(key),
                                          QStringLiteral("「%1」(%2〜%3 の整数)")
                                              .arg(p->second.join(QLatin1Char(' ')))
                                              .arg(minimum)
                                              .arg(maximum));
            return v.value_or(fallback);
        };
        auto code64 = [&](const char* key) -> quint64 {
            const auto* p = param(key);
            if (!p || !remoteError.isEmpty())
                return 0;
            const auto v = p->second.isEmpty() ? std::nullopt : lircNumber(p->second[0]);
            if (!v)
                remoteError = lineMessage(fileName, p->first, QLatin1String(key), QStringLiteral("数値ではありません"));
            return v.value_or(0);
        };
        const int hz = number("frequency", 0, 38000, 0, kMaxCarrierHz);
        if (remoteError.isEmpty() && hz != 0 && hz < kMinCarrierHz)
            remoteError = lineMessage(
                fileName, param("frequency")->first, QStringLiteral("frequency"),
                QStringLiteral("%1 Hz (%2〜%3 Hz、無変調は 0)").arg(hz).arg(kMinCarrierHz).arg(kMaxCarrierHz));
        const QStringList flags = param("flags")
            ? param("flags")->second.join(QString()).toUpper().split(QLatin1Char('|'), Qt::SkipEmptyParts)
            : QStringList();
        SpaceEnc s;
        if (!rem.raw) {
            for (const QString& f : flags) {
                static const QStringList ok{QStringLiteral("SPACE_ENC"), QStringLiteral("CONST_LENGTH"),
                                            QStringLiteral("NO_HEAD_REP"), QStringLiteral("REPEAT_HEADER")};
                if (!ok.contains(f) && remoteError.isEmpty())
                    remoteError
                        = lineMessage(fileName, param("flags")->first, QStringLiteral("flags"),
                                      QStringLiteral("%1 には対応していません (SPACE_ENC, CONST_LENGTH のみ)").arg(f));
            }
            s.constLength = flags.contains(QStringLiteral("CONST_LENGTH"));
            s.noHeadRep = flags.contains(QStringLiteral("NO_HEAD_REP"));
            for (int i = 0; i < 2; ++i) {
                s.header[i] = number("header", i, 0, 0, kMaxMarkUs);
                s.one[i] = number("one", i, 0, 1, kMaxMarkUs);
                s.zero[i] = number("zero", i, 0, 1, kMaxMarkUs);
                s.repeat[i] = number("repeat", i, 0, 0, kMaxWidthUs / 2);
            }
            s.ptrail = number("ptrail", 0, 0, 0, kMaxMarkUs);
            s.bits = number("bits", 0, 0, 1, 64);
            s.preBits = number("pre_data_bits", 0, 0, 0, 64);
            s.postBits = number("post_data_bits", 0, 0, 0, 64);
            s.pre = code64("pre_data");
            s.post = code64("post_data");
            if (remoteError.isEmpty() && (!param("one") || !param("zero") || !param("bits")))
                remoteError = lineMessage(fileName, rem.line,
                                          !param("one")        ? QStringLiteral("one")
                                              : !param("zero") ? QStringLiteral("zero")
                                                               : QStringLiteral("bits"),
                                          QStringLiteral("space-encoded のリモコンに必要です"));
        }
        s.gap = number("gap", 0, 100000, 1, kMaxWidthUs);

        for (const Code& c : rem.codes) {
            ReadItem item;
            item.name = c.name;
            item.line = c.line;
            item.error = !remoteError.isEmpty() ? remoteError : c.error;
            if (item.error.isEmpty()) {
                if (rem.raw) {
                    item.timing = rawTiming(c, hz, s.gap);
                } else {
                    item.timing = spaceEncTiming(s, c.value, hz);
                }
                const QString e = checkTiming(item.timing);
                if (!e.isEmpty())
                    item.error = lineMessage(fileName, c.line, QStringLiteral("ボタン「%1」").arg(c.name), e);
            }
            r.items.push_back(item);
        }
    }
    if (r.items.empty())
        r.error = lineMessage(fileName, 0, QString(), QStringLiteral("ボタンの定義がありません"));
    return r;
}

QByteArray writeLirc(const std::vector<ExportRow>& rows)
{
    // One remote per carrier, in the order the carriers first appear.
    std::vector<int> carriers;
    for (const ExportRow& r : rows) {
        if (std::find(carriers.begin(), carriers.end(), carrierHzOf(r.entry)) == carriers.end())
            carriers.push_back(carrierHzOf(r.entry));
    }
    const QStringList names = uniqueNames(rows);
    QByteArray out = "# Remote-control codes exported from the ZOVAX-Ether table.\n"
                     "# Each code: the part sent once and one copy of the part repeated while held.\n"
                     "# The lines below give, per code, the durations sent once and the closing space.\n";
    QByteArray remotesText;
    QByteArray structure;
    for (std::size_t k = 0; k < carriers.size(); ++k) {
        QByteArray& out = remotesText;
        out += "begin remote\n";
        out += "  name  " + (k == 0 ? QByteArray("ZOVAX") : "ZOVAX_" + QByteArray::number(carriers[k])) + "\n";
        out += "  flags RAW_CODES\n  eps   30\n  aeps  100\n";
        out += "  frequency " + QByteArray::number(carriers[k]) + "\n";
        out += "  gap   100000\n\n  begin raw_codes\n";
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (carrierHzOf(rows[i].entry) != carriers[k])
                continue;
            out += "\n";
            // The code is the once part and one copy of the repeat part (lircd
            // sends it again while a button is held); the comment keeps the split
            // and the closing space for reading it back.
            const IrTiming t = timingOfRow(rows[i].entry, rows[i].cells[1]);
            std::vector<int> d = t.once;
            d.insert(d.end(), t.repeat.begin(), t.repeat.end());
            const int closing = d.empty() ? 0 : d.back();
            if (!d.empty())
                d.pop_back();
            structure += "# " + names[int(i)].toLatin1() + ": once " + QByteArray::number(int(t.once.size())) + " gap "
                + QByteArray::number(closing) + "\n";
            out += "    name " + names[int(i)].toLatin1() + "\n";
            for (std::size_t j = 0; j < d.size(); j += 6) {
                out += "     ";
                for (std::size_t m = j; m < std::min(d.size(), j + 6); ++m)
                    out += QByteArray::number(d[m]).rightJustified(8, ' ');
                out += "\n";
            }
        }
        out += "\n  end raw_codes\nend remote\n\n";
    }
    return out + structure + "\n" + remotesText;
}

} // namespace zovax::fmt
