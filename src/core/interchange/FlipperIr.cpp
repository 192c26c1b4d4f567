// Flipper .ir signal files: a two-line header, then signals separated by "#"
// lines, each a set of "key: value" lines. Raw signals are microseconds, mark
// first; parsed signals name a protocol with a four-byte address and command
// (least significant byte first).
#include "core/interchange/FormatParts.h"
#include "core/interchange/ParsedCodes.h"

#include <QStringList>

#include <map>

namespace zovax::fmt {

namespace {

struct Block {
    int line = 0;                                  // line of the "name:" key
    std::map<QString, std::pair<int, QString>> kv; // key -> (line, value); data lines joined
};

// "04 00 00 00" -> 0x00000004
std::optional<uint32_t> fourBytes(const QString& text)
{
    const QStringList b = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (b.size() != 4)
        return std::nullopt;
    uint32_t v = 0;
    for (int k = 0; k < 4; ++k) {
        bool ok = false;
        const uint x = b[k].toUInt(&ok, 16);
        if (!ok || b[k].size() != 2)
            return std::nullopt;
        v |= uint32_t(x) << (8 * k);
    }
    return v;
}

QString bytesText(uint32_t v)
{
    return QStringLiteral("%1 %2 %3 %4")
        .arg(v & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((v >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((v >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg(v >> 24, 2, 16, QLatin1Char('0'))
        .toUpper();
}

} // namespace

ReadResult readFlipper(const QString& fileName, const QByteArray& bytes)
{
    ReadResult r;
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    std::vector<Block> blocks;
    QString filetype, version;
    bool inBlock = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QString l = lines[i].trimmed();
        const int lineNo = i + 1;
        if (l.isEmpty())
            continue;
        if (l.startsWith(QLatin1Char('#'))) {
            inBlock = false;
            continue;
        }
        const int colon = l.indexOf(QLatin1Char(':'));
        if (colon <= 0) {
            r.error
                = lineMessage(fileName, lineNo, QString(), QStringLiteral("「キー: 値」の行ではありません: %1").arg(l));
            return r;
        }
        const QString key = l.left(colon).trimmed().toLower();
        const QString value = l.mid(colon + 1).trimmed();
        if (key == QLatin1String("filetype")) {
            filetype = value;
            continue;
        }
        if (key == QLatin1String("version") && blocks.empty()) {
            version = value;
            continue;
        }
        if (key == QLatin1String("name")) {
            blocks.push_back({lineNo, {}});
            inBlock = true;
        } else if (!inBlock || blocks.empty()) {
            r.error = lineMessage(fileName, lineNo, key, QStringLiteral("「name:」の前にあります"));
            return r;
        }
        auto& kv = blocks.back().kv;
        if (key == QLatin1String("data") && kv.count(key))
            kv[key].second += QLatin1Char(' ') + value; // long signals: several data lines
        else
            kv[key] = {lineNo, value};
    }
    if (filetype != QLatin1String("IR signals file") && filetype != QLatin1String("IR library file")) {
        r.error = lineMessage(fileName, 1, QStringLiteral("Filetype"),
                              QStringLiteral("「IR signals file」ではありません: 「%1」").arg(filetype));
        return r;
    }
    if (version != QLatin1String("1")) {
        r.error = lineMessage(fileName, 2, QStringLiteral("Version"),
                              QStringLiteral("1 ではありません: 「%1」").arg(version));
        return r;
    }

    for (const Block& b : blocks) {
        ReadItem item;
        item.line = b.line;
        item.name = b.kv.at(QStringLiteral("name")).second;
        auto fail = [&](const QString& key, const QString& what) {
            const auto it = b.kv.find(key);
            const int line = it != b.kv.end() ? it->second.first : b.line;
            item.error = lineMessage(fileName, line, QStringLiteral("信号「%1」 %2").arg(item.name, key), what);
            r.items.push_back(item);
        };
        auto value = [&](const char* key) -> std::optional<QString> {
            const auto it = b.kv.find(QLatin1String(key));
            if (it == b.kv.end())
                return std::nullopt;
            return it->second.second;
        };
        const auto type = value("type");
        if (!type) {
            fail(QStringLiteral("type"), QStringLiteral("ありません"));
            continue;
        }
        if (*type == QLatin1String("parsed")) {
            const auto protocol = value("protocol");
            const auto address = value("address");
            const auto command = value("command");
            if (!protocol || !address || !command) {
                fail(!protocol      ? QStringLiteral("protocol")
                         : !address ? QStringLiteral("address")
                                    : QStringLiteral("command"),
                     QStringLiteral("ありません"));
                continue;
            }
            const auto a = fourBytes(*address);
            const auto c = fourBytes(*command);
            if (!a || !c) {
                fail(!a ? QStringLiteral("address") : QStringLiteral("command"),
                     QStringLiteral("4 バイトの 16 進数 (例 04 00 00 00) ではありません: 「%1」")
                         .arg(!a ? *address : *command));
                continue;
            }
            QString error;
            const auto code = codeBytesOf({*protocol, *a, *c}, &error);
            if (!code) {
                const QString field = error.section(QLatin1Char(':'), 0, 0);
                fail(field, error.section(QLatin1Char(':'), 1).trimmed());
                continue;
            }
            item.timing = timingOfCode(*libraryProtocolOf(*protocol), *code);
        } else if (*type == QLatin1String("raw")) {
            const auto frequency = value("frequency");
            const auto data = value("data");
            const auto duty = value("duty_cycle");
            if (!frequency || !data) {
                fail(!frequency ? QStringLiteral("frequency") : QStringLiteral("data"), QStringLiteral("ありません"));
                continue;
            }
            const auto hz = parseDecimal(QStringView(*frequency).trimmed());
            if (!hz || *hz < kMinCarrierHz || *hz > kMaxCarrierHz) {
                fail(QStringLiteral("frequency"),
                     QStringLiteral("「%1」(%2〜%3 Hz の整数)").arg(*frequency).arg(kMinCarrierHz).arg(kMaxCarrierHz));
                continue;
            }
            if (duty) {
                bool ok = false;
                const double d = duty->toDouble(&ok);
                if (!ok || d <= 0 || d > 1) {
                    fail(QStringLiteral("duty_cycle"), QStringLiteral("「%1」(0 より大きく 1 以下)").arg(*duty));
                    continue;
                }
            }
            item.timing.carrierHz = *hz;
            std::vector<int> d;
            bool bad = false;
            const QStringList words = data->split(QLatin1Char(' '), Qt::SkipEmptyParts);
            for (int k = 0; k < words.size(); ++k) {
                const auto us = parseDecimal(QStringView(words[k]).trimmed());
                if (!us || *us <= 0) {
                    fail(QStringLiteral("data"),
                         QStringLiteral("%1 番目「%2」は正の整数ではありません").arg(k + 1).arg(words[k]));
                    bad = true;
                    break;
                }
                d.push_back(*us);
            }
            if (bad)
                continue;
            item.timing.once = closedDurations(std::move(d));
        } else {
            fail(QStringLiteral("type"), QStringLiteral("「%1」は raw でも parsed でもありません").arg(*type));
            continue;
        }
        const QString e = checkTiming(item.timing);
        if (!e.isEmpty()) {
            fail(*type == QLatin1String("raw") ? QStringLiteral("data") : QStringLiteral("protocol"), e);
            continue;
        }
        r.items.push_back(item);
    }
    if (r.items.empty())
        r.error = lineMessage(fileName, 0, QString(), QStringLiteral("信号がありません"));
    return r;
}

QByteArray writeFlipper(const std::vector<ExportRow>& rows)
{
    QByteArray out = "Filetype: IR signals file\nVersion: 1\n";
    const QStringList names = uniqueNames(rows);
    TimingLearner learner;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ExportRow& row = rows[i];
        out += "#\nname: " + names[int(i)].toUtf8() + "\n";
        const auto code = parsedCodeOfRow(row.entry, row.cells[1], row.cells[3], learner);
        if (code) {
            out += "type: parsed\nprotocol: " + code->protocol.toLatin1() + "\naddress: "
                + bytesText(code->address).toLatin1() + "\ncommand: " + bytesText(code->command).toLatin1() + "\n";
            continue;
        }
        const IrTiming t = timingOfRow(row.entry, row.cells[1]);
        QByteArray data;
        for (int d : heldDurations(t))
            data += QByteArray::number(d) + ' ';
        data.chop(1);
        // An unmodulated row keeps its durations; the file form always has a carrier.
        out += "type: raw\nfrequency: " + QByteArray::number(t.carrierHz > 0 ? t.carrierHz : 38000)
            + "\nduty_cycle: 0.330000\ndata: " + data + "\n";
    }
    return out;
}

} // namespace zovax::fmt
