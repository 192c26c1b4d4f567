#include "cli/DecodeCommand.h"

#include "cli/CliCommon.h"
#include "cli/Decode.h"
#include "core/interchange/Interchange.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace zovax::cli {

namespace {

QJsonObject signalJson(int n, const DecodedSignal& s)
{
    QJsonObject o{{QStringLiteral("signal"), n}, {QStringLiteral("pairs"), s.pairs}};
    if (!s.name.isEmpty())
        o.insert(QStringLiteral("name"), s.name);
    if (!s.explanationJson.isEmpty())
        o.insert(QStringLiteral("explanation"), s.explanationJson);
    if (s.failed) {
        o.insert(QStringLiteral("error"), s.message);
        return o;
    }
    o.insert(QStringLiteral("carry"), s.carry);
    o.insert(QStringLiteral("carrierTenths"), s.carrierTenths);
    o.insert(QStringLiteral("carrierFromInput"), s.carrierGiven);
    o.insert(QStringLiteral("frames"), s.frames);
    o.insert(QStringLiteral("frameStart"), s.learn.frameStart);
    o.insert(QStringLiteral("dataCount"), s.learn.dataCount);
    o.insert(QStringLiteral("frameCount"), s.learn.frameCount);
    o.insert(QStringLiteral("result"), s.result);
    // "Tm:%-10s d:%s": the format name and the code text apart.
    if (s.result.startsWith(QLatin1String("Tm:"))) {
        const int d = s.result.indexOf(QLatin1String(" d:"));
        o.insert(QStringLiteral("format"), s.result.mid(3, d < 0 ? -1 : d - 3).trimmed());
        o.insert(QStringLiteral("code"), d < 0 ? QString() : s.result.mid(d + 3));
    }
    return o;
}

} // namespace

bool readInput(const QString& name, const Io& io, QByteArray& bytes, QString& error)
{
    constexpr qint64 kMaxInputBytes = 64 * 1024 * 1024;
    if (name.isEmpty() || name == QLatin1String("-")) {
        bytes = io.in->read(kMaxInputBytes + 1);
        while (bytes.size() <= kMaxInputBytes && io.in->waitForReadyRead(-1))
            bytes += io.in->read(kMaxInputBytes + 1 - bytes.size());
    } else {
        QFile f(name);
        if (!f.open(QIODevice::ReadOnly)) {
            error = QStringLiteral("%1: cannot open: %2").arg(name, f.errorString());
            return false;
        }
        bytes = f.read(kMaxInputBytes + 1);
    }
    if (bytes.size() > kMaxInputBytes) {
        error = QStringLiteral("%1: input larger than 64 MB").arg(name.isEmpty() ? QStringLiteral("-") : name);
        return false;
    }
    return true;
}

int decodeCommand(const ParsedArgs& a, const Io& io, const Settings& settings)
{
    DecodeOptions o;
    o.pcode = a.has(QStringLiteral("pcode"));
    o.fullCode = a.has(QStringLiteral("full-code"));
    o.explain = a.has(QStringLiteral("explain"));
    o.learn = settings.learn;
    if (a.has(QStringLiteral("carrier")) && !parseCarrierKHz(a.value(QStringLiteral("carrier")), o.carrierTenths)) {
        io.error(QStringLiteral("--carrier takes a frequency in kHz from 1.0 to 99.9: %1")
                     .arg(a.value(QStringLiteral("carrier"))));
        return kExitUsage;
    }
    const QString name = a.positional.value(0);
    const QString shown = name.isEmpty() ? QStringLiteral("-") : name;
    QByteArray bytes;
    QString error;
    if (!readInput(name, io, bytes, error)) {
        io.error(error);
        return kExitUsage;
    }
    const QString text = QString::fromLatin1(bytes);
    std::vector<DecodedSignal> signalList;
    bool badInput = false;
    const bool waveLines = text.startsWith(QLatin1Char('[')) || text.contains(QLatin1String("\n["));
    if (waveLines) {
        signalList = decodeWaveLines(text.split(QLatin1Char('\n')), o);
    } else if (const FormatInfo* f = detectFormat(shown, bytes);
               (!f || f->id == QLatin1String("timing")) && looksLikeTimingList(text)) {
        if (!decodeTimingLists(text, o, signalList, error)) {
            io.error(QStringLiteral("%1: %2").arg(shown, error));
            return kExitUsage;
        }
    } else {
        // Any other readable format (Pronto Hex, sendir, Flipper, LIRC, mode2, JSON).
        QStringList errors;
        const bool read = decodeInterchange(shown, bytes, o, signalList, errors);
        for (const QString& e : errors)
            io.error(QString(e).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        if (!read)
            return kExitUsage;
        badInput = !errors.isEmpty();
    }
    if (signalList.empty() && badInput)
        return kExitUsage;
    if (signalList.empty()) {
        io.error(QStringLiteral("%1: no signal found (expected the board's wave lines \"[000]:...\" or a timing "
                                "list \"+9000 -4500 ...\")")
                     .arg(shown));
        return kExitUsage;
    }
    int status = kExitOk;
    QJsonArray all;
    for (size_t i = 0; i < signalList.size(); ++i) {
        const DecodedSignal& s = signalList[i];
        if (s.failed) {
            io.error(QStringLiteral("%1: signal %2: %3").arg(shown).arg(i + 1).arg(s.message));
            status = kExitFailure;
        }
        if (a.has(QStringLiteral("json")))
            all.append(signalJson(int(i + 1), s));
        else if (!s.failed) {
            QStringList cells{s.carry, s.frames, s.result};
            if (!s.name.isEmpty())
                cells << s.name;
            io.line(cells.join(QLatin1Char('\t')));
        }
        if (o.explain && !a.has(QStringLiteral("json")))
            io.print(s.explanation + QLatin1Char('\n'));
    }
    if (a.has(QStringLiteral("json")))
        io.print(QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("signals"), all}}).toJson()));
    return badInput && status == kExitOk ? kExitUsage : status;
}

} // namespace zovax::cli
