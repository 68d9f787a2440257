// Scripts and recordings as the game and the replay read and write them,
// and the frame pace. (The command lines are tried on the programs themselves.)
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "session/pace.h"
#include "session/playback.h"
#include "session/routing.h"
#include "session/script.h"
#include "world/globals.h"

TEST(Script, EveryKindOfLineReadsBackAsWrittenInFrameOrder)
{
    ScriptParse parse = ParseScript("# a recording\npace 50\nwindow 320 240\r\nfrom 3\n\n9 click 10 20\n  # indented comment\n"
                                    "3 move -32768 32767\n9   size  \n3 display 1 8192\n9 window 640 480\n"
                                    "12 outcome state 2 score 2147483647 explosions 3\n");
    ASSERT_TRUE(parse.ok) << parse.error;
    EXPECT_TRUE(parse.script.pace == 50 && parse.script.windowWidth == 320 && parse.script.windowHeight == 240 &&
                parse.script.from == 3);
    // By frame, in file order within a frame; each line is what it was.
    const std::string want = "pace 50\nwindow 320 240\nfrom 3\n3 move -32768 32767\n3 display 1 8192\n9 click 10 20\n"
                             "9 size\n9 window 640 480\n12 outcome state 2 score 2147483647 explosions 3\n";
    EXPECT_EQ(FormatScript(parse.script), want);
    EXPECT_EQ(FormatScript(ParseScript(want).script), want) << "what is written reads back the same";
    ScriptParse bare = ParseScript("");
    EXPECT_TRUE(bare.ok && bare.script.pace == -1 && bare.script.windowWidth == 0 && bare.script.from == 0);
    EXPECT_EQ(FormatScript(bare.script), "");
    // For links: only the last place the mouse went to in a frame counts, and a click's.
    EXPECT_EQ(FormatScript(CompactScript(ParseScript("pace 60\n1 move 1 1\n1 display 9 9\n1 move 2 2\n1 click 3 3\n"
                                                     "1 move 4 4\n2 move 5 5\n2 size\n3 move 6 6\n3 move 7 7\n").script)),
              "pace 60\n1 display 9 9\n1 click 3 3\n1 move 4 4\n2 move 5 5\n2 size\n3 move 7 7\n");
}

TEST(Script, MalformedLinesAreRefusedNamingTheLine)
{
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"0 click 1 2\nhello\n", "line 2: frame number"}, {"-1 move 1 2\n", "line 1: frame number"},
        {"# fine\n\n0 click 1\n", "line 3:"},              {"0 click 1 2 3\n", "line 1:"},
        {"0 move 1.5 2\n", "line 1:"},                     {"0 move 40000 2\n", "line 1:"},
        {"0 size 3 4\n", "line 1:"},                       {"0\n", "line 1: missing event"},
        {"0 CLICK 1 2\n", "line 1:"},                      {"0 display 0 10\n", "line 1:"},
        {"0 window 10 8193\n", "line 1:"},                 {"100000001 size\n", "line 1:"},
        {"99999999999999999999 size\n", "line 1:"},        {"0 outcome state 3 score 0 explosions 0\n", "line 1: state"},
        {"0 outcome score 1 state 0 explosions 0\n", "line 1:"}, {"0 outcome state 1 score -1 explosions 0\n", "line 1:"},
        {"pace 1001\n", "line 1:"},                        {"pace 5\npace 5\n", "line 2: a second"},
        {"0 size\nwindow 5 5\n", "line 2: \"window\" must come before"}, {"window 5\n", "line 1:"},
        {"from 0\n", "line 1: \"from\" takes"},          {"from 3\nfrom 4\n", "line 2: a second"},
        {"1 size\nfrom 4\n", "line 2: \"from\" must come before"},
    };
    for (const auto& c : cases) {
        ScriptParse parse = ParseScript(c.text);
        EXPECT_FALSE(parse.ok) << c.text;
        EXPECT_EQ(parse.error.rfind(c.error, 0), 0u) << c.text << " gave: " << parse.error;
        EXPECT_TRUE(parse.script.lines.empty()) << "a refused script delivers nothing";
    }
    // Garbage is shown short and printable, so the error stays one readable line.
    ScriptParse garbage = ParseScript(std::string("\x01\x1b[2J\x7f\xff") + std::string(500, 'z') + " click 1 2\n");
    ASSERT_FALSE(garbage.ok);
    EXPECT_LT(garbage.error.size(), 120u) << garbage.error;
    for (char c : garbage.error)
        EXPECT_TRUE(c >= 0x20 && c < 0x7f) << "byte " << int(static_cast<unsigned char>(c)) << " in " << garbage.error;
}

TEST(Pace, DeadlinesStayAPeriodApartAndALongStallStartsAfresh)
{
    const double period = 0.02;
    EXPECT_EQ(NextFrameDue(0.0, 5.0, period), 5.0) << "the first frame sets the count going";
    EXPECT_EQ(NextFrameDue(5.0, 5.001, period), 5.0 + period) << "an early frame waits for its time";
    EXPECT_EQ(NextFrameDue(5.0, 5.035, period), 5.0 + period) << "a frame a little late is made up for";
    EXPECT_EQ(NextFrameDue(5.0, 5.05, period), 5.05) << "no burst after a stall";
}

TEST(Playback, TheShellsMouseIsLeftOutWhileARecordingPlays)
{
    StartPlayback(ParseScript("5 click 1 2\n").script, PlaybackMode::Live);
    ClickPending = 0;
    RouteLeftButtonDown(10, 10, 100, 100);
    EXPECT_EQ(ClickPending, 0) << "another round than the recorded one";
    StartPlayback(Script(), PlaybackMode::Live);
    RouteLeftButtonDown(10, 10, 100, 100);
    EXPECT_EQ(ClickPending, 1) << "and the player's own once it has ended";
    ClickPending = 0;
}
