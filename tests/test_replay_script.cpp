#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/replay_numbers.h"
#include "tools/replay_options.h"
#include "tools/replay_script.h"

TEST(ReplayNumbers, AcceptsOnlyPlainWholeNumbersInRange)
{
    const struct {
        const char* text;
        long low, high, value;
    } good[] = {{"0", 0, 10, 0}, {"-32768", -32768, 32767, -32768}, {"+12", 0, 100, 12}};
    for (const auto& g : good) {
        long v = 7;
        EXPECT_TRUE(ParseWholeNumber(g.text, g.low, g.high, &v)) << g.text;
        EXPECT_EQ(v, g.value) << g.text;
    }
    // Out of range, or far beyond long: refused, not wrapped round.
    long v = 7;
    for (const char* bad : {"", "-", "+", " 1", "1 ", "1.5", "1e3", "0x10", "12a", "--1", "11", "-1",
                            "99999999999999999999999999", "-99999999999999999999999999"})
        EXPECT_FALSE(ParseWholeNumber(bad, 0, 10, &v)) << bad;
    EXPECT_FALSE(ParseWholeNumber("-32769", -32768, 32767, &v));
    EXPECT_EQ(v, 7) << "a refused number leaves the value alone";
}

TEST(ReplayScript, ReadsEventsInFrameOrderSkippingBlankAndCommentLines)
{
    ScriptParse s = ParseReplayScript("# start the round\n"
                                      "9 click 10 20\n"
                                      "\n"
                                      "   \t\n"
                                      "  # indented comment\n"
                                      "3 move -3 767\r\n"
                                      "9 size\n"
                                      "3   click   1   2  ");
    ASSERT_TRUE(s.ok) << s.error;
    // Ordered by frame, in file order within a frame.
    const struct {
        int frame;
        ReplayEventKind kind;
        int x, y;
    } want[] = {{3, ReplayEventKind::Move, -3, 767}, {3, ReplayEventKind::Click, 1, 2},
                {9, ReplayEventKind::Click, 10, 20}, {9, ReplayEventKind::Size, 0, 0}};
    ASSERT_EQ(s.events.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        const ReplayEvent& e = s.events[i];
        EXPECT_TRUE(e.frame == want[i].frame && e.kind == want[i].kind && e.x == want[i].x && e.y == want[i].y) << i;
    }
    EXPECT_TRUE(ParseReplayScript("").ok);
}

TEST(ReplayScript, RefusesMalformedLinesNamingTheLine)
{
    const struct {
        const char* text;
        const char* lineName;
    } cases[] = {
        {"0 click 1 2\nhello\n", "line 2:"}, {"-1 move 1 2\n", "line 1:"},    {"0 jump 1 2\n", "line 1:"},
        {"# fine\n\n0 click 1\n", "line 3:"}, {"0 click 1 2 3\n", "line 1:"}, {"0 move 1.5 2\n", "line 1:"},
        {"0 move 1 y\n", "line 1:"},          {"0 move 40000 2\n", "line 1:"}, {"0 size 3 4\n", "line 1:"},
        {"0\n", "line 1:"},                   {"1e3 click 1 2\n", "line 1:"}, {"0 CLICK 1 2\n", "line 1:"},
        {"0 click 1 2\n1 move 3 4\n99999999999999999999 size\n", "line 3:"},
    };
    for (const auto& c : cases) {
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

TEST(ReplayOptions, DefaultsAndEveryOption)
{
    OptionsParse d = ParseReplayOptions({});
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_TRUE(d.options.dataDir == "." && d.options.outDir == "." && d.options.scriptPath.empty());
    EXPECT_TRUE(d.options.width == 1024 && d.options.height == 768 && d.options.frames == 600 && !d.options.help);
    EXPECT_TRUE(d.options.dumpAt.empty() && d.options.pngAt.empty());

    OptionsParse p = ParseReplayOptions({"--data", "d", "--size", "256x192", "--frames", "50", "--script", "s.txt",
                                         "--dump-at", "49,3,10,3", "--png-at", "0", "--out", "o"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_TRUE(p.options.dataDir == "d" && p.options.outDir == "o" && p.options.scriptPath == "s.txt");
    EXPECT_TRUE(p.options.width == 256 && p.options.height == 192 && p.options.frames == 50);
    EXPECT_EQ(p.options.dumpAt, (std::vector<long>{3, 10, 49})) << "sorted, repeats dropped";
    EXPECT_EQ(p.options.pngAt, (std::vector<long>{0}));
    EXPECT_TRUE(ParseReplayOptions({"--frames", "0"}).ok) << "no frames at all is a valid, empty run";
    EXPECT_TRUE(ParseReplayOptions({"--help"}).options.help);
}

TEST(ReplayOptions, RefusesBadInputWithOneClearLine)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--fast"}, {"data"}, {"--frames"}, {"--frames", "-1"}, {"--frames", "ten"}, {"--frames", "1.5"},
        {"--size", "1024"}, {"--size", "0x768"}, {"--size", "1024x-768"}, {"--size", "100000x100000"},
        {"--size", "1024x768x2"}, {"--size", "x"}, {"--dump-at", "1,,2"}, {"--dump-at", "1,"}, {"--dump-at", "-3"},
        {"--png-at", ""}, {"--frames", "10", "--dump-at", "10"}, {"--png-at", "600"}, {"--data", ""},
    };
    for (const auto& args : bad) {
        OptionsParse p = ParseReplayOptions(args);
        EXPECT_FALSE(p.ok) << args[0] << " " << args.back();
        EXPECT_FALSE(p.error.empty() || p.error.find('\n') != std::string::npos) << p.error;
    }
    EXPECT_NE(ParseReplayOptions({"--fast"}).error.find("--fast"), std::string::npos);
    EXPECT_NE(ParseReplayOptions({"--frames", "10", "--dump-at", "4,12"}).error.find("12"), std::string::npos);
}
