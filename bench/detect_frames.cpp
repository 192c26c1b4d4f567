// Frame detection cost during a learn: the literal search (recomputed from
// scratch on every wave line once the learning time has passed) against the
// resumable one, both fed line by line through Learner::OnWaveLine.
//
// Worst case: a 4096-pair train without any repeat (a square-free sequence of
// three pair kinds), so detection runs on every line and never completes.
// Realistic: a held NEC button, a Sony button and an air-conditioner frame.
// Prints per-case figures, then
//   detect_frames: literal_ms=<n> fast_ms=<n> max_line_ms=<n> ratio=<n> identical=<yes|no>
// with the worst-case totals, the slowest single line of the fast runs, and
// whether both searches left the same learn state after every line.
// Times are the CPU time of the thread that handles the lines (the user-interface
// thread in the tool), so that other work on a shared machine does not count;
// the fast search is run three times and its best run reported.
#include "core/irsig/Signals.h"
#include "core/learning/HeadlessLearning.h"

#include <QCoreApplication>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace zovax;

namespace {

// CPU time of the calling thread, ns.
int64_t threadNs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

struct Run {
    double totalMs = 0;
    double maxLineMs = 0;
    std::vector<LearnState> states; // learn state after every line
};

Run feed(const std::vector<QString>& lines, FrameDetector::Engine engine, const QString& learningTimeMs)
{
    HeadlessLearning h;
    h.view.learningTime = learningTimeMs;
    h.view.indicatorLit = true;
    h.view.waveDataPanel = true;
    LearningCore& core = h.core;
    core.learner().frameDetector().setEngine(engine);

    Run run;
    run.states.reserve(lines.size());
    int64_t total = 0;
    for (const QString& l : lines) {
        const int64_t t0 = threadNs();
        core.learner().OnWaveLine(l);
        const int64_t ns = threadNs() - t0;
        total += ns;
        run.maxLineMs = std::max(run.maxLineMs, double(ns) / 1e6);
        run.states.push_back(core.store().learn);
    }
    run.totalMs = double(total) / 1e6;
    return run;
}

bool sameStates(const Run& a, const Run& b)
{
    if (a.states.size() != b.states.size())
        return false;
    for (size_t i = 0; i < a.states.size(); ++i) {
        const LearnState& x = a.states[i];
        const LearnState& y = b.states[i];
        if (x.frameStart != y.frameStart || x.dataCount != y.dataCount || x.frameCount != y.frameCount)
            return false;
    }
    return true;
}

std::vector<QString> linesOf(const std::vector<irsig::Pair>& pairs)
{
    std::vector<QString> lines;
    const size_t n = std::min<size_t>(pairs.size(), kMaxPulseIndex + 1);
    for (size_t i = 0; i < n; ++i)
        lines.push_back(QString::fromStdString(irsig::waveLine(int(i), pairs[i], i > 999)));
    return lines;
}

// 4096 pairs whose kinds follow a square-free word over three letters (the
// number of 1s between successive 0s of the Thue-Morse sequence): no stretch
// of pairs is ever directly followed by the same stretch.
std::vector<irsig::Pair> worstCase()
{
    const irsig::Pair kinds[3] = {{560, 1120}, {560, 2250}, {1200, 1800}};
    std::vector<irsig::Pair> pairs;
    int ones = 0;
    for (unsigned k = 1; pairs.size() < size_t(kMaxPulseIndex) + 1; ++k) {
        if (__builtin_popcount(k) % 2 == 0) {
            pairs.push_back(kinds[ones]);
            ones = 0;
        } else {
            ++ones;
        }
    }
    return pairs;
}

struct Case {
    const char* name;
    std::vector<QString> lines;
    QString learningTimeMs;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);

    std::vector<Case> cases;
    cases.push_back({"worst case, 4096 pairs without repeats", linesOf(worstCase()), QStringLiteral("100")});
    auto press = [](const char* protocol, int repeats) {
        const irsig::Protocol* p = irsig::findProtocol(protocol);
        return p ? irsig::encode(*p, p->exampleCode, repeats, irsig::Noise{}) : std::vector<irsig::Pair>{};
    };
    cases.push_back({"NEC held for 2 s", linesOf(press("NEC", 18)), QStringLiteral("500")});
    cases.push_back({"SONY12 held for 1 s", linesOf(press("SONY12", 22)), QStringLiteral("500")});
    cases.push_back({"air conditioner, one long frame", linesOf(press("AIRCON", 0)), QStringLiteral("100")});

    double worstLiteral = 0;
    double worstFast = 0;
    double maxLine = 0;
    bool identical = true;
    for (const Case& c : cases) {
        const Run literal = feed(c.lines, FrameDetector::Engine::Literal, c.learningTimeMs);
        Run fast = feed(c.lines, FrameDetector::Engine::Fast, c.learningTimeMs);
        for (int again = 0; again < 2; ++again) {
            Run r = feed(c.lines, FrameDetector::Engine::Fast, c.learningTimeMs);
            if (r.totalMs < fast.totalMs)
                fast = std::move(r);
        }
        const bool same = sameStates(literal, fast);
        identical = identical && same;
        maxLine = std::max(maxLine, fast.maxLineMs);
        const LearnState& end = fast.states.back();
        std::printf("%-40s lines=%5zu literal_ms=%10.3f fast_ms=%8.3f ratio=%8.1f max_line_ms literal=%8.3f "
                    "fast=%6.3f learn=(%d,%d,%d) identical=%s\n",
                    c.name, c.lines.size(), literal.totalMs, fast.totalMs,
                    fast.totalMs > 0 ? literal.totalMs / fast.totalMs : 0.0, literal.maxLineMs, fast.maxLineMs,
                    end.frameStart, end.dataCount, end.frameCount, same ? "yes" : "no");
        if (&c == &cases.front()) {
            worstLiteral = literal.totalMs;
            worstFast = fast.totalMs;
        }
    }
    std::printf("detect_frames: literal_ms=%.1f fast_ms=%.3f max_line_ms=%.3f ratio=%.0f identical=%s\n", worstLiteral,
                worstFast, maxLine, worstFast > 0 ? worstLiteral / worstFast : 0.0, identical ? "yes" : "no");
    return identical ? 0 : 1;
}
