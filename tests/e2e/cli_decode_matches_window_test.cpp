// `zovax decode` gives the Result the main window shows for the same wave
// lines: every signal of the library, received by the window through its link
// (line assembly, dispatch, learning, analysis) and decoded by the tool, with
// the PCode and Full Code check boxes off and on.
#include "ToolAndBoard.h"
#include "cli/Decode.h"
#include "core/irsig/Signals.h"
#include "core/link/DeviceLink.h"
#include "core/table/CodeTable.h"
#include "support/Controls.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QTableView>
#include <gtest/gtest.h>

using zovax::test::control;

using namespace zovax;

namespace {

struct Switches {
    bool pcode, fullCode;
};

class CliDecodeMatchesWindow : public ::testing::TestWithParam<Switches>, public e2e::ToolAndBoard {};

} // namespace

TEST_P(CliDecodeMatchesWindow, EverySignalOfTheLibrary)
{
    ASSERT_NO_FATAL_FAILURE(startToolAndBoard());
    control<QCheckBox>(*w, "ckLearningMsg")->setChecked(false);
    control<QCheckBox>(*w, "ckPcode")->setChecked(GetParam().pcode);
    control<QCheckBox>(*w, "ckFullCode")->setChecked(GetParam().fullCode);
    cli::DecodeOptions o;
    o.pcode = GetParam().pcode;
    o.fullCode = GetParam().fullCode;
    o.learn = w->session().settings().learn;

    int row = 0;
    uint32_t seed = 1;
    for (const irsig::Protocol& p : irsig::catalogue()) {
        ++row;
        const auto pairs = irsig::encode(p, p.exampleCode, -1, irsig::Noise{seed++, 4, 40});
        QByteArray bytes;
        QStringList lines;
        for (size_t i = 0; i < pairs.size(); ++i)
            lines << QString::fromStdString(irsig::waveLine(int(i), pairs[i], i > 999));
        lines << QString::fromStdString(irsig::averageLine(p.carrierTenths));
        for (const QString& l : lines)
            bytes += l.toLatin1() + "\r\n";

        control<QTableView>(*w, "sGrid")
            ->setCurrentIndex(control<QTableView>(*w, "sGrid")->model()->index(row - 1, kColCarry));
        w->session().link().onTcpBytes(bytes);
        ASSERT_TRUE(test::waitUntil([&] { return !w->session().table().cell(kColResult, row).isEmpty(); })) << p.name;

        const std::vector<cli::DecodedSignal> d = cli::decodeWaveLines(lines, o);
        ASSERT_EQ(d.size(), 1u) << p.name;
        EXPECT_EQ(d[0].result, w->session().table().cell(kColResult, row)) << p.name;
        EXPECT_EQ(d[0].carry, w->session().table().cell(kColCarry, row)) << p.name;
        EXPECT_EQ(d[0].frames, w->session().table().cell(kColFrames, row)) << p.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Switches, CliDecodeMatchesWindow,
                         ::testing::Values(Switches{false, false}, Switches{true, false}, Switches{false, true}));
