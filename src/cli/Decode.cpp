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
        // Without Cursor Auto every train goes to channel 0 and nothing re-arms:
        // the caller starts each train afresh.
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
    HeadlessLearning h(options);
    Learner& learner = h.core->learner();
    std::vector<DecodedSignal> out;
    bool pending = false; // a train has begun and its result line has not come
    int pairs = 0;

    auto finish = [&](const QString& resultLine, bool carrierGiven) {
        // Every result goes to row 1, emptied first, so any number of trains fits.
        h.table.ClearEntry(1);
        for (int c = kColCarry; c <= kColResult; ++c)
            h.table.setCell(c, 1, QString());
        h.view.row = 1;
        h.prompts.messages.clear();
        h.log.lines.clear();
        learner.OnAverageLine(resultLine);
        DecodedSignal s;
        s.pairs = pairs;
        s.carrierGiven = carrierGiven;
        s.learn = h.core->store().learn;
        s.carry = h.table.cell(kColCarry, 1);
        if (s.carry.isEmpty()) {
            s.failed = true;
            s.message = !h.prompts.messages.isEmpty() ? h.prompts.messages.join(QLatin1Char(' '))
                        : !h.log.lines.isEmpty()       ? h.log.lines.join(QLatin1Char(' '))
                                                       : QStringLiteral("the signal was not analysed");
        } else {
            s.carrierTenths = h.table.entry(1).carrier;
            s.frames = h.table.cell(kColFrames, 1);
            s.result = h.table.cell(kColResult, 1);
        }
        out.push_back(s);
        learner.ResetLearnState(); // as switching learning on again would
        pending = false;
        pairs = 0;
    };

    for (QString line : lines) {
        while (line.endsWith(QLatin1Char('\r')) || line.endsWith(QLatin1Char('\n')))
            line.chop(1);
        if (line.startsWith(QLatin1Char('['))) {
            const WaveLineFields w = parseWaveLine(line);
            if (w.index == 0 && pending)
                finish(averageLineFor(options.carrierTenths), false);
            if (w.index == 0)
                pending = true;
            if (!pending)
                continue; // pairs before the first index 0 belong to no train
            learner.OnWaveLine(line);
            pairs = std::max(pairs, w.index + 1);
        } else if (line.startsWith(QLatin1String("Ave."))) {
            if (pending)
                finish(line, true);
        }
    }
    if (pending)
        finish(averageLineFor(options.carrierTenths), false);
    return out;
}

} // namespace zovax::cli
