// Scripts and recordings as the game and the replay read and write them, and the frame pace.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "session/pace.h"
#include "session/playback.h"
#include "session/routing.h"
#include "session/script.h"
#include "world/globals.h"

TEST(Script, EveryKindOfLineReadsBackAsWritten)
{
    ScriptParse parse = ParseScript("# a recording\npace 50\nwindow 320 240\r\nfrom 3\n\n3 move -32768 32767\n"
                                    "  # indented comment\n3 display 1 8192\n9 click 10 20\n9   size  \n9 window 640 480\n"
                                    "12 outcome state 2 score 2147483647 explosions 3\n");
    ASSERT_TRUE(parse.ok) << parse.error;
    EXPECT_TRUE(parse.script.pace == 50 && parse.script.windowWidth == 320 && parse.script.windowHeight == 240 &&
                parse.script.from == 3);
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
    // Each text and the start of its error; floods and the limits' edges are replay/hostile_rounds.sh's.
    const std::pair<std::string, std::string> cases[] = {
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
        // What no recording of a round holds.
        {"9 click 10 20\n3 move 1 1\n", "line 2: frame 3 comes after frame 9"},
        {"pace 2\n7200 move 1 1\n14401 move 1 1\n", "line 3: frame 14401 is more than 60 minutes"},
        {"from 9\n0 click 0 0\n2 size\n2 size\n", "line 4: frame 2 comes before \"from 9\""},
        {"from 9\n0 click 1 0\n2 size\n", "line 2:"},        {"from 9\n2 size\n", "line 2:"},
        {"from 5000000\n0 click 0 0\n", "line 2: \"0 click 0 0\" before"}, {"from 1\n0 click 0 0\n", "line 2:"},
        {"from 5\n3600006 size\n", "line 2: frame 3600006 is more than 60 minutes of frames (3600000) after frame 5"},
    };
    for (const auto& [text, error] : cases) {
        ScriptParse parse = ParseScript(text);
        EXPECT_FALSE(parse.ok) << text;
        EXPECT_EQ(parse.error.rfind(error, 0), 0u) << text.substr(0, 80) << " gave: " << parse.error;
        EXPECT_TRUE(parse.script.lines.empty()) << "a refused script delivers nothing";
    }
    // The edge of the time a pace allows, and a shared round's carried lines.
    for (const char* text : {"pace 2\n7200 move 1 1\n14400 move 1 1\n", "from 9\n0 click 0 0\n2 size\n9 size\n",
                             "from 2\n0 click 0 0\n2 size\n2 size\n"})
        EXPECT_TRUE(ParseScript(text).ok) << text << " gave: " << ParseScript(text).error;
    // Garbage is shown short and printable, so the error stays one readable line.
    ScriptParse garbage = ParseScript(std::string("\x01\x1b[2J\x7f\xff") + std::string(500, 'z') + " click 1 2\n");
    ASSERT_FALSE(garbage.ok);
    EXPECT_LT(garbage.error.size(), 120u) << garbage.error;
    for (char c : garbage.error)
        EXPECT_TRUE(c >= 0x20 && c < 0x7f) << "byte " << int(static_cast<unsigned char>(c)) << " in " << garbage.error;
}

TEST(Pace, DeadlinesStayAPeriodApartThePageRunsSixtyFramesASecondOnEveryDisplayAndAStallStartsAfresh)
{
    const double period = 0.02;
    EXPECT_EQ(NextFrameDue(0.0, 5.0, period), 5.0) << "the first frame sets the count going";
    EXPECT_EQ(NextFrameDue(5.0, 5.001, period), 5.0 + period) << "an early frame waits for its time";
    EXPECT_EQ(NextFrameDue(5.0, 5.035, period), 5.0 + period) << "a frame a little late is made up for";
    EXPECT_EQ(NextFrameDue(5.0, 5.05, period), 5.05) << "no burst after a stall";

    // Refreshes a second, a little uneven, and those each frame is shown for (0: two frames in one refresh).
    const std::pair<double, std::vector<int>> displays[] = {
        {30, {0}}, {60, {1}}, {90, {1, 2}}, {120, {2}}, {144, {2, 3}}, {240, {4}}};
    for (const auto& [hz, shown] : displays) {
        PageClock clock;
        std::vector<int> counts;
        long frames = 0;
        for (int refresh = 0; refresh < 10 * hz; ++refresh) {
            double now = 100.0 + refresh / hz + (refresh % 3 - 1) * 0.0003;
            long due = FramesDue(&clock, now, 60);
            frames += due;
            if (due > 0)
                counts.push_back(due > 1 ? 0 : 1);
            else if (!counts.empty())
                ++counts.back();
        }
        EXPECT_NEAR(frames, 600, 6) << hz << " Hz";
        counts.erase(counts.begin());
        counts.pop_back();
        for (int count : counts)
            EXPECT_NE(std::find(shown.begin(), shown.end(), count), shown.end()) << hz << " Hz: " << count;
    }
    // After a stall (a hidden page), one frame, and the count afresh.
    PageClock clock;
    FramesDue(&clock, 5.0, 60);
    EXPECT_EQ(FramesDue(&clock, 9.0, 60), 1);
    EXPECT_EQ(FramesDue(&clock, 9.0 + 1.0 / 60, 60), 1);
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
