#include "core/interchange/TimingLearn.h"

#include "core/learning/HeadlessLearning.h"

#include <algorithm>

namespace zovax {

namespace {

constexpr int kMinCopies = 6;
constexpr int kRow = 1; // the scratch table's row that receives the result

int closingSilenceUs(int learnTimeMs)
{
    return std::max(irsig::kClosingSilenceUs, learnTimeMs * 1000 + 50000);
}

// part: the Japanese name of the part in messages.
QString checkPart(const QString& part, const std::vector<int>& v)
{
    if (v.size() % 2 != 0)
        return QStringLiteral("%1: 時間が %2 個 (マークとスペースの組になっていません)").arg(part).arg(v.size());
    for (std::size_t i = 0; i < v.size(); i += 2) {
        const int mark = v[i];
        const int space = v[i + 1];
        if (mark <= 0 || mark > kMaxMarkUs)
            return QStringLiteral("%1の %2 番目の時間 (マーク): %3 us (1〜%4)")
                .arg(part)
                .arg(i + 1)
                .arg(mark)
                .arg(kMaxMarkUs);
        if (space <= 0 || space > kMaxWidthUs - mark)
            return QStringLiteral("%1の %2 番目の時間 (スペース): %3 us (1〜%4)")
                .arg(part)
                .arg(i + 2)
                .arg(space)
                .arg(kMaxWidthUs - mark);
    }
    return {};
}

} // namespace

QString checkTiming(const IrTiming& t)
{
    if (t.carrierHz != 0 && (t.carrierHz < kMinCarrierHz || t.carrierHz > kMaxCarrierHz))
        return QStringLiteral("搬送波周波数: %1 Hz (%2〜%3 Hz、無変調は 0)")
            .arg(t.carrierHz)
            .arg(kMinCarrierHz)
            .arg(kMaxCarrierHz);
    if (t.once.empty() && t.repeat.empty())
        return QStringLiteral("時間: ありません");
    QString e = checkPart(QStringLiteral("先頭部"), t.once);
    if (e.isEmpty())
        e = checkPart(QStringLiteral("繰返し部"), t.repeat);
    if (!e.isEmpty())
        return e;
    const std::size_t pairs = (t.once.size() + t.repeat.size()) / 2;
    if (pairs > std::size_t(kDataSymbols))
        return QStringLiteral("時間: %1 組 (1 行に入るのは %2 組まで)").arg(pairs).arg(kDataSymbols);
    return {};
}

int carrierTenthsOf(int carrierHz)
{
    return std::clamp((carrierHz + 50) / 100, 0, 9999);
}

std::vector<irsig::Pair> heldPress(const IrTiming& t, int learnTimeMs)
{
    std::vector<irsig::Pair> out;
    long long total = 0;
    auto append = [&](const std::vector<int>& part) {
        for (std::size_t i = 0; i + 1 < part.size() && out.size() < std::size_t(kMaxPulseIndex) + 1; i += 2) {
            out.push_back({part[i], part[i] + part[i + 1]});
            total += part[i] + part[i + 1];
        }
    };
    append(t.once);
    if (!t.repeat.empty()) {
        const long long holdUs = 2LL * learnTimeMs * 1000;
        const std::size_t unit = t.repeat.size() / 2;
        for (int copies = 0; copies < kMinCopies || total < holdUs; ++copies) {
            if (out.size() + unit > std::size_t(kMaxPulseIndex) + 1)
                break;
            append(t.repeat);
        }
        if (out.empty()) // a repeat part longer than a whole report
            append(t.repeat);
    }
    if (!out.empty())
        out.back().width = out.back().high + closingSilenceUs(learnTimeMs);
    return out;
}

QStringList boardReport(const IrTiming& t, int learnTimeMs)
{
    QStringList lines;
    const std::vector<irsig::Pair> pairs = heldPress(t, learnTimeMs);
    lines.reserve(int(pairs.size()) + 1);
    for (std::size_t i = 0; i < pairs.size(); ++i)
        lines << QString::fromStdString(irsig::waveLine(int(i), pairs[i], false));
    lines << QString::fromStdString(irsig::averageLine(carrierTenthsOf(t.carrierHz)));
    return lines;
}

// The pipeline without windows: no Cursor Auto, so every train goes to
// channel 0 and the result to the scratch row.
struct TimingLearner::Pipeline : HeadlessLearning {
    explicit Pipeline(const LearnParams& p) : HeadlessLearning(p), params(p) {}
    LearnParams params;
};

TimingLearner::TimingLearner(const LearnParams& params) : p_(std::make_unique<Pipeline>(params))
{}

TimingLearner::~TimingLearner() = default;

LearnedRow TimingLearner::learn(const IrTiming& t)
{
    LearnedRow r;
    r.error = checkTiming(t);
    if (!r.error.isEmpty())
        return r;

    // Every learn starts from the state of a freshly started tool, so that a
    // signal gives the same row whatever was learned before it.
    Pipeline& p = *p_;
    WaveStore& store = p.core.store();
    for (WaveChannel& ch : store.channels) {
        ch.patternIndex.fill(0);
        ch.lastIndex = 0;
        ch.channelRow = 0;
        ++ch.sequenceRevision;
    }
    store.currentChannel = 0;
    p.core.learner().ResetLearnState();
    p.table.setRow(kRow, {}, TableEntry{});
    p.view.selectCell(kColCarry, kRow);
    p.prompts.lastText.clear();
    p.log.clear(); // the lines of one learn at a time

    const QStringList lines = boardReport(t, p.params.learnTimeUs / 1000);
    Learner& learner = p.core.learner();
    for (int i = 0; i + 1 < lines.size(); ++i)
        learner.OnWaveLine(lines[i]);
    learner.OnAverageLine(lines.back());

    // Only "学習出来ません。" can come as a message: it is the learn's error.
    if (!p.prompts.lastText.isEmpty() || p.table.cell(kColCarry, kRow).isEmpty()) {
        r.error = p.prompts.lastText.isEmpty() ? QStringLiteral("学習出来ません。") : p.prompts.lastText;
        return r;
    }
    r.ok = true;
    for (int c = 0; c < 4; ++c)
        r.cells[std::size_t(c)] = p.table.cell(c + 1, kRow);
    r.entry = p.table.entry(kRow);
    return r;
}

LearnedRow learnTiming(const IrTiming& t, const LearnParams& params)
{
    TimingLearner learner(params);
    return learner.learn(t);
}

} // namespace zovax
