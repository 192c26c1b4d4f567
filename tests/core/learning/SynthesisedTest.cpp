// Signals synthesised from published protocol timings with receiver-like
// jitter, learned through the wave and result lines as the board sends them.
#include "LearnTestRig.h"

#include "core/learning/Catalogue.h"

#include <gtest/gtest.h>

namespace zovax::test {
namespace {

struct Synth {
    const char* protocol;
    std::vector<uint8_t> code;
    int repeats;
    const char* result;      // expected Result cell
    bool dropLeader = false; // start the capture after the first frame's leader
    int markBiasUs = 40;
    bool readsBackTheSame = true; // the stored-entry rules give the same text
};

std::ostream& operator<<(std::ostream& os, const Synth& s)
{
    return os << s.protocol << " " << s.result;
}

class SynthesisedLearn : public ::testing::TestWithParam<Synth> {};

std::vector<irsig::Pair> press(const Synth& s, uint32_t seed)
{
    const irsig::Protocol* p = irsig::findProtocol(s.protocol);
    if (!p)
        return {};
    irsig::Noise noise;
    noise.seed = seed;
    noise.jitterPercent = 3;
    noise.markBiasUs = s.markBiasUs;
    std::vector<irsig::Pair> pairs = irsig::encode(*p, s.code, s.repeats, noise);
    if (s.dropLeader && !pairs.empty())
        pairs.erase(pairs.begin());
    return pairs;
}

TEST_P(SynthesisedLearn, GivesFormatAndCode)
{
    const Synth& s = GetParam();
    const irsig::Protocol* p = irsig::findProtocol(s.protocol);
    ASSERT_NE(p, nullptr) << s.protocol;
    for (uint32_t seed : {1u, 2u, 3u, 4u, 5u}) {
        LearnRig rig;
        rig.view.cursorAutoOn = false;
        rig.view.learningMsgOn = false;
        rig.learn(press(s, seed), p->carrierTenths);
        EXPECT_EQ(rig.resultCell(1), QString::fromLatin1(s.result)) << "seed " << seed;
        EXPECT_EQ(rig.table.cell(kColCarry, 1),
                  QString::asprintf("%d.%dkHz", p->carrierTenths / 10, p->carrierTenths % 10));
        if (!s.readsBackTheSame)
            continue;
        // The learned entry, decoded as if read back from the board.
        const QString learned = rig.resultCell(1);
        rig.table.setCell(kColResult, 1, QString());
        rig.readBack().DecodeStoredEntry(1);
        EXPECT_EQ(rig.resultCell(1), learned) << "read back, seed " << seed;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Protocols, SynthesisedLearn,
    ::testing::Values(
        Synth{"NEC", {0x20, 0xDF, 0x10, 0xEF}, 9, "Tm:NEC-32R    d:20DF 10EF"},
        // A short press is decided only by the result line: the entry holds the whole
        // train, which the stored-entry rules read as NEC-32A.
        Synth{"NEC", {0x20, 0xDF, 0x10, 0xEF}, 3, "Tm:NEC-32R    d:20DF 10EF", false, 40, false},
        Synth{"NECF", {0x20, 0xDF, 0x10, 0xEF}, 5, "Tm:NEC-32A    d:20DF 10EF"},
        Synth{"NEC", {0x00, 0xFF, 0x10, 0xEF}, 9, "Tm:KANON-Rep  d:00FF 10EF"},
        Synth{"NECF", {0x00, 0xFF, 0x10, 0xEF}, 5, "Tm:KANON-ALL  d:00FF 10EF"},
        Synth{"NECF", {0x83, 0x41, 0x10, 0xEF}, 5, "Tm:KORVEN     d:8341 10EF"},
        Synth{"NEC", {0x83, 0x41, 0x10, 0xEF}, 9, "Tm:NEC-32R    d:8341 10EF"},
        Synth{"NEC40", {0x20, 0xDF, 0x10, 0xEF, 0x5A}, 9, "Tm:NEC-40R    d:20DF 10EF 5A", false, 40, false},
        Synth{"NEC40F", {0x20, 0xDF, 0x10, 0xEF, 0x5A}, 5, "Tm:NEC-40A    d:20DF 10EF 5A", false, 40, false},
        Synth{"NEC42", {0x1C, 0x03, 0xE3, 0x0F, 0x15, 0x2A}, 9, "Tm:NEC-42R    d:1C03 E30F 1502", false, 40, false},
        Synth{"NEC42F", {0x1C, 0x03, 0xE3, 0x0F, 0x15, 0x2A}, 5, "Tm:NEC-42A    d:1C03 E30F 1502", false, 40, false},
        Synth{"NEC48", {0x20, 0xDF, 0x10, 0xEF, 0x33, 0xCC}, 9, "Tm:NEC-48R    d:20DF 10EF 33CC", false, 40, false},
        Synth{"NEC48F", {0x20, 0xDF, 0x10, 0xEF, 0x33, 0xCC}, 5, "Tm:NEC-48A    d:20DF 10EF 33CC", false, 40, false},
        Synth{"NEC64",
              {0x20, 0xDF, 0x10, 0xEF, 0x01, 0x23, 0x45, 0x67},
              9,
              "Tm:NEC-64R    d:20DF 10EF 0123 4567",
              false,
              40,
              false},
        Synth{"NEC64F",
              {0x20, 0xDF, 0x10, 0xEF, 0x01, 0x23, 0x45, 0x67},
              5,
              "Tm:NEC-64A    d:20DF 10EF 0123 4567",
              false,
              40,
              false},
        Synth{"NEC80",
              {0x20, 0xDF, 0x10, 0xEF, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB},
              9,
              "Tm:NEC-80A    d:20DF 10EF 0123 4567 89AB",
              false,
              40,
              false},
        Synth{"SONY12", {0x15, 0x01}, 11, "Tm:SONY12     d:0115"},
        Synth{"SONY15", {0x15, 0xA4}, 11, "Tm:SONY15     d:A415"},
        Synth{"SONY20", {0x15, 0x1A, 0x49}, 11, "Tm:SONY20     d:3A09 15", false, 40, false},
        Synth{"KASEIKYO", {0x02, 0x20, 0x80, 0x00, 0x3D, 0xBD}, 6, "Tm:KASEIKYO   d:0220 8000 3DBD"},
        // The first frame's stop pair is shorter (it shares the period with the
        // leader), so the repeating part starts at 18: 35 pairs, read back as NEC-32A.
        Synth{"JVC", {0x03, 0x17}, 10, "Tm:JVC-H16    d:0317", false, 40, false},
        // Caught after the first frame's leader; 17 pairs a frame, read back as no JVC-M16.
        Synth{"JVC", {0x03, 0x17}, 10, "Tm:JVC-M16    d:0317", true, 40, false},
        Synth{"SHARP", {0x01, 0x4A, 0x01, 0x00}, 3, "Tm:SHARP      d:014A", false, 40, false},
        Synth{"MITSUBISHI", {0x23, 0x47}, 5, "Tm:MITU16     d:2347"},
        Synth{"SAMSUNG", {0x07, 0x07, 0x02, 0xFD}, 5, "Tm:SAMSUNG-D  d:0707 02FD"},
        Synth{"TOSHIBA", {0x40, 0x40, 0x12, 0xED}, 5, "Tm:SAMSUNG-D  d:4040 12ED"},
        // A receiver that ends marks early brings the Toshiba marks into the TSB32 windows.
        Synth{"TOSHIBA", {0x40, 0x40, 0x12, 0xED}, 5, "Tm:TSB32      d:4040 12ED", false, -80}));

TEST(SynthesisedLearn, UnknownSignal)
{
    const irsig::Protocol* p = irsig::findProtocol("NOMATCH");
    ASSERT_NE(p, nullptr);
    LearnRig rig;
    rig.view.cursorAutoOn = false;
    rig.view.learningMsgOn = false;
    rig.learn(irsig::encode(*p, p->exampleCode, 3, irsig::Noise{}), p->carrierTenths);
    EXPECT_TRUE(rig.resultCell(1).startsWith("Tm:Unknown    d:")) << rig.resultCell(1).toStdString();
    EXPECT_EQ(rig.table.cell(kColCarry, 1), "56.0kHz");
}

TEST(SynthesisedLearn, FourDigitIndexLines)
{
    const irsig::Protocol* p = irsig::findProtocol("NEC");
    ASSERT_NE(p, nullptr);
    LearnRig rig;
    rig.view.cursorAutoOn = false;
    rig.view.learningMsgOn = false;
    rig.feed(irsig::encode(*p, {0x20, 0xDF, 0x10, 0xEF}, 9, irsig::Noise{}), true);
    rig.result(380);
    EXPECT_EQ(rig.resultCell(1), "Tm:NEC-32R    d:20DF 10EF");
}

TEST(SynthesisedLearn, CursorAutoFillsRowsAcrossChannels)
{
    const std::pair<const char*, std::vector<uint8_t>> presses[] = {{"NEC", {0x20, 0xDF, 0x10, 0xEF}},
                                                                    {"SONY12", {0x15, 0x01}},
                                                                    {"NECF", {0x00, 0xFF, 0x10, 0xEF}},
                                                                    {"MITSUBISHI", {0x23, 0x47}},
                                                                    {"NEC", {0x20, 0xDF, 0x11, 0xEE}}};
    const char* results[] = {"Tm:NEC-32R    d:20DF 10EF", "Tm:SONY12     d:0115", "Tm:KANON-ALL  d:00FF 10EF",
                             "Tm:MITU16     d:2347", "Tm:NEC-32R    d:20DF 11EE"};
    LearnRig rig;
    rig.table.setCell(kColCarry, 2, "38.0kHz"); // a used row is skipped when learning starts
    rig.view.row = 2;
    rig.learner().ToggleLearning();
    EXPECT_EQ(rig.view.row, 3);
    // When the wave lines decide the learn, the rest of the press and the result
    // line arrive while the completion box is open; the user then closes it.
    int n = 0;
    for (const auto& [name, code] : presses) {
        const irsig::Protocol* p = irsig::findProtocol(name);
        ASSERT_NE(p, nullptr);
        const auto pairs = irsig::encode(*p, code, 9, irsig::Noise{uint32_t(10 + n), 3, 40});
        rig.view.whileShowing = [&] {
            for (size_t i = size_t(rig.store().current().lastIndex) + 1; i < pairs.size(); ++i)
                rig.learner().OnWaveLine(QString::fromStdString(irsig::waveLine(int(i), pairs[i], false)));
            rig.result(p->carrierTenths);
        };
        const size_t boxes = rig.view.boxes.size();
        for (size_t i = 0; i < pairs.size() && rig.view.boxes.size() == boxes; ++i)
            rig.learner().OnWaveLine(QString::fromStdString(irsig::waveLine(int(i), pairs[i], false)));
        if (rig.view.boxes.size() == boxes) // not decided before the result line
            rig.result(p->carrierTenths);
        EXPECT_EQ(rig.store().currentChannel, n % 4);
        EXPECT_EQ(rig.resultCell(3 + n), QString::fromLatin1(results[n])) << n;
        EXPECT_EQ(rig.store().channels[size_t(n % 4)].channelRow, 3 + n);
        ++n;
        EXPECT_EQ(rig.view.row, 3 + n);
    }
    // A press decided only by its result line shows no box (seed 10's jittered
    // repeat leaders fall into the leader's window, so its repeats are not periodic).
    EXPECT_GE(rig.view.boxes.size(), 3u);
}

} // namespace
} // namespace zovax::test
