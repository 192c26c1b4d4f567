#include "cli/Decode.h"

#include "core/interchange/Interchange.h"
#include "core/interchange/TimingLearn.h"
#include "core/learning/Explanation.h"
#include "core/learning/HeadlessLearning.h"
#include "core/learning/LearnLines.h"
#include "core/learning/LearningCore.h"
#include "core/link/DeviceLink.h"
#include "core/table/CodeTable.h"

#include <QRegularExpression>

#include <memory>

namespace zovax::cli {

QString averageLineFor(int carrierTenths)
{
    return QStringLiteral("Ave.Carrier") + carrierText(carrierTenths);
}

bool parseCarrierKHz(const QString& text, int& tenths)
{
    const std::optional<int> t = parseCarrierTenths(text);
    if (!t || *t < 10 || *t > 999)
        return false;
    tenths = *t;
    return true;
}

namespace {

// Closing silence of a list that ends with a mark, us.
constexpr int kClosingSpaceUs = 100000;

// One learning subsystem without windows, with the decode switches. Without
// Cursor Auto the train goes to channel 0 and nothing re-arms.
std::unique_ptr<HeadlessLearning> headlessLearning(const DecodeOptions& o)
{
    auto h = std::make_unique<HeadlessLearning>(o.learn);
    h->view.pcodeOn = o.pcode;
    h->view.fullCodeOn = o.fullCode;
    return h;
}

} // namespace

std::vector<DecodedSignal> decodeWaveLines(const QStringList& lines, const DecodeOptions& options)
{
    // Each train is learned by a fresh learning subsystem, as the first learn
    // after the program starts: a result never depends on what earlier trains
    // left in the channel's pattern sequence.
    std::unique_ptr<HeadlessLearning> h;
    std::vector<DecodedSignal> out;
    int pairs = 0;

    auto finish = [&](const QString& resultLine, bool carrierGiven) {
        h->view.row = 1;
        h->core.learner().OnAverageLine(resultLine);
        DecodedSignal s;
        s.pairs = pairs;
        s.carrierGiven = carrierGiven;
        s.learn = h->core.store().learn;
        s.carry = h->table.cell(kColCarry, 1);
        if (s.carry.isEmpty()) {
            s.failed = true;
            s.message = !h->prompts.messages.isEmpty() ? h->prompts.messages.join(QLatin1Char(' '))
                : !h->log.lines.isEmpty()              ? h->log.lines.join(QLatin1Char(' '))
                                                       : QStringLiteral("the signal was not analysed");
        } else {
            s.carrierTenths = h->table.entry(1).carrier;
            s.frames = h->table.cell(kColFrames, 1);
            s.result = h->table.cell(kColResult, 1);
        }
        if (options.explain) {
            const AnalysisExplanation x = h->core.explainRow(1);
            s.explanation = explanationText(x);
            s.explanationJson = explanationJson(x);
        }
        out.push_back(s);
        h.reset();
        pairs = 0;
    };

    for (QString line : lines) {
        while (line.endsWith(QLatin1Char('\r')) || line.endsWith(QLatin1Char('\n')))
            line.chop(1);
        if (line.startsWith(QLatin1Char('['))) {
            const WaveLineFields w = parseWaveLine(line);
            if (w.index == 0) {
                if (h)
                    finish(averageLineFor(options.carrierTenths), false);
                h = headlessLearning(options);
            }
            if (!h)
                continue; // pairs before the first index 0 belong to no train
            h->core.learner().OnWaveLine(line);
            pairs = std::max(pairs, w.index + 1);
        } else if (line.startsWith(QLatin1String("Ave.")) && h) {
            finish(line, true);
        }
    }
    if (h)
        finish(averageLineFor(options.carrierTenths), false);
    return out;
}

bool looksLikeTimingList(const QString& text)
{
    for (QChar c : text) {
        if (!c.isSpace())
            return c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char('-');
    }
    return false;
}

bool parseTimingList(const QString& text, std::vector<int>& durations, QString& error)
{
    durations.clear();
    QString normal = text;
    normal.replace(QLatin1Char(','), QLatin1Char(' '));
    const QStringList tokens = normal.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    bool markNext = true; // unsigned values alternate from a mark
    bool lastWasMark = false;
    for (int i = 0; i < tokens.size(); ++i) {
        QString t = tokens.at(i);
        bool mark = markNext;
        if (t.startsWith(QLatin1Char('+')) || t.startsWith(QLatin1Char('-'))) {
            mark = t.startsWith(QLatin1Char('+'));
            t.remove(0, 1);
        }
        const std::optional<int> v = parseBounded(t, 1, kMaxWidthUs);
        if (!v) {
            error = QStringLiteral("value %1 (\"%2\") is not a duration of 1 to %3 us")
                        .arg(i + 1)
                        .arg(tokens.at(i))
                        .arg(kMaxWidthUs);
            return false;
        }
        markNext = !mark;
        if (durations.empty() && !mark)
            continue; // silence before the first mark
        if (!durations.empty() && mark == lastWasMark) {
            durations.back() += *v; // two marks or two spaces in a row are one
            continue;
        }
        durations.push_back(*v);
        lastWasMark = mark;
    }
    if (durations.empty()) {
        error = QStringLiteral("no mark in the timing list");
        return false;
    }
    if (durations.size() % 2 != 0)
        durations.push_back(kClosingSpaceUs);
    return true;
}

bool decodeTimingLists(const QString& text, const DecodeOptions& options, std::vector<DecodedSignal>& out,
                       QString& error)
{
    const QStringList paragraphs = text.split(QRegularExpression(QStringLiteral("\\n\\s*\\n")), Qt::SkipEmptyParts);
    int n = 0;
    for (const QString& p : paragraphs) {
        if (p.trimmed().isEmpty())
            continue;
        ++n;
        IrTiming t;
        t.carrierHz = options.carrierTenths * 100;
        QString why;
        if (!parseTimingList(p, t.once, why)) {
            error = QStringLiteral("timing list %1: %2").arg(n).arg(why);
            return false;
        }
        why = checkTiming(t);
        if (!why.isEmpty()) {
            error = QStringLiteral("timing list %1: %2").arg(n).arg(why);
            return false;
        }
        const std::vector<DecodedSignal> one
            = decodeWaveLines(boardReport(t, options.learn.learnTimeUs / 1000), options);
        out.insert(out.end(), one.begin(), one.end());
    }
    return true;
}

bool decodeInterchange(const QString& fileName, const QByteArray& bytes, const DecodeOptions& options,
                       std::vector<DecodedSignal>& out, QStringList& errors)
{
    const ReadResult read = readAny(fileName, bytes);
    if (!read.error.isEmpty()) {
        errors << read.error;
        return false;
    }
    for (const ReadItem& item : read.items) {
        if (!item.error.isEmpty()) {
            errors << item.error;
            continue;
        }
        if (item.hasRow) {
            // A row as stored: its cells, explained by the stored-entry rules.
            DecodedSignal s;
            s.name = item.name;
            s.carry = item.cells[0];
            s.frames = item.cells[1];
            s.result = item.cells[3];
            s.carrierTenths = item.entry.carrier;
            s.learn = {item.entry.repeat, item.entry.dataCount, 0};
            if (options.explain) {
                const AnalysisExplanation x = explainStoredEntry(item.entry);
                s.explanation = explanationText(x);
                s.explanationJson = explanationJson(x);
            }
            out.push_back(s);
            continue;
        }
        std::vector<DecodedSignal> one
            = decodeWaveLines(boardReport(item.timing, options.learn.learnTimeUs / 1000), options);
        for (DecodedSignal& s : one) {
            s.name = item.name;
            out.push_back(s);
        }
    }
    return true;
}

} // namespace zovax::cli
