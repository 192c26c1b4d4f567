// Pronto Hex (learned form) and sendir lines: durations counted in carrier
// periods. Both hold one code per line; a Pronto file may put the code's name
// on a "#" line just before it.
#include "core/interchange/FormatParts.h"

#include <QStringList>

#include <cmath>

namespace zovax::fmt {

namespace {

constexpr double kProntoUnitUs = 0.241246; // one frequency-word step of the carrier period
constexpr int kUnmodulatedWord = 0x006D;   // time base written for an unmodulated row

QList<QByteArrayView> linesOf(const QByteArray& bytes)
{
    QList<QByteArrayView> out;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        if (i == bytes.size() || bytes[i] == '\n') {
            QByteArrayView l(bytes.constData() + start, i - start);
            if (l.endsWith('\r'))
                l.chop(1);
            out << l;
            start = i + 1;
        }
    }
    return out;
}

// Durations of a part in periods of `periodUs`, each at least 1 and at most 0xFFFF.
QStringList periodWords(const std::vector<int>& us, double periodUs)
{
    QStringList w;
    for (int d : us)
        w << QStringLiteral("%1")
                 .arg(std::clamp(int(std::lround(d / periodUs)), 1, 0xFFFF), 4, 16, QLatin1Char('0'))
                 .toUpper();
    return w;
}

// A line whose fields all read: kept as a code when its timing makes a signal,
// otherwise with the reason as its error.
void keepLine(ReadResult& r, ReadItem item, const QString& fileName)
{
    const QString e = checkTiming(item.timing);
    if (!e.isEmpty())
        item.error = lineMessage(fileName, item.line, QString(), e);
    r.items.push_back(std::move(item));
}

// A file without any line that names a code is an error of the file.
ReadResult endOfFile(ReadResult r, const QString& fileName, const QString& noneText)
{
    if (r.items.empty())
        r.error = lineMessage(fileName, 0, QString(), noneText);
    return r;
}

} // namespace

ReadResult readPronto(const QString& fileName, const QByteArray& bytes)
{
    ReadResult r;
    QString name;
    int lineNo = 0;
    for (QByteArrayView raw : linesOf(bytes)) {
        ++lineNo;
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1Char('#'))) {
            name = line.mid(1).trimmed();
            continue;
        }
        ReadItem item;
        item.name = name;
        item.line = lineNo;
        name.clear();
        auto fail = [&](const QString& field, const QString& what) {
            item.error = lineMessage(fileName, lineNo, field, what);
            r.items.push_back(item);
        };
        const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        std::vector<int> v;
        bool bad = false;
        for (int k = 0; k < words.size() && !bad; ++k) {
            bool ok = false;
            const int x = words[k].toInt(&ok, 16);
            if (!ok || words[k].size() != 4) {
                fail(QStringLiteral("%1 語目").arg(k + 1),
                     QStringLiteral("「%1」は 4 桁の 16 進数ではありません").arg(words[k]));
                bad = true;
            }
            v.push_back(x);
        }
        if (bad)
            continue;
        if (v.size() < 4) {
            fail(QStringLiteral("語数"), QStringLiteral("%1 語しかありません (4 語以上)").arg(v.size()));
            continue;
        }
        if (v[0] != 0x0000 && v[0] != 0x0100) {
            fail(QStringLiteral("1 語目"),
                 QStringLiteral("%1 形式には対応していません (0000 と 0100 のみ)").arg(words[0]));
            continue;
        }
        const bool modulated = v[0] == 0x0000;
        const double periodUs = v[1] * kProntoUnitUs;
        const int carrierHz = v[1] ? int(std::lround(1e6 / periodUs)) : 0;
        if (v[1] == 0 || (modulated && (carrierHz < kMinCarrierHz || carrierHz > kMaxCarrierHz))) {
            fail(QStringLiteral("2 語目 (周波数)"),
                 QStringLiteral("%1 は搬送波 %2 Hz になります (%3〜%4 Hz)")
                     .arg(words[1])
                     .arg(carrierHz)
                     .arg(kMinCarrierHz)
                     .arg(kMaxCarrierHz));
            continue;
        }
        const int once = v[2], repeat = v[3];
        if (once + repeat == 0) {
            fail(QStringLiteral("3〜4 語目"), QStringLiteral("組数が 0 です"));
            continue;
        }
        if (int(v.size()) != 4 + 2 * (once + repeat)) {
            fail(QStringLiteral("語数"),
                 QStringLiteral("%1 語ですが、組数 %2 + %3 なら %4 語です")
                     .arg(v.size())
                     .arg(once)
                     .arg(repeat)
                     .arg(4 + 2 * (once + repeat)));
            continue;
        }
        item.timing.carrierHz = modulated ? carrierHz : 0;
        for (int k = 4; k < int(v.size()) && !bad; ++k) {
            if (v[std::size_t(k)] == 0) {
                fail(QStringLiteral("%1 語目").arg(k + 1), QStringLiteral("時間が 0 です"));
                bad = true;
                break;
            }
            const int us = int(std::lround(v[std::size_t(k)] * periodUs));
            (k < 4 + 2 * once ? item.timing.once : item.timing.repeat).push_back(us);
        }
        if (!bad)
            keepLine(r, std::move(item), fileName);
    }
    return endOfFile(std::move(r), fileName, QStringLiteral("Pronto Hex の符号がありません"));
}

QByteArray writePronto(const std::vector<ExportRow>& rows)
{
    QByteArray out;
    for (const ExportRow& row : rows) {
        const IrTiming t = timingOfRow(row.entry, row.cells[1]);
        const bool modulated = t.carrierHz > 0;
        const int word = modulated ? int(std::lround(1e6 / (t.carrierHz * kProntoUnitUs))) : kUnmodulatedWord;
        const double periodUs = word * kProntoUnitUs;
        QStringList w;
        w << (modulated ? QStringLiteral("0000") : QStringLiteral("0100"))
          << QStringLiteral("%1").arg(word, 4, 16, QLatin1Char('0')).toUpper()
          << QStringLiteral("%1").arg(int(t.once.size() / 2), 4, 16, QLatin1Char('0')).toUpper()
          << QStringLiteral("%1").arg(int(t.repeat.size() / 2), 4, 16, QLatin1Char('0')).toUpper();
        w << periodWords(t.once, periodUs) << periodWords(t.repeat, periodUs);
        if (!row.cells[2].trimmed().isEmpty() && rows.size() > 1)
            out += "# " + row.cells[2].trimmed().toUtf8() + "\r\n";
        out += w.join(QLatin1Char(' ')).toLatin1() + "\r\n";
    }
    return out;
}

ReadResult readSendir(const QString& fileName, const QByteArray& bytes)
{
    ReadResult r;
    int lineNo = 0;
    for (QByteArrayView raw : linesOf(bytes)) {
        ++lineNo;
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        ReadItem item;
        item.line = lineNo;
        auto fail = [&](const QString& field, const QString& what) {
            item.error = lineMessage(fileName, lineNo, field, what);
            r.items.push_back(item);
        };
        const QStringList f = line.split(QLatin1Char(','));
        if (f[0].trimmed().compare(QLatin1String("sendir"), Qt::CaseInsensitive) != 0) {
            fail(QStringLiteral("1 項目"), QStringLiteral("「sendir」で始まっていません"));
            continue;
        }
        if (f.size() < 8) {
            fail(QStringLiteral("項目数"), QStringLiteral("%1 項目しかありません (途中で切れています)").arg(f.size()));
            continue;
        }
        const char* names[] = {"", "module:connector", "id", "frequency", "repeat", "offset"};
        std::optional<int> num[6];
        bool bad = false;
        for (int k = 2; k <= 5 && !bad; ++k) {
            num[k] = parseDecimal(QStringView(f[k]).trimmed());
            if (!num[k]) {
                fail(QLatin1String(names[k]), QStringLiteral("「%1」は数値ではありません").arg(f[k].trimmed()));
                bad = true;
            }
        }
        if (bad)
            continue;
        const int freq = *num[3], repeat = *num[4], offset = *num[5];
        const int count = int(f.size()) - 6;
        if (freq < kMinCarrierHz || freq > kMaxCarrierHz) {
            fail(QStringLiteral("frequency"),
                 QStringLiteral("%1 Hz (%2〜%3 Hz)").arg(freq).arg(kMinCarrierHz).arg(kMaxCarrierHz));
            continue;
        }
        if (repeat < 1) {
            fail(QStringLiteral("repeat"), QStringLiteral("%1 (1 以上)").arg(repeat));
            continue;
        }
        if (count % 2 != 0) {
            fail(QStringLiteral("on/off"), QStringLiteral("時間が %1 個 (on と off の組になっていません)").arg(count));
            continue;
        }
        if (offset < 1 || offset % 2 == 0 || offset > count) {
            fail(QStringLiteral("offset"), QStringLiteral("%1 (1〜%2 の奇数)").arg(offset).arg(count));
            continue;
        }
        item.timing.carrierHz = freq;
        for (int k = 0; k < count && !bad; ++k) {
            const std::optional<int> c = parseDecimal(QStringView(f[6 + k]).trimmed());
            if (!c || *c <= 0) {
                fail(QStringLiteral("%1 番目の時間").arg(k + 1),
                     QStringLiteral("「%1」は正の数値ではありません").arg(f[6 + k].trimmed()));
                bad = true;
                break;
            }
            const int us = int(std::lround(double(*c) * 1e6 / freq));
            // Sent once: the whole list. Sent again: the part from the offset repeats.
            (repeat == 1 || k < offset - 1 ? item.timing.once : item.timing.repeat).push_back(us);
        }
        if (!bad)
            keepLine(r, std::move(item), fileName);
    }
    return endOfFile(std::move(r), fileName, QStringLiteral("sendir の行がありません"));
}

QByteArray writeSendir(const std::vector<ExportRow>& rows)
{
    QByteArray out;
    for (const ExportRow& row : rows) {
        const IrTiming t = timingOfRow(row.entry, row.cells[1]);
        // sendir has no unmodulated form: such a row keeps its durations at 38 kHz.
        const int freq = t.carrierHz > 0 ? t.carrierHz : 38000;
        const double periodUs = 1e6 / freq;
        const bool repeats = !t.repeat.empty();
        QStringList f{QStringLiteral("sendir"),         QStringLiteral("1:1"),
                      QString::number(row.row),         QString::number(freq),
                      QString::number(repeats ? 3 : 1), QString::number(repeats ? int(t.once.size()) + 1 : 1)};
        for (const std::vector<int>* part : {&t.once, &t.repeat}) {
            for (int d : *part)
                f << QString::number(std::max(1, int(std::lround(d / periodUs))));
        }
        out += f.join(QLatin1Char(',')).toLatin1() + "\r\n";
    }
    return out;
}

} // namespace zovax::fmt
