#pragma once
// Checks of values the user types, made where they are typed: a value the
// board cannot take is refused with a short message and the old value kept.
// Values that already stand in a file are not checked here (they keep their
// defined fallbacks).
#include <QString>

namespace zovax {

// The fire test's frame count: 1..999 ("Tf:%03d").
constexpr int kMinFrames = 1;
constexpr int kMaxFrames = 999;
// The carrier in 0.1 kHz, as the Carry cell shows it ("NN.NkHz"): 10.0 to 99.9 kHz.
constexpr int kMinCarrier = 100;
constexpr int kMaxCarrier = 999;

// A typed Frames cell: empty or blanks (no emission command), or decimal
// digits with a value in kMinFrames..kMaxFrames, blanks around allowed.
// Returns "" when the text is taken, else the message to show.
QString checkTypedFrames(const QString& text);

// A typed Carry box of the wave information editor: a decimal integer in
// kMinCarrier..kMaxCarrier, blanks around allowed. Returns "" or the message.
QString checkTypedCarrier(const QString& text);

} // namespace zovax
