// Published and hand-written files of each format read into the rows that
// learning the same signal gives, and malformed files refused with a message
// naming the file, the place and the field.
#include "core/interchange/Interchange.h"
#include "core/interchange/ParsedCodes.h"
#include "core/learning/LearnTestRig.h"

#include <gtest/gtest.h>

namespace zovax::test {
namespace {

const char kNecPronto[]
    = "0000 006D 0022 0002 0156 00AB 0015 0015 0015 0015 0015 0015 0015 0015 0015 0015 0015 0040 0015 0015 "
      "0015 0015 0015 0040 0015 0040 0015 0040 0015 0040 0015 0040 0015 0015 0015 0040 0015 0040 0015 0015 "
      "0015 0015 0015 0015 0015 0015 0015 0040 0015 0015 0015 0015 0015 0015 0015 0040 0015 0040 0015 0040 "
      "0015 0040 0015 0015 0015 0040 0015 0040 0015 0040 0015 0622 0156 0055 0015 0E47";

std::vector<ImportedRow> importText(const char* format, const QByteArray& text, ReadResult* keep = nullptr)
{
    const ReadResult r = findFormat(QLatin1String(format))->read(QStringLiteral("in"), text);
    EXPECT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    for (const ReadItem& i : r.items)
        EXPECT_TRUE(i.error.isEmpty()) << i.error.toStdString();
    if (keep)
        *keep = r;
    return importRows(r);
}

TEST(Readers, EveryFormatGivesTheNecRow)
{
    const QByteArray nec = "+9000 -4500 +560 -560 +560 -560 +560 -560 +560 -560 +560 -560 +560 -1690 +560 -560 "
                           "+560 -560 +560 -1690 +560 -1690 +560 -1690 +560 -1690 +560 -1690 +560 -560 +560 -1690 "
                           "+560 -1690 +560 -560 +560 -560 +560 -560 +560 -560 +560 -1690 +560 -560 +560 -560 "
                           "+560 -560 +560 -1690 +560 -1690 +560 -1690 +560 -1690 +560 -560 +560 -1690 +560 -1690 "
                           "+560 -1690 +560";
    QByteArray mode2 = "carrier 38000\nspace 1000000\n";
    for (const QByteArray& w : nec.split(' '))
        mode2 += (w[0] == '+' ? "pulse " : "space ") + w.mid(1) + "\n";
    const QByteArray lirc = "begin remote\n name tv\n bits 16\n flags SPACE_ENC|CONST_LENGTH\n eps 30\n aeps 100\n"
                            " header 9000 4500\n one 560 1690\n zero 560 560\n ptrail 560\n repeat 9000 2250\n"
                            " pre_data_bits 16\n pre_data 0x04FB\n gap 108000\n frequency 38000\n"
                            " begin codes\n  KEY_POWER 0x08F7  # the code\n end codes\nend remote\n";
    QByteArray lircRaw = "begin remote\n name tv\n flags RAW_CODES\n frequency 38000\n gap 40000\n begin raw_codes\n"
                         "  name KEY_POWER\n";
    for (const QByteArray& w : nec.split(' '))
        lircRaw += " " + w.mid(1);
    lircRaw += "\n end raw_codes\nend remote\n";
    const QByteArray flipper = "Filetype: IR signals file\nVersion: 1\n#\nname: Power\ntype: parsed\nprotocol: NEC\n"
                               "address: 20 00 00 00\ncommand: 10 00 00 00\n";
    const struct {
        const char* format;
        QByteArray text;
        const char* frames;
        const char* result;
    } cases[] = {
        {"pronto", QByteArray(kNecPronto), "3", "Tm:NEC-32R    d:20DF 10EF"},
        {"lirc", lirc, "3", "Tm:NEC-32R    d:20DF 10EF"},
        {"flipper", flipper, "3", "Tm:NEC-32R    d:20DF 10EF"},
        // A raw code of another program: sent again after the gap while held.
        {"lirc", lircRaw, "3", "Tm:NEC-32A    d:20DF 10EF"},
        // One frame captured: a single-frame row without repeat codes.
        {"timing", nec, "1", "Tm:NEC-32A    d:20DF 10EF"},
        {"mode2", mode2, "1", "Tm:NEC-32A    d:20DF 10EF"},
    };
    for (const auto& c : cases) {
        const auto rows = importText(c.format, c.text);
        ASSERT_EQ(rows.size(), 1u) << c.format;
        EXPECT_EQ(rows[0].row.cells[3], QLatin1String(c.result)) << c.format;
        EXPECT_EQ(rows[0].row.cells[0], QStringLiteral("38.0kHz")) << c.format;
        EXPECT_EQ(rows[0].row.cells[1], QLatin1String(c.frames)) << c.format;
        EXPECT_EQ(detectFormat(QStringLiteral("in"), c.text), findFormat(QLatin1String(c.format))) << c.format;
    }
}

// A parsed Flipper signal gives the row that learning the library's encoding
// of the same code through the board gives.
TEST(Readers, FlipperParsedSignalsMatchTheLearnedEncoding)
{
    const struct {
        const char* protocol;
        const char* address;
        const char* command;
        const char* library;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"NEC", "20 00 00 00", "10 00 00 00", "NEC", {0x20, 0xDF, 0x10, 0xEF}},
        {"NECext", "83 41 00 00", "10 EF 00 00", "NEC", {0x83, 0x41, 0x10, 0xEF}},
        {"SIRC", "01 00 00 00", "15 00 00 00", "SONY12", {0x15, 0x01}},
        {"SIRC20", "49 03 00 00", "15 00 00 00", "SONY20", {0x15, 0x09, 0x1A}},
        {"Kaseikyo", "80 02 20 00", "D0 03 00 00", "KASEIKYO", {0x02, 0x20, 0x80, 0x00, 0x3D, 0xBD}},
        {"Samsung32", "07 00 00 00", "02 00 00 00", "SAMSUNG", {0x07, 0x07, 0x02, 0xFD}},
    };
    for (const auto& c : cases) {
        const QByteArray file
            = QByteArray("Filetype: IR signals file\nVersion: 1\n#\nname: K\ntype: parsed\nprotocol: ") + c.protocol
            + "\naddress: " + c.address + "\ncommand: " + c.command + "\n";
        const auto rows = importText("flipper", file);
        ASSERT_EQ(rows.size(), 1u) << c.protocol;
        const irsig::Protocol* p = irsig::findProtocol(c.library);
        LearnRig rig;
        rig.view.cursorAutoOn = false;
        rig.view.learningMsgOn = false;
        rig.learn(irsig::encodeNominal(*p, c.bytes, 20, 550000), p->carrierTenths); // the button held
        EXPECT_EQ(rows[0].row.cells[3], rig.resultCell(1)) << c.protocol;
        EXPECT_EQ(rows[0].row.cells[1], rig.table.cell(kColFrames, 1)) << c.protocol;
        EXPECT_TRUE(rows[0].row.entry == rig.table.entry(1)) << c.protocol;
        EXPECT_EQ(rows[0].row.cells[2], QStringLiteral("K"));
        // And written back as the same parsed signal.
        ExportRow x{1, rows[0].row.cells, rows[0].row.entry};
        const QByteArray out = findFormat(QStringLiteral("flipper"))->write({x});
        EXPECT_TRUE(
            out.contains(QByteArray("protocol: ") + c.protocol + "\naddress: " + c.address + "\ncommand: " + c.command))
            << out.toStdString();
    }
}

TEST(Readers, ProntoOfARow)
{
    const auto rows = importText("pronto", kNecPronto);
    ASSERT_EQ(rows.size(), 1u);
    const QString pronto = prontoOf({1, rows[0].row.cells, rows[0].row.entry});
    EXPECT_TRUE(pronto.startsWith(QStringLiteral("0000 006D 0022 0002 "))) << pronto.toStdString();
    EXPECT_EQ(pronto.split(QLatin1Char(' ')).size(), 4 + 2 * (0x22 + 2));

    // Unmodulated: no carrier, written back as 0100.
    const auto flat = importText("pronto", "0100 006D 0002 0000 0156 00AB 0015 0622");
    ASSERT_EQ(flat.size(), 1u);
    EXPECT_EQ(flat[0].row.cells[0], QStringLiteral("0.0kHz"));
    EXPECT_TRUE(prontoOf({1, flat[0].row.cells, flat[0].row.entry})
                    .startsWith(QStringLiteral("0100 006D 0002 0000 0156 00AB 0015 ")));
}

// The message names the file, the line (or signal) and the field; a bad
// signal is reported as such, a broken file as a whole.
TEST(Readers, MalformedFilesAreRefusedWithTheirPlace)
{
    const QByteArray fl = "Filetype: IR signals file\nVersion: 1\n#\nname: A\n";
    const struct {
        const char* format;
        QByteArray text;
        const char* message; // expected part of the message
        bool wholeFile;
    } cases[] = {
        {"pronto", "0000 006D 0002 0000 0156 00AB 0015", "in 1 行目 (語数): 7 語ですが", false},
        {"pronto", "0000 0000 0001 0000 0156 00AB", "in 1 行目 (2 語目 (周波数))", false},
        {"pronto", "0000 0001 0001 0000 0156 00AB", "(2 語目 (周波数)): 0001 は搬送波 41", false},
        {"pronto", "5000 006D 0001 0000 0156 00AB", "(1 語目): 5000 形式には対応していません", false},
        {"pronto", "0000 006D 0001 0000 0156 0000", "(6 語目): 時間が 0 です", false},
        {"pronto", "0000 006D 0001 0000 0156 00XB", "(6 語目): 「00XB」は 4 桁の 16 進数ではありません", false},
        {"pronto", "0000 006D 0000 0000", "(3〜4 語目): 組数が 0 です", false},
        {"pronto", "0000 006D 0001 0000 FFFF 00AB", "先頭部の 1 番目の時間 (マーク)", false},
        {"sendir", "sendir,1:1,1,38000,1,1,342,171,21", "(on/off): 時間が 3 個", false},
        {"sendir", "sendir,1:1,1,0,1,1,342,171", "(frequency): 0 Hz", false},
        {"sendir", "sendir,1:1,1,38000,1,2,342,171", "(offset): 2", false},
        {"sendir", "sendir,1:1,1,38k,1,1,342,171", "(frequency): 「38k」は数値ではありません", false},
        {"sendir", "sendir,1:1,1,38000,1,1,342,0", "(2 番目の時間)", false},
        {"sendir", "sendir,1:1", "(項目数)", false},
        {"flipper", "Filetype: IR signals file\nVersion: 2\n", "in 2 行目 (Version)", true},
        {"flipper", "Filetype: other\nVersion: 1\n", "in 1 行目 (Filetype)", true},
        {"flipper", fl + "type: parsed\nprotocol: RC5\naddress: 01 00 00 00\ncommand: 01 00 00 00\n",
         "in 6 行目 (信号「A」 protocol): 「RC5」には対応していません", false},
        {"flipper", fl + "type: parsed\nprotocol: NEC\naddress: 01 00 00\ncommand: 01 00 00 00\n",
         "in 7 行目 (信号「A」 address): 4 バイト", false},
        {"flipper", fl + "type: parsed\nprotocol: NEC\naddress: FF 01 00 00\ncommand: 01 00 00 00\n",
         "(信号「A」 address): 0x1ff (8 ビットまで)", false},
        {"flipper", fl + "type: raw\nfrequency: 38000\nduty_cycle: 0.33\ndata: 9000 4500 abc\n",
         "in 8 行目 (信号「A」 data): 3 番目「abc」", false},
        {"flipper", fl + "type: raw\nfrequency: 0\ndata: 9000 4500\n", "(信号「A」 frequency)", false},
        {"flipper", fl + "type: raw\nfrequency: 38000\n", "(信号「A」 data): ありません", false},
        {"flipper", fl + "type: raw\nfrequency: 38000\ndata: 9000 0 560\n", "(信号「A」 data): 2 番目「0」", false},
        {"lirc",
         "begin remote\n name x\n flags RAW_CODES\n begin raw_codes\n name K\n 9000 x\n end raw_codes\nend remote\n",
         "in 6 行目 (ボタン「K」): 「x」は正の整数ではありません", false},
        {"lirc",
         "begin remote\n name x\n flags RC5\n bits 13\n one 889 889\n zero 889 889\n begin codes\n K 0x1\n end "
         "codes\nend remote\n",
         "in 3 行目 (flags): RC5 には対応していません", false},
        {"lirc", "begin remote\n bits 8\n one 560 1690\n begin codes\n K 0x1\n end codes\nend remote\n",
         "in 1 行目 (zero)", false},
        {"lirc",
         "begin remote\n bits 8\n one 560 1690\n zero 560 560\n frequency 0x\n begin codes\n K 1\n end codes\nend "
         "remote\n",
         "in 5 行目 (frequency)", false},
        {"lirc", "begin remote\n name x\n flags RAW_CODES\n begin raw_codes\n name K\n 9000 4500\n",
         "途中で終わっています", true},
        {"mode2", "pulse 9000\nspace abc\npulse 560\n", "in 2 行目 (space)", false},
        {"mode2", "pulse 200000\nspace 4500\n", "先頭部の 1 番目の時間 (マーク): 200000 us", false},
        {"timing", "+9000 +4500", "in 1 行目 (2 番目): マークとスペースが交互", false},
        {"timing", "-9000 +4500", "(1 番目): マーク (+) で始まっていません", false},
        {"timing", "+9000 -4x00", "(2 番目): 「-4x00」", false},
        {"json", "{\"format\": \"ZOVAX-Ether table\", \"version\": 1, \"rows\": [", "in 1 行目: JSON として読めません",
         true},
        {"json", "{\"format\": \"other\"}", "(format)", true},
        {"json", "{\"format\": \"ZOVAX-Ether table\", \"version\": 1, \"rows\": [{\"row\": 1000}]}", "rows[0].row",
         false},
        {"json",
         "{\"format\": \"ZOVAX-Ether table\", \"version\": 1, \"rows\": [{\"row\": 1, \"entry\": {\"carrier\": 380, "
         "\"dataCount\": 2, \"repeat\": 0, \"patterns\": [], \"data\": \"01\"}}]}",
         "rows[0].entry.patterns: 16 組ではありません", false},
        {"json",
         "{\"format\": \"ZOVAX-Ether table\", \"version\": 1, \"rows\": [{\"row\": 1, \"timing\": {\"carrierHz\": "
         "38000, "
         "\"once\": [9000, -1]}}]}",
         "rows[0].timing.once[1]: 正の整数ではありません", false},
    };
    for (const auto& c : cases) {
        const ReadResult r = findFormat(QLatin1String(c.format))->read(QStringLiteral("in"), c.text);
        const QString msg = c.wholeFile ? r.error : (r.items.empty() ? QString() : r.items[0].error);
        EXPECT_TRUE(msg.contains(QString::fromUtf8(c.message)))
            << c.format << ": " << c.text.left(60).toStdString() << "\n  got: " << msg.toStdString() << " / "
            << r.error.toStdString();
        EXPECT_TRUE(importRows(r).empty()) << c.format;
    }
}

// A file with good and bad signals: each is reported on its own, only the good
// ones are learned.
TEST(Readers, BadSignalsAreKeptApartFromGoodOnes)
{
    const QByteArray text = QByteArray(kNecPronto) + "\n0000 006D 0001\n" + kNecPronto + "\n";
    const ReadResult r = findFormat(QStringLiteral("pronto"))->read(QStringLiteral("in"), text);
    ASSERT_EQ(r.items.size(), 3u);
    EXPECT_EQ(r.badCount(), 1);
    EXPECT_TRUE(r.items[1].error.startsWith(QStringLiteral("in 2 行目"))) << r.items[1].error.toStdString();
    const auto rows = importRows(r);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].item, 2);
}

TEST(Readers, ParsedCodesRefuseBytesThatAreNotTheirFrame)
{
    EXPECT_FALSE(parsedCodeOf(QStringLiteral("NEC"), {0x20, 0xDE, 0x10, 0xEF}));                  // address complement
    EXPECT_FALSE(parsedCodeOf(QStringLiteral("Samsung32"), {0x07, 0x08, 0x02, 0xFD}));            // address twice
    EXPECT_FALSE(parsedCodeOf(QStringLiteral("Kaseikyo"), {0x02, 0x20, 0x80, 0x00, 0x3D, 0xBC})); // check byte
    const auto nec42 = codeBytesOf({QStringLiteral("NEC42"), 0x1ABC, 0x5A}, nullptr);
    ASSERT_TRUE(nec42);
    const auto back = parsedCodeOf(QStringLiteral("NEC42"), *nec42);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->address, 0x1ABCu);
    EXPECT_EQ(back->command, 0x5Au);
}

} // namespace
} // namespace zovax::test
