#include "core/link/LineAssembly.h"

#include <algorithm>

namespace zovax {

namespace {
// Appends " XXh" for a byte that is not printable. Written into the line in
// place: formatting it (asprintf) or building it as a string of its own cost
// more than the rest of the line's assembly, and a burst of noise is made of
// nothing else.
void appendHexCode(QString& to, unsigned char b)
{
    static const char kDigits[] = "0123456789ABCDEF";
    const QChar code[]
        = {QLatin1Char(' '), QLatin1Char(kDigits[b >> 4]), QLatin1Char(kDigits[b & 0xF]), QLatin1Char('h')};
    to.append(code, 4);
}
} // namespace

QStringList TcpLineAssembler::feed(const QByteArray& bytes)
{
    QStringList out;
    auto complete = [&] {
        out << line_;
        line_.clear();
    };
    const char* p = bytes.constData();
    const qsizetype n = bytes.size();
    auto printable = [](unsigned char b) { return b >= 0x20 && b <= 0x7F; };
    for (qsizetype i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(p[i]);
        if (printable(b)) {
            // A run of printable characters is taken at once, in pieces that
            // end where a line reaches kMaxLine.
            qsizetype end = i + 1;
            while (end < n && printable(static_cast<unsigned char>(p[end])))
                ++end;
            while (i < end) {
                const qsizetype take = std::min<qsizetype>(end - i, std::max<qsizetype>(kMaxLine - line_.size(), 1));
                line_.append(QLatin1StringView(p + i, take));
                i += take;
                if (line_.size() >= kMaxLine)
                    complete();
            }
            --i; // the loop steps on to the first character after the run
        } else if (b == 0x02) {
            // A marker may take the line past kMaxLine; the next byte of any
            // class then completes it, so the pending line stays bounded.
            const bool full = line_.size() >= kMaxLine;
            line_ += QStringLiteral("<STX>");
            if (full)
                complete();
        } else if (b == 0x03) {
            line_ += QStringLiteral("<ETX>");
            complete();
        } else if (b == 0x0A) {
            if (!line_.isEmpty())
                complete();
        } else if (b == 0x0D) {
            if (line_.isEmpty()) {
                line_ = QStringLiteral(" ");
                complete();
            } else if (line_.size() >= kMaxLine) {
                complete();
            }
        } else {
            appendHexCode(line_, b);
            complete();
        }
    }
    return out;
}

SerialLineAssembler::Mode SerialLineAssembler::modeFor(const QString& d)
{
    if (d == QLatin1String("ETX"))
        return Etx;
    if (d == QLatin1String("CR"))
        return Cr;
    if (d == QLatin1String("LF"))
        return Lf;
    if (d == QLatin1String("CRLF"))
        return CrLf;
    return None;
}

QStringList SerialLineAssembler::feed(const QByteArray& bytes)
{
    QStringList out;
    for (const char ch : bytes) {
        raw_ += ch;
        bool done = raw_.size() > kMaxRaw;
        const auto b = static_cast<unsigned char>(ch);
        switch (mode_) {
        case Etx: done = done || b == 0x03; break;
        case Cr: done = done || b == 0x0D; break;
        case Lf: done = done || b == 0x0A; break;
        case CrLf:
            if (b == 0x0A && raw_.size() >= 2 && raw_.at(raw_.size() - 2) == '\r') {
                raw_.chop(2);
                if (raw_.isEmpty())
                    raw_ = " ";
                done = true;
            }
            break;
        case None: break;
        }
        if (done) {
            out << render(raw_);
            raw_.clear();
        }
    }
    return out;
}

QStringList SerialLineAssembler::flush()
{
    if (raw_.isEmpty())
        return {};
    QStringList out{render(raw_)};
    raw_.clear();
    return out;
}

QString SerialLineAssembler::render(const QByteArray& raw)
{
    // Each control byte (0x00..0x1F, 0x7F) and each byte of 0x80 and above
    // becomes " XXh", as on the TCP link; a printable byte that follows such a
    // code gets one blank before it; other bytes are copied.
    QString out;
    bool afterCode = false;
    for (const char ch : raw) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x20 || b >= 0x7F) {
            appendHexCode(out, b);
            afterCode = true;
        } else {
            if (afterCode)
                out += QLatin1Char(' ');
            out += QChar(b);
            afterCode = false;
        }
    }
    return out;
}

} // namespace zovax
