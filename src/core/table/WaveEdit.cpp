#include "core/table/WaveEdit.h"

#include "core/link/DeviceLink.h"
#include "core/shell/Ports.h"
#include "core/shell/TextNumbers.h"
#include "core/table/CodeTable.h"
#include "core/table/TwRecords.h"

#include <algorithm>

namespace zovax {

int WaveEditFields::carrier() const
{
    return parseIntOr(carry, waveedit::kDefaultCarrier);
}
int WaveEditFields::dataCount() const
{
    return parseIntOr(dataBits, 0);
}
int WaveEditFields::repeat() const
{
    return parseIntOr(repeatBit, 0);
}

int WaveEditFields::highAt(int i) const
{
    return i >= 0 && i < kPatternPairs ? parseIntOr(high[size_t(i)], 0) : 0;
}

int WaveEditFields::widthAt(int i) const
{
    return i >= 0 && i < kPatternPairs ? parseIntOr(width[size_t(i)], 0) : 0;
}

QString PcodeRuler(int symbols)
{
    QString r;
    if (symbols <= 0)
        return r;
    r.reserve(symbols);
    for (int i = 0; i < symbols; ++i) {
        if (i % 10 == 0)
            r += QChar(u'0' + (i / 10) % 10);
        else if (i % 5 == 0)
            r += QLatin1Char('+');
        else
            r += QLatin1Char('-');
    }
    return r;
}

QString ByteCodeOfResult(const QString& result)
{
    const qsizetype at = result.indexOf(waveedit::kByteCodeMarker);
    return at < 0 ? QString() : result.mid(at + waveedit::kByteCodeMarker.size());
}

QString ResultWithByteCode(const QString& result, const QString& byteCode)
{
    const qsizetype at = result.indexOf(waveedit::kByteCodeMarker);
    if (at >= 0) {
        const qsizetype tail = at + waveedit::kByteCodeMarker.size();
        if (result.mid(tail) == byteCode)
            return result;
        return result.left(tail) + byteCode;
    }
    if (byteCode.isEmpty())
        return result;
    if (result.isEmpty())
        return waveedit::kByteCodeMarker + byteCode;
    const QString sep = result.endsWith(QLatin1Char(' ')) ? QString() : QStringLiteral(" ");
    return result + sep + waveedit::kByteCodeMarker + byteCode;
}

QString ByteCodeToPcode(const QString& byteCode, const TableEntry& e)
{
    // The pair with the larger width is the 1 bit; on a tie pair 1 is.
    const bool pairTwoIsOne = e.width[1] < e.width[2];
    const QChar one = pairTwoIsOne ? QLatin1Char('2') : QLatin1Char('1');
    const QChar zero = pairTwoIsOne ? QLatin1Char('1') : QLatin1Char('2');

    QString out = QStringLiteral("0"); // leader
    const qsizetype n = byteCode.size();
    out.reserve(2 + (n / 2 + 1) * 8);
    qsizetype pos = 0;
    while (pos < n) {
        const int hi = hexDigitValue(byteCode[pos]);
        int value = -1;
        if (pos + 1 < n) {
            const int lo = hexDigitValue(byteCode[pos + 1]);
            if (hi >= 0 && lo >= 0)
                value = hi * 16 + lo;
        } else {
            value = hi; // one character left at the end
        }
        if (value < 0) {
            ++pos; // not a number here: try again one character on
            continue;
        }
        for (int bit = 0; bit < 8; ++bit)
            out += (value >> bit) & 1 ? one : zero;
        pos += 2;
    }
    out += QLatin1Char('3'); // closing pulse
    return out;
}

WaveEditFields WaveEditFieldsOf(const TableEntry& e, const QString& resultCell)
{
    WaveEditFields f;
    const int count = boundedDataCount(e);
    f.carry = QString::asprintf("%3d", e.carrier);
    f.dataBits = QString::asprintf("%3d", count);
    f.repeatBit = QString::asprintf("%4d", e.repeat);
    for (int i = 0; i < kPatternPairs && e.high[size_t(i)] != 0; ++i) {
        f.high[size_t(i)] = QString::asprintf("%5d", e.high[size_t(i)]);
        f.width[size_t(i)] = QString::asprintf("%6d", e.width[size_t(i)]);
    }
    static const char kHex[] = "0123456789ABCDEF";
    QByteArray digits(count, '0');
    for (int k = 0; k < count; ++k)
        digits[k] = kHex[e.data[size_t(k)] & 0x0F];
    f.pcode = QString::fromLatin1(digits);
    f.byteCode = ByteCodeOfResult(resultCell);
    return f;
}

QStringList IrOutRecords(const WaveEditFields& f)
{
    TableEntry head;
    head.carrier = f.carrier();
    head.dataCount = f.dataCount();
    head.repeat = f.repeat();
    QStringList out = entryHeadRecords(head);
    for (int i = 0; i < kPatternPairs; ++i) {
        const int h = f.highAt(i);
        const int w = f.widthAt(i);
        out << twpRecord(i, h, w);
        if (h == 0 || w == 0)
            break; // the first pair with a silent half ends the list, and is sent
    }
    out << QStringLiteral("Twd:") + f.pcode; // as typed: the board judges it
    return out;
}

QString WaveEditStoreError(const WaveEditFields& f)
{
    for (qsizetype i = 0; i < f.pcode.size(); ++i) {
        if (hexDigitValue(f.pcode[i]) < 0)
            return QStringLiteral("パターンコードの%1文字目「%2」は16進数ではありません。").arg(i + 1).arg(f.pcode[i]);
    }
    if (f.pcode.size() > kDataSymbols)
        return QStringLiteral("パターンコードが長すぎます（%1文字、最大%2文字）。")
            .arg(f.pcode.size())
            .arg(kDataSymbols);
    const int count = f.dataCount();
    if (count < 0 || count > kDataSymbols)
        return QStringLiteral("DataBits は 0 から %1 の範囲で指定して下さい。").arg(kDataSymbols);
    return {};
}

QString StoreWaveEdit(CodeTable& table, int source, int target, const WaveEditFields& f)
{
    if (!CodeTable::validRow(source) || !CodeTable::validRow(target))
        return QStringLiteral("保存先の行がありません。");
    QString error = WaveEditStoreError(f);
    if (!error.isEmpty())
        return error;

    const int sourceCarrier = table.entry(source).carrier;
    // The symbols beyond the pattern code stay those of the target's own record.
    const std::array<uint8_t, kDataSymbols> targetData = table.entry(target).data;
    if (target != source)
        table.CopyRow(source, target); // cells and record move together; flag comes along
    TableEntry& e = table.entry(target);
    e.data = targetData;
    e.carrier = f.carrier();
    e.dataCount = f.dataCount();
    e.repeat = f.repeat();
    for (int i = 0; i < kPatternPairs; ++i) {
        e.high[size_t(i)] = f.highAt(i);
        e.width[size_t(i)] = f.widthAt(i);
    }
    for (qsizetype i = 0; i < f.pcode.size(); ++i)
        e.data[size_t(i)] = uint8_t(hexDigitValue(f.pcode[i]));
    table.entryChanged(target);

    // The Carry cell shows the stored carrier: rewritten when the carrier was
    // edited, and filled when a blank row receives a wave (a blank Carry cell
    // would leave the stored wave looking unused, so registration would skip it).
    const QString carry = table.cell(kColCarry, target);
    if (e.carrier != sourceCarrier || (carry.trimmed().isEmpty() && e.dataCount > 0))
        table.setCell(kColCarry, target, carrierText(e.carrier));

    const QString result = table.cell(kColResult, target);
    const QString newResult = ResultWithByteCode(result, f.byteCode);
    if (newResult != result)
        table.setCell(kColResult, target, newResult);
    table.SetModified(true);
    return {};
}

IrOut::IrOut(DeviceLink& link, Prompts& prompts) : link_(link), prompts_(prompts)
{}

bool IrOut::run(const WaveEditFields& f, const IrOutputs& outputs)
{
    if (f.pcode.isEmpty())
        return false;
    if (!requireLink(link_.state(), LinkNeed::Any, false, prompts_, MsgIcon::Warning))
        return false;
    if (running_)
        return false;
    running_ = true;
    // Built before the first wait: edits made while it sends do not mix in.
    const QStringList records = IrOutRecords(f);
    if (link_.handlers.SetLearnIndicator)
        link_.handlers.SetLearnIndicator(false);
    link_.SendLine(QString::asprintf("Tp:%d%d%d%d", outputs[0] ? 1 : 0, outputs[1] ? 1 : 0, outputs[2] ? 1 : 0,
                                     outputs[3] ? 1 : 0));
    link_.WaitAck(waveedit::kEmitWaitMs);
    for (const QString& r : records) {
        link_.SendLine(r);
        link_.WaitAck(waveedit::kEmitWaitMs);
        link_.receiveLog().append(r);
    }
    link_.SendLine(QStringLiteral("Tf:3"));
    link_.WaitAck(waveedit::kEmitWaitMs);
    running_ = false;
    return true;
}

} // namespace zovax
