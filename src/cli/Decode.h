#pragma once
// Decoding of captured signals without a board: the board's wave lines (as
// they appear in the receive log) are fed through the same learning and
// analysis code as a learn through the board, and each pulse train gives the
// Carry, Frames and Result cells a learned row would get.
#include "core/learning/WaveStore.h"
#include "core/shell/Settings.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <vector>

namespace zovax::cli {

struct DecodeOptions {
    bool pcode = false;    // the "PCode" check box: the raw pattern listing
    bool fullCode = false; // the "Full Code" check box: every frame's code words
    // Carrier of a train whose result line ("Ave.") is missing, 0.1 kHz.
    int carrierTenths = 380;
    LearnParams learn;    // tolerances and learning time, as in the main window's boxes
    bool explain = false; // also explain the analysis of each signal
};

struct DecodedSignal {
    int pairs = 0; // pulse pairs received
    int carrierTenths = 0;
    bool carrierGiven = false;     // from a result line (else the default carrier)
    QString carry, frames, result; // the row's cells as learning fills them
    LearnState learn;              // frame start, data count, frame count
    bool failed = false;           // the learn could not be analysed (message says why)
    QString message;
    QString name;        // the signal's name in its file, if any
    QString explanation; // with DecodeOptions::explain: the analysis window's text
    QJsonObject explanationJson;
};

// Takes every line that begins with "[" as a wave line and every line that
// begins with "Ave." as the result line of the train before it; other lines
// are ignored. A train without a result line is finished with the default
// carrier when the next train begins or the input ends.
std::vector<DecodedSignal> decodeWaveLines(const QStringList& lines, const DecodeOptions& options);

// A plain timing list of one captured press, microseconds: "+9000 -4500 +560
// ..." (signed: + mark, - space; neighbours of the same sign add up) or
// unsigned values alternating mark and space from a mark, separated by blanks,
// commas or line breaks. Leading spaces are dropped; a list that ends with a
// mark gets a closing space. False with `error` naming the value (1-based)
// when a value is not a whole number above 0.
bool parseTimingList(const QString& text, std::vector<int>& durations, QString& error);

// Whether a text is meant as a timing list rather than wave lines: it begins
// with a digit or a sign.
bool looksLikeTimingList(const QString& text);

// Decodes timing lists, one per paragraph (blank lines between them), by way
// of the wave lines the board would report for the press held down. The
// carrier is options.carrierTenths. False with `error` (naming the paragraph
// and the value) when a list cannot be read.
bool decodeTimingLists(const QString& text, const DecodeOptions& options, std::vector<DecodedSignal>& out,
                       QString& error);

// Decodes a file in any readable interchange format (Pronto Hex, sendir,
// Flipper, LIRC, mode2, JSON table). Signals given as durations are decoded by
// way of the board's report of the press held down; rows stored in a JSON
// table are shown as stored. Bad signals are listed in `errors` (naming the
// file, the line or signal and the field); false when the file as a whole
// cannot be read or is in no known format.
bool decodeInterchange(const QString& fileName, const QByteArray& bytes, const DecodeOptions& options,
                       std::vector<DecodedSignal>& out, QStringList& errors);

// "Ave.Carrier38.0kHz" for 380: the result line the board sends.
QString averageLineFor(int carrierTenths);

// A carrier typed in kHz ("38", "38.0", "36.7"), 1.0 to 99.9 kHz, in 0.1 kHz.
bool parseCarrierKHz(const QString& text, int& tenths);

} // namespace zovax::cli
