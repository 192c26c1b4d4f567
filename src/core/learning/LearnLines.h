#pragma once
// Parsing of the board's learn replies and of the numbers typed into the
// learning parameter boxes. Pure functions.
#include "core/shell/Settings.h"
#include "core/shell/TextNumbers.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace zovax {

// The learning time box (milliseconds). The board takes 1 to 99999 ms in its
// "Lend:" command; the box accepts up to five digits to match.
inline constexpr int kMaxLearningTimeMs = 99999;
inline constexpr int kDefaultLearningTimeMs = LearnParams{}.learnTimeUs / 1000;
// The shortest learning time a learn runs with ("Lend:" and the analysis).
inline constexpr int kMinLearningTimeMs = 100;

// The learning time in microseconds kept in the settings from the box's text:
// 500 ms when the text is not a number, otherwise the value within 1 to
// kMaxLearningTimeMs ms (computed in 64 bits, so no typed value overflows).
int learnTimeUsFromBox(const QString& text);

// The three learning boxes (H range %, W range %, learning time ms) as the
// settings keep them: a box that holds no number gives its default, the time
// is taken by learnTimeUsFromBox.
LearnParams learnParamsFromBoxes(const QString& hRange, const QString& wRange, const QString& learningTime);

// One wave line "[iii]:HHHHH,WWWWWW" or "[iiii]:HHHHH,WWWWWWW": when character 6
// is ":" the index is in characters 2-4, High in 7-11 and Width in 13-18;
// otherwise index 2-5, High 8-12, Width 14-20 (1-based). A field that is not a
// number counts as 0.
struct WaveLineFields {
    int index = 0;
    int high = 0;
    int width = 0;
};
WaveLineFields parseWaveLine(const QString& line);

// The carrier text of a result line "Ave.Carrier38.0kHz": from character 12 up
// to the first "kHz"; when "kHz" is missing or begins before character 12, the
// four characters from character 12.
QString carrierTextOf(const QString& resultLine);

} // namespace zovax
