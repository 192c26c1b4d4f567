// TCP and serial line assembly.
#include "core/link/LineAssembly.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace zovax;

namespace {

struct TcpCase {
    const char* name;
    std::vector<QByteArray> reads; // one entry per read event
    QStringList lines;             // every line dispatched, in order
    QString pending;               // the incomplete line left over
};

class TcpAssembly : public ::testing::TestWithParam<TcpCase> {};

const TcpCase kTcp[] = {
    {"TextAndCrLfInOneRead", {"Trans Mode\r\n"}, {"Trans Mode"}, ""},
    {"CrLfAlone", {"\r\n"}, {" "}, ""},
    {"TextThenCrLfInNextRead", {"Trans Mo", "de\r\n"}, {"Trans Mode"}, ""},
    {"SplitAtEveryByte", {"O", "K", "\r", "\n", "N", "G", "\n"}, {"OK", "NG"}, ""},
    {"LfAloneIgnored", {"\n\n\nA\n"}, {"A"}, ""},
    {"CrInsideLineIgnored", {"AB\rCD\r\n"}, {"ABCD"}, ""},
    {"AckByteAlone", {QByteArray("\x06", 1)}, {" 06h"}, ""},
    {"HighByteEndsLine",
     {"ab\xE3"
      "cd\r\n"},
     {"ab E3h", "cd"},
     ""},
    {"StxAndEtx", {"\x02Ver 1.0\x03\x02Mode\x03"}, {"<STX>Ver 1.0<ETX>", "<STX>Mode<ETX>"}, ""},
    {"NulByte", {QByteArray("x\0y\n", 4)}, {"x 00h", "y"}, ""},
    {"DelIsPrintable",
     {"a\x7F"
      "b\n"},
     {"a\x7F"
      "b"},
     ""},
    {"IncompleteKept", {"[000]:09000,"}, {}, "[000]:09000,"},
    {"ManyLinesOneRead", {"a\r\nb\r\n\r\nc"}, {"a", "b", " "}, "c"},
};

} // namespace

TEST_P(TcpAssembly, Lines)
{
    const TcpCase& c = GetParam();
    TcpLineAssembler a;
    QStringList got;
    for (const QByteArray& r : c.reads)
        got += a.feed(r);
    EXPECT_EQ(got, c.lines);
    EXPECT_EQ(a.pending(), c.pending);
}

INSTANTIATE_TEST_SUITE_P(Cases, TcpAssembly, ::testing::ValuesIn(kTcp),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TcpAssembly, LongLineCompletesAt4096Characters)
{
    TcpLineAssembler a;
    QByteArray data(5000, 'x');
    data += "\r\n";
    // Fed in odd chunks: the cap counts the whole line, not one read.
    QStringList got;
    for (int i = 0; i < data.size(); i += 1000)
        got += a.feed(data.mid(i, 1000));
    ASSERT_EQ(got.size(), 2);
    EXPECT_EQ(got[0].size(), 4096);
    EXPECT_EQ(got[1].size(), 5000 - 4096);
}

TEST(TcpAssembly, CapAppliesWithinOneReadAndAfterMarkers)
{
    TcpLineAssembler a;
    // 9000 characters in one read: two full lines, the rest kept.
    QStringList got = a.feed(QByteArray(9000, 'y'));
    ASSERT_EQ(got.size(), 2);
    EXPECT_EQ(got[0], QString(4096, 'y'));
    EXPECT_EQ(got[1], QString(4096, 'y'));
    EXPECT_EQ(a.pending(), QString(9000 - 2 * 4096, 'y'));
    a.reset();
    // A marker takes the line past the cap: the next character completes it.
    got = a.feed(QByteArray(4094, 'x') + "\x02" + "ab\n");
    ASSERT_EQ(got.size(), 2);
    EXPECT_EQ(got[0], QString(4094, 'x') + "<STX>a");
    EXPECT_EQ(got[1], "b");
}

TEST(TcpAssembly, MarkersAndCrAloneKeepThePendingLineBounded)
{
    // A peer sending nothing but STX (or STX with CR) still gets its lines cut.
    for (const QByteArray& unit : {QByteArray("\x02"), QByteArray("\x02\r")}) {
        TcpLineAssembler a;
        qsizetype longest = 0;
        int lines = 0;
        for (int read = 0; read < 100; ++read) {
            for (const QString& l : a.feed(unit.repeated(4095 / unit.size()))) {
                longest = std::max(longest, l.size());
                ++lines;
            }
            ASSERT_LT(a.pending().size(), TcpLineAssembler::kMaxLine + 5);
        }
        EXPECT_GT(lines, 0);
        EXPECT_LT(longest, TcpLineAssembler::kMaxLine + 10);
    }
}

namespace {

struct SerialCase {
    const char* name;
    SerialLineAssembler::Mode mode;
    QByteArray bytes;
    QStringList lines;
    QStringList flushed; // lines the idle time-out completes afterwards
};

class SerialAssembly : public ::testing::TestWithParam<SerialCase> {};

const SerialCase kSerial[] = {
    {"CrLfRemoved", SerialLineAssembler::CrLf, "Trans Mode\r\n", {"Trans Mode"}, {}},
    {"CrLfEmptyBecomesBlank", SerialLineAssembler::CrLf, "\r\n", {" "}, {}},
    {"CrLfNeedsBoth", SerialLineAssembler::CrLf, "A\nB\r\n", {"A 0Ah B"}, {}},
    {"EtxStays", SerialLineAssembler::Etx, "ABC\x03", {"ABC 03h"}, {}},
    {"EtxTransModeIsNotEqual", SerialLineAssembler::Etx, "Trans Mode\x03", {"Trans Mode 03h"}, {}},
    {"CrStays", SerialLineAssembler::Cr, "OK\r", {"OK 0Dh"}, {}},
    {"LfStays", SerialLineAssembler::Lf, "OK\n", {"OK 0Ah"}, {}},
    {"StxRenderedWithBlank",
     SerialLineAssembler::Etx,
     "\x02"
     "AB\x03",
     {" 02h AB 03h"},
     {}},
    {"NoDelimiterWaitsForIdle", SerialLineAssembler::None, "ABC\r\nDEF", {}, {"ABC 0Dh 0Ah DEF"}},
    {"LeftoverFlushed", SerialLineAssembler::CrLf, "A\r\nB", {"A"}, {"B"}},
    {"HighBytesCodedAsOnTcp",
     SerialLineAssembler::CrLf,
     "ab\x82\xA0"
     "cd\r\n",
     {"ab 82h A0h cd"},
     {}},
};

} // namespace

TEST_P(SerialAssembly, Lines)
{
    const SerialCase& c = GetParam();
    SerialLineAssembler a(c.mode);
    EXPECT_EQ(a.feed(c.bytes), c.lines);
    EXPECT_EQ(a.flush(), c.flushed);
    EXPECT_FALSE(a.hasPending());
}

INSTANTIATE_TEST_SUITE_P(Cases, SerialAssembly, ::testing::ValuesIn(kSerial),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SerialAssembly, RawLineOver8192BytesIsComplete)
{
    SerialLineAssembler a(SerialLineAssembler::None);
    const QStringList got = a.feed(QByteArray(8193 + 5, 'z'));
    ASSERT_EQ(got.size(), 1);
    EXPECT_EQ(got[0].size(), 8193);
    EXPECT_EQ(a.flush(), QStringList{QString(5, 'z')});
}

TEST(SerialAssembly, ModeNames)
{
    EXPECT_EQ(SerialLineAssembler::modeFor("ETX"), SerialLineAssembler::Etx);
    EXPECT_EQ(SerialLineAssembler::modeFor("CR"), SerialLineAssembler::Cr);
    EXPECT_EQ(SerialLineAssembler::modeFor("LF"), SerialLineAssembler::Lf);
    EXPECT_EQ(SerialLineAssembler::modeFor("CRLF"), SerialLineAssembler::CrLf);
    EXPECT_EQ(SerialLineAssembler::modeFor(QStringLiteral("無し")), SerialLineAssembler::None);
}
