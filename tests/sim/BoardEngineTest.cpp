// The board's command interpreter: replies to each command, validation,
// the table records, the configuration, the console dialogue and the loader.
#include "sim/board/BoardEngine.h"
#include "sim/board/BoardSim.h"

#include <QRegularExpression>

#include "QtPrinters.h"

#include <gtest/gtest.h>

using namespace zovax::sim;

namespace {

class Engine : public ::testing::Test {
protected:
    BoardOptions opt;
    Flash flash;
    std::unique_ptr<BoardEngine> engine;
    int flashChanges = 0;

    void SetUp() override { rebuild(); }
    void rebuild()
    {
        engine = std::make_unique<BoardEngine>(flash, opt);
        engine->onFlashChanged = [this] { ++flashChanges; };
    }
    // The reply lines of one command.
    QStringList run(const QString& command)
    {
        QStringList out;
        for (const Effect& e : engine->handle(command)) {
            if (e.kind == Effect::Kind::Line)
                out << e.text;
        }
        return out;
    }
    bool restarts(const QString& command)
    {
        for (const Effect& e : engine->handle(command)) {
            if (e.kind == Effect::Kind::Restart)
                return true;
        }
        return false;
    }
    void sendEntry(const QStringList& records)
    {
        for (const QString& r : records)
            EXPECT_TRUE(run(r).isEmpty()) << r.toStdString() << " -> " << run(r).join('|').toStdString();
    }
    static QStringList necEntry()
    {
        return {"Twf:000",
                "Twc:380",
                "Twb:005",
                "Twr:000",
                "Twp:0:09000,013500",
                "Twp:1:00560,001120",
                "Twp:2:00560,002250",
                "Twp:3:00000,000000",
                "Twd:011022"};
    }
};

const char* kMarkers[] = {"M:", "I:", "N:", "G:", "P:", "D:", "L:", "R:"};

int markerCount(const QString& line)
{
    int n = 0;
    for (const char* m : kMarkers)
        n += line.contains(QLatin1String(m)) ? 1 : 0;
    return n;
}

} // namespace

TEST_F(Engine, ModeAndVersionCommands)
{
    const std::pair<const char*, const char*> rows[] = {
        {"Ver", "ZOVAX-Ether Ver.2.10 (board simulator)"},
        {"Version", "ZOVAX-Ether Ver.2.10 (board simulator)"},
        {"Mode?", "Trans Mode"},
        {"A", "Analyze Mode"},
        {"Mode?", "Analyze Mode"},
        {"Lend:0500", "Lend:0500"},
        {"Lend:100", "Lend:0100"},
        {"Lend:12000", "Lend:12000"},
        {"T", "Trans Mode"},
        {"KRV:on", "KRV:on"},
        {"KRV:off", "KRV:off"},
        {"  Ver  ", "ZOVAX-Ether Ver.2.10 (board simulator)"},
    };
    for (const auto& [cmd, reply] : rows)
        EXPECT_EQ(run(cmd), QStringList{reply}) << cmd;
    EXPECT_TRUE(run("").isEmpty());
    for (const char* bad : {"Lend:", "Lend:abc", "Lend:0", "Lend:-5"}) {
        const QStringList r = run(bad);
        ASSERT_EQ(r.size(), 1);
        EXPECT_TRUE(r[0].startsWith("Error")) << bad;
    }
    EXPECT_EQ(engine->learnTimeMs(), 12000);
    EXPECT_TRUE(run("ver")[0].startsWith("Unknown command"));
}

TEST_F(Engine, TrainReportsOneLinePerPairThenTheCarrier)
{
    const std::vector<zovax::irsig::Pair> pairs{{9000, 13500}, {560, 1120}, {560, 2000}};
    EXPECT_TRUE(engine->train(pairs, 380).lines.isEmpty()); // not analysing
    run("A");
    run("Lend:0800");
    const Train t = engine->train(pairs, 380);
    ASSERT_EQ(t.lines.size(), 4);
    EXPECT_EQ(t.lines[0], "[000]:09000,013500");
    EXPECT_EQ(t.lines[1], "[001]:00560,001120");
    // The last pair is stretched past the learning time so the learner sees the end.
    EXPECT_EQ(t.lines[2], "[002]:00560,850560");
    EXPECT_EQ(t.lines[3], "Ave.Carrier38.0kHz");
    EXPECT_TRUE(std::is_sorted(t.dueUs.begin(), t.dueUs.end()));

    std::vector<zovax::irsig::Pair> many(5000, {560, 1120});
    const Train big = engine->train(many, 400);
    EXPECT_EQ(big.lines.size(), BoardEngine::kMaxReportedPairs + 1);
    EXPECT_EQ(big.lines[1000].left(7), "[1000]:"); // 4-digit layout above 999
}

TEST_F(Engine, RegisterAndReadBackAnEntry)
{
    EXPECT_EQ(run("Fe:7"), QStringList{"FLASH Sector:7 ... Erased"});
    sendEntry(necEntry());
    EXPECT_EQ(run("Tws:003"), QStringList{"Tws:003 OK"});
    EXPECT_EQ(run("Twl:3"),
              (QStringList{"Twl:003", "Twc:380", "Twb:005", "Twr:000", "Twp:0:09000,013500", "Twp:1:00560,001120",
                           "Twp:2:00560,002250", "Twp:3:00000,000000", "Twd:011022"}));
    EXPECT_EQ(run("Twl:017"), QStringList{"Twl:017 Error"});
    EXPECT_EQ(flash.usedEntries(), 1);

    // Sixteen pairs without a terminating zero pair come back as sixteen.
    QStringList full{"Twf:000", "Twc:400", "Twb:016", "Twr:016"};
    for (int i = 0; i < 16; ++i)
        full << QStringLiteral("Twp:%1:%2,%3")
                    .arg(QString::number(i, 16).toUpper())
                    .arg(100 + i, 5, 10, QChar('0'))
                    .arg(900, 6, 10, QChar('0'));
    full << "Twd:0123456789ABCDEF";
    sendEntry(full);
    EXPECT_EQ(run("Tws:999"), QStringList{"Tws:999 OK"});
    const QStringList back = run("Twl:999");
    EXPECT_EQ(back.filter("Twp:").size(), 16);
    EXPECT_EQ(back.last(), "Twd:0123456789ABCDEF");

    EXPECT_EQ(run("Fe:7"), QStringList{"FLASH Sector:7 ... Erased"});
    EXPECT_EQ(run("Twl:003"), QStringList{"Twl:003 Error"});
    EXPECT_GE(flashChanges, 4);
}

TEST_F(Engine, MalformedRecordsAreRejectedAndNothingHalfStored)
{
    struct Case {
        const char* record;
        const char* why;
    };
    const Case cases[] = {
        {"Twc:abc", "carrier"},     {"Twc:1000", "carrier"},
        {"Twb:4097", "data count"}, {"Twb:-1", "data count"},
        {"Twr:1x", "repeat"},       {"Twp:G:00560,001120", "index"},
        {"Twp:1:560", "index"},     {"Twp:1:123456,001120", "index"},
        {"Twd:01X2", "hex"},        {"Twf:x", "flag"},
    };
    for (const Case& c : cases) {
        sendEntry({"Twf:000"});
        const QStringList r = run(c.record);
        ASSERT_EQ(r.size(), 1) << c.record;
        EXPECT_TRUE(r[0].startsWith("Error Tw")) << c.record;
        EXPECT_FALSE(r[0].contains(QRegularExpression("Tw[fcbrpdls]:"))) << "must not look like a record";
        // The rest of the entry follows, but the store is refused.
        for (const QString& rec : necEntry().mid(1))
            run(rec);
        const QStringList s = run("Tws:010");
        ASSERT_EQ(s.size(), 1);
        EXPECT_TRUE(s[0].startsWith("Error Tws record")) << c.record << ": " << s[0].toStdString();
        EXPECT_FALSE(flash.entry(10)->used);
    }
    // Records without an entry start, incomplete entries, data not matching the count.
    Flash fresh;
    flash = fresh;
    rebuild();
    EXPECT_TRUE(run("Twc:380")[0].startsWith("Error Twc record"));
    sendEntry({"Twf:000", "Twc:380", "Twb:005"});
    EXPECT_TRUE(run("Tws:001")[0].contains("incomplete"));
    sendEntry({"Twf:000", "Twc:380", "Twb:005", "Twr:000", "Twp:0:09000,013500", "Twd:0110"});
    EXPECT_TRUE(run("Tws:001")[0].contains("do not fit"));
    sendEntry(necEntry());
    for (const char* bad : {"Tws:000", "Tws:1000", "Tws:", "Tws:abc"})
        EXPECT_TRUE(run(bad)[0].startsWith("Error Tws record")) << bad;
    for (const char* bad : {"Twl:000", "Twl:1000", "Twl:x"})
        EXPECT_TRUE(run(bad)[0].startsWith("Error Twl record")) << bad;
    EXPECT_EQ(flash.usedEntries(), 0);
    for (const char* bad : {"Fe:3", "Fe:8", "Fe:x"})
        EXPECT_TRUE(run(bad)[0].startsWith("Error Fe")) << bad;
}

TEST_F(Engine, FireTestReportsOutputsFormatAndFrames)
{
    EXPECT_TRUE(run("Tf:003")[0].startsWith("Error Tf")); // nothing assembled
    EXPECT_TRUE(run("Tp:1101").isEmpty());
    sendEntry(necEntry());
    EXPECT_EQ(run("Tf:003"), QStringList{"Fire IR1+IR2+IR4 format NEC, 5 symbols, 3 frames of 31 ms"});
    EXPECT_EQ(run("Tf:3"), QStringList{"Fire IR1+IR2+IR4 format NEC, 5 symbols, 3 frames of 31 ms"});
    EXPECT_TRUE(run("Tp:0000").isEmpty());
    EXPECT_TRUE(run("Tf:1")[0].startsWith("Fire (no output selected) format NEC"));
    for (const char* bad : {"Tf:0", "Tf:-1", "Tf:", "Tp:12", "Tp:11111", "Tp:1x01"})
        EXPECT_TRUE(run(bad)[0].startsWith("Error T")) << bad;
    // An entry that matches no protocol is reported as an entry.
    sendEntry({"Twf:000", "Twc:380", "Twb:002", "Twr:000", "Twp:0:07777,017777", "Twd:00"});
    EXPECT_TRUE(run("Tf:2")[0].contains("format entry"));
}

TEST_F(Engine, NetworkConfigurationLinesAndSetters)
{
    EXPECT_EQ(run("Ncnf"),
              (QStringList{"M:0A-3C-51-E0-01-00", "I:127.000.000.001", "N:255.000.000.000", "G:127.000.000.001",
                           "P:60000", "D:127.000.000.001", "L:010", "R:180"}));
    const std::pair<const char*, QStringList> rows[] = {
        {"Nmac:?", {"M:0A-3C-51-E0-01-00"}},
        {"Nmac:0a-3c-51-e0-01-07", {"M:0A-3C-51-E0-01-07"}},
        {"Nmip:127.000.000.002", {"I:127.000.000.002"}},
        {"Npno:00080", {"P:00080"}},
        {"Npno:60001", {"P:60001"}},
        {"Nmsk:255.255.255.000", {"N:255.255.255.000"}},
        {"Ngip:192.168.000.001", {"G:192.168.000.001"}}, // reported only, never dialled
        {"Ndns:8.8.8.8", {"D:008.008.008.008"}},
        {"Nlnk:5", {"L:005"}},
        {"Nrcv:999", {"R:999"}},
    };
    for (const auto& [cmd, reply] : rows)
        EXPECT_EQ(run(cmd), reply) << cmd;
    // Refusals explain and repeat the value that stays.
    const std::pair<const char*, const char*> refused[] = {
        {"Nmip:192.168.000.100", "I:127.000.000.002"},
        {"Nmip:127.0.0", "I:127.000.000.002"},
        {"Nmip:127.000.000.256", "I:127.000.000.002"},
        {"Npno:0", "P:60001"},
        {"Npno:65536", "P:60001"},
        {"Nmac:ZZ-00-00-00-00-00", "M:0A-3C-51-E0-01-07"},
        {"Nlnk:1000", "L:005"},
        {"Nrcv:-1", "R:999"},
    };
    for (const auto& [cmd, stays] : refused) {
        const QStringList r = run(cmd);
        ASSERT_EQ(r.size(), 2) << cmd;
        EXPECT_TRUE(r[0].startsWith("Refused")) << cmd;
        EXPECT_EQ(markerCount(r[0]), 0) << "an explanation must not look like a configuration line";
        EXPECT_EQ(r[1], stays) << cmd;
    }
    // Nsav keeps the running values and restarts; an unsaved change is lost at a restart.
    EXPECT_EQ(flash.savedConfig().port, 60000);
    auto effects = engine->handle("Nsav");
    ASSERT_EQ(effects.size(), 2u);
    EXPECT_EQ(effects[0].text, "System Reset");
    EXPECT_EQ(effects[1].kind, Effect::Kind::Restart);
    engine->completeRestart();
    EXPECT_EQ(flash.savedConfig().port, 60001);
    EXPECT_EQ(engine->listenPort(), 60001);
    EXPECT_EQ(engine->listenAddress(), QHostAddress("127.0.0.2"));
    run("Npno:60002");
    run("Reset");
    engine->completeRestart();
    EXPECT_EQ(run("Ncnf")[4], "P:60001");
}

TEST_F(Engine, ConsoleConfigurationDialogue)
{
    const QStringList open = run("C");
    ASSERT_EQ(open.size(), 10);
    EXPECT_TRUE(engine->consoleConfig());
    // Only the configuration lines carry markers; "R:" comes last of them.
    for (int i = 0; i < open.size(); ++i)
        EXPECT_EQ(markerCount(open[i]), (i >= 1 && i <= 8) ? 1 : 0) << open[i].toStdString();
    EXPECT_EQ(open[8], "R:180");
    EXPECT_EQ(run("P:60005"), QStringList{"P:60005"});
    EXPECT_EQ(run("I:127.000.000.009"), QStringList{"I:127.000.000.009"});
    EXPECT_EQ(run("I:010.000.000.001")[1], "I:127.000.000.009");
    EXPECT_EQ(markerCount(run("Ver")[0]), 0); // unknown inside the dialogue
    const QStringList closed = run("Quit");
    EXPECT_FALSE(engine->consoleConfig());
    EXPECT_EQ(closed.last(), "R:180");
    EXPECT_TRUE(closed.contains("P:60005"));

    run("C");
    const auto save = engine->handle("Save");
    ASSERT_EQ(save.size(), 2u);
    EXPECT_EQ(save[0].text, "System Reset");
    EXPECT_EQ(save[1].kind, Effect::Kind::Restart);
    EXPECT_EQ(flash.savedConfig().port, 60005);
    run("C");
    EXPECT_EQ(run("Q").last(), "R:180");
    EXPECT_EQ(run("Ver").size(), 1);
}

TEST_F(Engine, FirmwareLoaderCourse)
{
    opt.eraseMs = 5;
    flash.entry(5)->used = true;
    EXPECT_EQ(run("EtherDownload:127.000.000.001/60000"), QStringList{"IP Config Saved"});
    auto reset = engine->handle("Reset");
    ASSERT_EQ(reset.size(), 2u);
    EXPECT_EQ(reset[0].text, "Reset");
    EXPECT_EQ(reset[1].kind, Effect::Kind::Restart);
    engine->completeRestart();
    ASSERT_EQ(engine->phase(), Phase::Loader);
    EXPECT_TRUE(run("Ver")[0].contains("Loader"));

    const auto erase = engine->handle("4:Last Sector to Erase");
    ASSERT_EQ(erase.size(), 3u); // sectors 2, 3 and 4, each after the erase time
    EXPECT_EQ(erase.back().text, "FLASH Sector:4 ... Erased");
    EXPECT_EQ(erase.back().delayMs, 5);
    EXPECT_TRUE(flash.entry(5)->used); // sector 7 (the table) untouched
    EXPECT_EQ(run("Download Ready ?"), QStringList{"Please send [.hex] file"});

    const std::pair<const char*, const char*> records[] = {
        {":020000040800F2", "."},
        {":10000000000102030405060708090A0B0C0D0E0F78", "."},
        {":10000000000102030405060708090A0B0C0D0E0F79", "error"}, // checksum
        {":1000000000010203", "error"},                           // count vs length
        {":0X0000000000", "error"},                               // not hex
        {":020000040803EF", "."},
        {":10000000000102030405060708090A0B0C0D0E0F78", "error"}, // 0x08030000 beyond sector 4
        {":00000001FF", "."},
    };
    for (const auto& [rec, want] : records) {
        const QStringList r = run(rec);
        ASSERT_FALSE(r.isEmpty()) << rec;
        if (QString(want) == ".")
            EXPECT_EQ(r[0], ".") << rec;
        else
            EXPECT_TRUE(r[0].contains("error")) << rec << " -> " << r[0].toStdString();
    }
    // The image had bad records: the board comes back in the loader.
    EXPECT_TRUE(restarts("Reset"));
    engine->completeRestart();
    EXPECT_EQ(engine->phase(), Phase::Loader);

    // A clean download installs the firmware.
    run("7:Last Sector to Erase");
    EXPECT_FALSE(flash.entry(5)->used); // the table shares sector 7
    run("Download Ready ?");
    EXPECT_EQ(run(":10000000000102030405060708090A0B0C0D0E0F78"), QStringList{"."});
    EXPECT_EQ(run(":00000001FF")[0], ".");
    EXPECT_TRUE(restarts("Reset"));
    engine->completeRestart();
    EXPECT_EQ(engine->phase(), Phase::Firmware);
    EXPECT_EQ(flash.firmware().records, 1);
    EXPECT_EQ(flash.firmware().bytes, 16);
}

TEST_F(Engine, LoaderRefusesOutOfOrderAndBadRequests)
{
    EXPECT_TRUE(run("EtherDownload:192.168.000.100/60000")[0].startsWith("EtherDownload refused"));
    EXPECT_TRUE(run("EtherDownload:127.0.0.1")[0].startsWith("EtherDownload refused"));
    EXPECT_TRUE(restarts("Reset")); // no download requested: plain restart
    engine->completeRestart();
    EXPECT_EQ(engine->phase(), Phase::Firmware);

    run("EtherDownload:127.000.000.001/60000");
    engine->handle("Reset");
    engine->completeRestart();
    EXPECT_TRUE(run(":00000001FF")[0].contains("error"));      // before the erase
    EXPECT_TRUE(run("Download Ready ?")[0].contains("error")); // before the erase
    EXPECT_TRUE(run("9:Last Sector to Erase")[0].contains("error"));
    EXPECT_FALSE(run("Ver")[0].contains("error"));
    EXPECT_FALSE(run("whatever")[0].contains("Loader"));

    opt.eraseNever = true;
    EXPECT_TRUE(run("3:Last Sector to Erase").isEmpty());
    opt.eraseNever = false;
    opt.downloadErrorAt = 2;
    run("3:Last Sector to Erase");
    run("Download Ready ?");
    EXPECT_EQ(run(":020000040800F2")[0], ".");
    EXPECT_TRUE(run(":020000040800F2")[0].contains("error"));
}

TEST(AutoplayItems, ProtocolCodeAndRepeats)
{
    struct Case {
        const char* item;
        const char* protocol;
        const char* code;
        int repeats;
    } const cases[] = {
        {"NEC", "NEC", "", -1},
        {"NEC=20DF10EF", "NEC", "20DF10EF", -1},
        {"NEC=20DF10EF*9", "NEC", "20DF10EF", 9},
        {"SONY12*4", "SONY12", "", 4},
        {"SONY12*x", "SONY12", "", -2},
        {"AIRCON*0", "AIRCON", "", 0},
    };
    for (const Case& c : cases) {
        const zovax::sim::AutoplayItem a = zovax::sim::parseAutoplayItem(QString::fromLatin1(c.item));
        EXPECT_EQ(a.protocol, QString::fromLatin1(c.protocol)) << c.item;
        EXPECT_EQ(a.code, QString::fromLatin1(c.code)) << c.item;
        EXPECT_EQ(a.repeats, c.repeats) << c.item;
    }
}
