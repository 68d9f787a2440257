#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/replay_numbers.h"
#include "tools/replay_options.h"
#include "tools/replay_script.h"

namespace {

OptionsParse Options(std::vector<std::string> args) { return ParseReplayOptions(args); }

} // namespace

TEST(ReplayNumbers, AcceptsOnlyPlainWholeNumbersInRange)
{
    long v = 7;
    EXPECT_TRUE(ParseWholeNumber("0", 0, 10, &v));
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(ParseWholeNumber("-32768", -32768, 32767, &v));
    EXPECT_EQ(v, -32768);
    EXPECT_TRUE(ParseWholeNumber("+12", 0, 100, &v));
    EXPECT_EQ(v, 12);

    v = 7;
    for (const char* bad : {"", "-", "+", " 1", "1 ", "1.5", "1e3", "0x10", "12a", "--1", "11", "-1"})
        EXPECT_FALSE(ParseWholeNumber(bad, 0, 10, &v)) << bad;
    EXPECT_EQ(v, 7) << "a refused number leaves the value alone";

    // Far beyond the range of long: refused, not wrapped round.
    EXPECT_FALSE(ParseWholeNumber("99999999999999999999999999", 0, MaxReplayFrames, &v));
    EXPECT_FALSE(ParseWholeNumber("-99999999999999999999999999", -32768, 32767, &v));
    EXPECT_FALSE(ParseWholeNumber("32768", -32768, 32767, &v));
    EXPECT_FALSE(ParseWholeNumber("-32769", -32768, 32767, &v));
}

TEST(ReplayScript, ReadsEventsAndSkipsBlankAndCommentLines)
{
    ScriptParse s = ParseReplayScript("# start the round\n"
                                      "0 click 10 20\n"
                                      "\n"
                                      "   \t\n"
                                      "  # indented comment\n"
                                      "5 move -3 767\r\n"
                                      "7 size\n"
                                      "7   click   1   2  ");
    ASSERT_TRUE(s.ok) << s.error;
    ASSERT_EQ(s.events.size(), 4u);
    EXPECT_EQ(s.events[0].frame, 0);
    EXPECT_EQ(s.events[0].kind, ReplayEventKind::Click);
    EXPECT_EQ(s.events[0].x, 10);
    EXPECT_EQ(s.events[0].y, 20);
    EXPECT_EQ(s.events[1].kind, ReplayEventKind::Move);
    EXPECT_EQ(s.events[1].x, -3);
    EXPECT_EQ(s.events[1].y, 767);
    EXPECT_EQ(s.events[2].kind, ReplayEventKind::Size);
    EXPECT_EQ(s.events[3].frame, 7);
    EXPECT_EQ(s.events[3].kind, ReplayEventKind::Click);
}

TEST(ReplayScript, OrdersByFrameKeepingFileOrderWithinAFrame)
{
    ScriptParse s = ParseReplayScript("9 move 1 1\n3 move 2 2\n9 click 3 3\n3 size\n0 move 4 4\n");
    ASSERT_TRUE(s.ok) << s.error;
    std::vector<int> frames;
    std::vector<int> xs;
    for (const ReplayEvent& e : s.events) {
        frames.push_back(e.frame);
        xs.push_back(e.x);
    }
    EXPECT_EQ(frames, (std::vector<int>{0, 3, 3, 9, 9}));
    EXPECT_EQ(xs, (std::vector<int>{4, 2, 0, 1, 3}));
    EXPECT_EQ(s.events[2].kind, ReplayEventKind::Size);
}

TEST(ReplayScript, EmptyScriptHasNoEvents)
{
    ScriptParse s = ParseReplayScript("");
    EXPECT_TRUE(s.ok);
    EXPECT_TRUE(s.events.empty());
}

TEST(ReplayScript, RefusesMalformedLinesNamingTheLine)
{
    struct Case {
        const char* text;
        const char* lineName;
    };
    const Case cases[] = {
        {"0 click 1 2\nhello\n", "line 2:"},
        {"-1 move 1 2\n", "line 1:"},
        {"0 jump 1 2\n", "line 1:"},
        {"# fine\n\n0 click 1\n", "line 3:"},
        {"0 click 1 2 3\n", "line 1:"},
        {"0 move 1.5 2\n", "line 1:"},
        {"0 move 1 y\n", "line 1:"},
        {"0 move 40000 2\n", "line 1:"},
        {"0 size 3 4\n", "line 1:"},
        {"0\n", "line 1:"},
        {"1e3 click 1 2\n", "line 1:"},
        {"0 click 1 2\n1 move 3 4\n99999999999999999999 size\n", "line 3:"},
        {"0 CLICK 1 2\n", "line 1:"},
    };
    for (const Case& c : cases) {
        ScriptParse s = ParseReplayScript(c.text);
        EXPECT_FALSE(s.ok) << c.text;
        EXPECT_EQ(s.error.rfind(c.lineName, 0), 0u) << c.text << " gave: " << s.error;
        EXPECT_TRUE(s.events.empty()) << "a refused script delivers nothing";
    }

    // Garbage is shown short and printable, so the error stays one readable line.
    ScriptParse garbage = ParseReplayScript(std::string("\x01\x1b[2J\xff") + std::string(500, 'z') + " click 1 2\n");
    ASSERT_FALSE(garbage.ok);
    EXPECT_LT(garbage.error.size(), 120u) << garbage.error;
    for (char c : garbage.error)
        EXPECT_TRUE(c >= 0x20 && c < 0x7f) << "byte " << int(static_cast<unsigned char>(c)) << " in " << garbage.error;
}

TEST(ReplayOptions, DefaultsWhenNothingIsGiven)
{
    OptionsParse p = Options({});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.dataDir, ".");
    EXPECT_EQ(p.options.width, 1024);
    EXPECT_EQ(p.options.height, 768);
    EXPECT_EQ(p.options.frames, 600);
    EXPECT_TRUE(p.options.scriptPath.empty());
    EXPECT_TRUE(p.options.dumpAt.empty());
    EXPECT_TRUE(p.options.pngAt.empty());
    EXPECT_EQ(p.options.outDir, ".");
    EXPECT_FALSE(p.options.help);
}

TEST(ReplayOptions, ReadsEveryOption)
{
    OptionsParse p = Options({"--data", "d", "--size", "256x192", "--frames", "50", "--script", "s.txt", "--dump-at",
                              "49,3,10,3", "--png-at", "0", "--out", "o"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.dataDir, "d");
    EXPECT_EQ(p.options.width, 256);
    EXPECT_EQ(p.options.height, 192);
    EXPECT_EQ(p.options.frames, 50);
    EXPECT_EQ(p.options.scriptPath, "s.txt");
    EXPECT_EQ(p.options.dumpAt, (std::vector<long>{3, 10, 49}));
    EXPECT_EQ(p.options.pngAt, (std::vector<long>{0}));
    EXPECT_EQ(p.options.outDir, "o");

    EXPECT_TRUE(Options({"--frames", "0"}).ok) << "no frames at all is a valid, empty run";
    EXPECT_TRUE(Options({"--help"}).options.help);
}

TEST(ReplayOptions, RefusesBadInputWithOneClearLine)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--fast"},
        {"data"},
        {"--frames"},
        {"--frames", "-1"},
        {"--frames", "ten"},
        {"--frames", "1.5"},
        {"--size", "1024"},
        {"--size", "0x768"},
        {"--size", "1024x-768"},
        {"--size", "100000x100000"},
        {"--size", "1024x768x2"},
        {"--size", "x"},
        {"--dump-at", "1,,2"},
        {"--dump-at", "1,"},
        {"--dump-at", "-3"},
        {"--png-at", ""},
        {"--frames", "10", "--dump-at", "10"},
        {"--png-at", "600"},
        {"--data", ""},
    };
    for (const auto& args : bad) {
        OptionsParse p = Options(args);
        std::string shown;
        for (const std::string& a : args)
            shown += a + " ";
        EXPECT_FALSE(p.ok) << shown;
        EXPECT_FALSE(p.error.empty()) << shown;
        EXPECT_EQ(p.error.find('\n'), std::string::npos) << shown;
    }
    EXPECT_NE(Options({"--fast"}).error.find("--fast"), std::string::npos);
    EXPECT_NE(Options({"--frames", "10", "--dump-at", "4,12"}).error.find("12"), std::string::npos);
}
