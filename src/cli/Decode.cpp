#include "cli/Decode.h"

#include "cli/HeadlessView.h"
#include "core/learning/LearnLines.h"
#include "core/learning/LearningCore.h"
#include "core/link/DeviceLink.h"
#include "core/table/CodeTable.h"

#include <memory>

namespace zovax::cli {

QString averageLineFor(int carrierTenths)
{
    return QString::asprintf("Ave.Carrier%d.%dkHz", carrierTenths / 10, carrierTenths % 10);
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

// One learning subsystem with headless fakes around it; the link is never
// connected, so the commands learning sends go nowhere.
struct HeadlessLearning {
    Settings settings;
    RecordingLog log;
    HeadlessView view;
    RecordingPrompts prompts;
    SilentSounds sounds;
    CodeTable table;
    DeviceLink link{settings, log};
    std::unique_ptr<LearningCore> core;

    explicit HeadlessLearning(const DecodeOptions& o)
    {
        // Without Cursor Auto the train goes to channel 0 and nothing re-arms.
        view.cursorAutoOn = false;
        view.pcodeOn = o.pcode;
        view.fullCodeOn = o.fullCode;
        view.hRange = QString::number(o.learn.hRangePercent);
        view.wRange = QString::number(o.learn.wRangePercent);
        view.learningTime = QString::number(o.learn.learnTimeUs / 1000);
        core = std::make_unique<LearningCore>(link, table, view, prompts, sounds, log);
    }
};

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
        h->core->learner().OnAverageLine(resultLine);
        DecodedSignal s;
        s.pairs = pairs;
        s.carrierGiven = carrierGiven;
        s.learn = h->core->store().learn;
        s.carry = h->table.cell(kColCarry, 1);
        if (s.carry.isEmpty()) {
            s.failed = true;
            s.message = !h->prompts.messages.isEmpty() ? h->prompts.messages.join(QLatin1Char(' '))
                        : !h->log.lines.isEmpty()       ? h->log.lines.join(QLatin1Char(' '))
                                                        : QStringLiteral("the signal was not analysed");
        } else {
            s.carrierTenths = h->table.entry(1).carrier;
            s.frames = h->table.cell(kColFrames, 1);
            s.result = h->table.cell(kColResult, 1);
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
                h = std::make_unique<HeadlessLearning>(options);
            }
            if (!h)
                continue; // pairs before the first index 0 belong to no train
            h->core->learner().OnWaveLine(line);
            pairs = std::max(pairs, w.index + 1);
        } else if (line.startsWith(QLatin1String("Ave.")) && h) {
            finish(line, true);
        }
    }
    if (h)
        finish(averageLineFor(options.carrierTenths), false);
    return out;
}

} // namespace zovax::cli
