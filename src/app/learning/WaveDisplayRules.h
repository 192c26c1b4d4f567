#pragma once
// The wave display's small rules as pure functions: the zoom item's divisor,
// the scroll position, the interval between the measuring cursors and the
// transmit command made from a receive-log line.
#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <optional>

namespace zovax {

// Microseconds per pixel of a zoom item "1/200": the number in the four
// characters after "1/", or 1 when there is no such number (or it is below 1).
int zoomDivisorOf(const QString& item);

// Left edge of the image for a scroll position: position × extent / maximum
// (extent negative, maximum taken as 1 when it is not positive).
int scrollLeft(int position, int scrollExtent, int maximum);

// One row of the wave list as numbers: High and Width of the pulse pair in
// microseconds, 0 for an empty cell.
struct ListPair {
    int64_t high = 0;
    int64_t width = 0;
};

struct Interval {
    int64_t us = 0; // B minus A, never negative
    int row = 1;    // list row (1-based) under the pointer, where the walk stopped
};

// The time between cursor A (image x) and the pointer at image x, from the
// list rows 1..rows of one channel, at zoomDivisor µs per pixel:
// - start: 0 when A is at or left of the lead-in (x 10); otherwise the end of
//   the pair under A (the Widths summed up to and including the first row
//   whose sum passes A's time);
// - end: the start of the pair under the pointer, or the end of its mark when
//   the pointer lies past the mark.
// Both walks stop at the first Width of 0 (the end of the listed pairs).
Interval measureInterval(int cursorA, int x, int zoomDivisor, int rows, const std::function<ListPair(int row)>& rowAt);

// "tw:%d.%03dmS" with the interval in milliseconds.
QString intervalText(int64_t us);

// A receive-log text beginning "m:": the fields after "m:", "d:" and "f:" (a
// field counts only when its closing comma is in the text) as the transmit
// command "Tm:<f1>,d:<f2>,f:<f3>". nullopt when the text does not begin "m:".
std::optional<QString> commandFromLogText(QStringView text);

} // namespace zovax
