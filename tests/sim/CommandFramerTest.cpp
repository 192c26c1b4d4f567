// Cutting client bytes into commands for every framing the tool can send.
#include "sim/board/CommandFramer.h"

#include <gtest/gtest.h>

using zovax::sim::CommandFramer;

TEST(CommandFramer, AcceptsEveryHeaderAndDelimiter)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        QList<QByteArray> commands;
    };
    const Case cases[] = {
        {"CR LF", "Ver\r\nT\r\n", {"Ver", "T"}},
        {"CR", "Ver\rT\r", {"Ver", "T"}},
        {"LF", "Ver\nT\n", {"Ver", "T"}},
        {"ETX", "Ver\x03T\x03", {"Ver", "T"}},
        {"STX + CR LF", "\x02Ver\r\n\x02T\r\n", {"Ver", "T"}},
        {"STX + ETX", "\x02Ver\x03\x02T\x03", {"Ver", "T"}},
        {"STX + CR", "\x02Ver\r\x02Twd:0110\r", {"Ver", "Twd:0110"}},
        {"empty lines", "\r\n\r\n\nVer\r\n\x03", {"Ver"}},
        {"stray control bytes",
         QByteArray("V\x00"
                    "e\x07r\r\n",
                    7),
         {"Ver"}},
        {"STX restarts a command", "garbage\x02Ver\r\n", {"Ver"}},
        {"no delimiter yet", "Ver", {}},
    };
    for (const Case& c : cases) {
        CommandFramer f;
        EXPECT_EQ(f.feed(c.bytes), c.commands) << c.name;
    }
}

TEST(CommandFramer, CommandsSplitAnywhereAndIdleFlush)
{
    const QByteArray stream = "\x02KRV:on\r\nTwp:0:09000,013500\x03Tws:003\r";
    for (int cut = 0; cut <= stream.size(); ++cut) {
        CommandFramer f;
        QList<QByteArray> got = f.feed(stream.left(cut));
        got += f.feed(stream.mid(cut));
        EXPECT_EQ(got, (QList<QByteArray>{"KRV:on", "Twp:0:09000,013500", "Tws:003"})) << "cut at " << cut;
    }
    CommandFramer f;
    EXPECT_TRUE(f.feed("Mode?").isEmpty());
    EXPECT_TRUE(f.hasPending());
    EXPECT_EQ(f.flush(), QList<QByteArray>{"Mode?"});
    EXPECT_FALSE(f.hasPending());
}

TEST(CommandFramer, OverlongInputIsDiscardedUpToTheNextDelimiter)
{
    CommandFramer f;
    const QByteArray longest = "Twd:" + QByteArray(4096, '0'); // the longest real command
    EXPECT_EQ(f.feed(longest + "\r\n"), QList<QByteArray>{longest});
    EXPECT_TRUE(f.feed(QByteArray(CommandFramer::kMaxCommand + 10, 'x')).isEmpty());
    EXPECT_EQ(f.overlong(), 1);
    EXPECT_TRUE(f.flush().isEmpty());
    EXPECT_EQ(f.feed(QByteArray(CommandFramer::kMaxCommand + 1, 'y') + "\r\nVer\r\n"), QList<QByteArray>{"Ver"});
}
