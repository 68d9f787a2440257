// A round shared alone: the recording the game keeps of its last round must
// replay that round as it was played, frame for frame, though it begins
// frames after the window was made, after other rounds; and the link that
// carries such a recording to the web page.
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "platform/headless_egl.h"
#include "render/gl.h"
#include "session/kept_round.h"
#include "session/playback.h"
#include "session/routing.h"
#include "session/script.h"
#include "tests/test_files.h"
#include "tools/round_link.h"
#include "world/globals.h"

namespace {

constexpr int Width = 64;
constexpr int Height = 48;

// A session as the replay plays it in a 64 x 48 window: the pictures of the
// frames asked for, and whether its outcome lines all matched.
struct Session {
    std::map<long, std::vector<uint8_t>> pictures;
    long checked = 0;
    bool failed = false;
};

// The state the drawing leaves, as a new window's context has it: each
// session here shares one context, which would carry it over.
void NewContextState()
{
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDisable(GL_ALPHA_TEST);
    glAlphaFunc(GL_ALWAYS, 0.0f);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glLineWidth(1.0f);
}

Session Play(const Script& script, long frames, const std::vector<long>& pictured)
{
    Session session;
    NewContextState();
    ScreenWidth = Width;
    ScreenHeight = Height;
    StartPlayback(script, PlaybackMode::Replay);
    RouteCreate();
    while (RoutedFrames() < frames) {
        RoutePaint();
        for (long frame : pictured)
            if (frame == RoutedFrames() - 1)
                session.pictures[frame] = HeadlessReadPixels();
    }
    session.checked = PlaybackOutcomesChecked();
    session.failed = PlaybackFailed();
    return session;
}

// Two rounds cut short by size messages, then a third played to its score:
// it starts at frame 330, with the mouse last at (20, 20).
const char* const ThreeRounds = "0 click 32 24\n40 size\n300 move 10 10\n300 click 20 20\n330 size\n"
                                "500 click 32 24\n502 click 16 23\n503 click 32 23\n504 click 48 23\n505 move 60 5\n";

} // namespace

TEST(SharedRound, TheThirdRoundAloneReplaysAsPlayedOnlyWithWhatItInherits)
{
    TempWorkDir dir;
    CopyDataFile("ragdoll.rag");
    CopyDataFile("face.bmp");
    ASSERT_TRUE(HeadlessOpen(Width, Height));
    // The round's first title frame, its first playing frame (the marker
    // drawn in the colour the last round left), a frame of its falls.
    const std::vector<long> pictured = {330, 501, 700};
    Session session = Play(ParseScript(ThreeRounds).script, 1600, pictured);
    ASSERT_TRUE(KeptRoundEnded()) << "the third round never reached its score";
    Script kept = KeptRoundScript(60);
    std::string text = FormatScript(kept);
    EXPECT_EQ(text.substr(0, text.find("500 click")),
              "pace 60\nwindow 64 48\nfrom 330\n0 click 0 0\n2 size\n330 display 64 48\n330 move 20 20\n330 size\n");

    Session alone = Play(ParseScript(text).script, 1600, pictured);
    EXPECT_TRUE(alone.checked == 1 && !alone.failed) << "the round does not replay to its outcome";
    for (long frame : pictured)
        EXPECT_TRUE(alone.pictures[frame] == session.pictures[frame]) << "frame " << frame << " looks otherwise";

    // The same lines from a new window's frame 0: the crowd sways with
    // another clock, and the round ends otherwise.
    Script moved = kept;
    moved.from = 0;
    moved.lines.clear();
    for (ScriptLine line : kept.lines)
        if (line.frame >= kept.from) {
            line.frame -= kept.from;
            moved.lines.push_back(line);
        }
    EXPECT_TRUE(Play(moved, 1600 - kept.from, {}).failed) << "the clock the round inherits made no difference";
}

TEST(SharedRound, ALivePlaybackRunsThroughTheFramesBeforeTheRoundInOnePaint)
{
    ASSERT_TRUE(HeadlessOpen(Width, Height));
    ScreenWidth = Width;
    ScreenHeight = Height;
    StartPlayback(ParseScript("from 250\n0 click 0 0\n2 size\n260 click 5 5\n").script, PlaybackMode::Live);
    RouteCreate();
    RoutePaint();
    EXPECT_EQ(RoutedFrames(), 251) << "the frames before the round are not shown one by one";
    EXPECT_EQ(CurrentState, Title);
    RoutePaint();
    EXPECT_EQ(RoutedFrames(), 252) << "the round itself is";
    StartPlayback(Script(), PlaybackMode::Live);
}

TEST(RoundLink, TheTextGoesAsRawDeflateInBase64UrlAndTooMuchIsRefused)
{
    // RFC 4648's test vectors, with the URL-safe alphabet and no padding.
    const std::pair<const char*, const char*> vectors[] = {
        {"", ""}, {"f", "Zg"}, {"fo", "Zm8"}, {"foo", "Zm9v"}, {"foobar", "Zm9vYmFy"}, {"\xfb\xff", "-_8"}};
    for (auto [bytes, text] : vectors)
        EXPECT_EQ(Base64Url(bytes), text);

    std::string error;
    Script script = ParseScript("pace 60\n1 move 1 1\n1 move 2 2\n9 outcome state 2 score 7 explosions 3\n").script;
    std::string link = RoundLink("http://host/page/?fps=30#old", script, &error);
    ASSERT_EQ(link.rfind("http://host/page/#round=", 0), 0u) << link << error;
    std::string packed;
    for (size_t k = link.find('=') + 1; k < link.size(); k += 4) {
        const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
        unsigned bits = 0;
        size_t n = std::min<size_t>(4, link.size() - k);
        for (size_t i = 0; i < 4; ++i)
            bits = bits << 6 | unsigned(i < n ? alphabet.find(link[k + i]) : 0);
        for (size_t i = 0; i + 1 < n; ++i)
            packed += char(bits >> (16 - 8 * i) & 0xff);
    }
    std::string text(256, '\0');
    z_stream stream = {};
    ASSERT_EQ(inflateInit2(&stream, -15), Z_OK);
    stream.next_in = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_in = uInt(packed.size());
    stream.next_out = reinterpret_cast<Bytef*>(text.data());
    stream.avail_out = uInt(text.size());
    EXPECT_EQ(inflate(&stream, Z_FINISH), Z_STREAM_END);
    text.resize(stream.total_out);
    inflateEnd(&stream);
    EXPECT_EQ(text, "pace 60\n1 move 2 2\n9 outcome state 2 score 7 explosions 3\n");

    Script huge;
    for (long frame = 0; frame < 70000; ++frame)
        huge.lines.push_back(ParseScript("0 click 1000 1000\n").script.lines[0]);
    EXPECT_EQ(RoundLink("http://host/", huge, &error), "");
    EXPECT_NE(error.find("at most 1048576"), std::string::npos) << error;
}
