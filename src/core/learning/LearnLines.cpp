#include "core/learning/LearnLines.h"

#include <algorithm>

namespace zovax {

int learnTimeUsFromBox(const QString& text)
{
    bool ok = false;
    const qlonglong ms = text.trimmed().toLongLong(&ok);
    if (!ok)
        return kDefaultLearningTimeMs * 1000;
    return int(std::clamp<qlonglong>(ms, 1, kMaxLearningTimeMs) * 1000);
}

LearnParams learnParamsFromBoxes(const QString& hRange, const QString& wRange, const QString& learningTime)
{
    LearnParams p;
    p.hRangePercent = parseIntOr(hRange, p.hRangePercent);
    p.wRangePercent = parseIntOr(wRange, p.wRangePercent);
    p.learnTimeUs = learnTimeUsFromBox(learningTime);
    return p;
}

namespace {
// Characters from..to (1-based, inclusive) as a number; 0 when not a number.
int fieldAt(const QString& line, int from, int to)
{
    return parseDecimal(QStringView(line).mid(from - 1, to - from + 1)).value_or(0);
}
} // namespace

WaveLineFields parseWaveLine(const QString& line)
{
    WaveLineFields f;
    if (line.size() >= 6 && line[5] == QLatin1Char(':')) {
        f.index = fieldAt(line, 2, 4);
        f.high = fieldAt(line, 7, 11);
        f.width = fieldAt(line, 13, 18);
    } else {
        f.index = fieldAt(line, 2, 5);
        f.high = fieldAt(line, 8, 12);
        f.width = fieldAt(line, 14, 20);
    }
    return f;
}

QString carrierTextOf(const QString& resultLine)
{
    constexpr int kFrom = 11; // character 12, 0-based
    const qsizetype khz = resultLine.indexOf(QLatin1String("kHz"));
    if (khz < kFrom)
        return resultLine.mid(kFrom, 4);
    return resultLine.mid(kFrom, khz - kFrom);
}

} // namespace zovax
