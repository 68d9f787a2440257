// The mouse, the game's three screens as a shell drives them through the routing layer, and the font at its edges.
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/frame.h"
#include "render/font.h"
#include "render/gl.h"
#include "scenes/scenes.h"
#include "session/routing.h"
#include "tests/headless_fixture.h"
#include "world/globals.h"
#include "world/particles.h"
#include "world/round.h"

namespace {

using Crowd = std::vector<Particle>;
Crowd TakeCrowd() { return Crowd(particles, particles + ParticleCount); }
GLfloat LineWidth() { GLfloat width = 0.0f; glGetFloatv(GL_LINE_WIDTH, &width); return width; }
bool IsCrowd(const Crowd& crowd) { return std::memcmp(crowd.data(), particles, sizeof particles) == 0; }
bool IsFreshCrowd()
{
    Crowd seen = TakeCrowd();
    ResetRound();
    return IsCrowd(seen);
}

// A click on a 1024 x 768 display, a frame, and whether the crowd is as it was.
bool ClickAndFrame(int mx, int my)
{
    Crowd before = TakeCrowd();
    RouteLeftButtonDown(mx, my, 1024, 768);
    RoutePaint();
    return IsCrowd(before);
}

// Lines drawn (feedback mode, identity matrices and a 2 x 2 viewport at (-1, -1), so x as given) and the leftmost
// x any reaches; texturing on and depth testing off, which the font must undo.
template <class Draw>
std::pair<int, float> Lines(Draw draw)
{
    glViewport(-1, -1, 2, 2);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    static std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_2D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    GLint count = glRenderMode(GL_RENDER);
    EXPECT_TRUE(!glIsEnabled(GL_TEXTURE_2D) && glIsEnabled(GL_DEPTH_TEST));
    std::pair<int, float> lines = {count / 5, 1e9f}; // a token and two vertices each
    for (GLint i = 0; i < count; i += 5)
        lines.second = std::min({lines.second, buffer[size_t(i) + 1], buffer[size_t(i) + 3]});
    return lines;
}

class GameStates : public HeadlessGlTest {
protected:
    void SetUp() override
    {
        HeadlessGlTest::SetUp();
        ScreenWidth = Width;
        ScreenHeight = Height * 3 / 4;
        RouteCreate();
    }
    void TearDown() override { ClickPending = 0; }
};

} // namespace

TEST(CursorMapping, DisplayPixelsBecomeTheGroundPointAndPressesLatchAClick)
{
    // x runs -1 to 1 across the display, not the window; the ground depth (CursorZ + 0.8) from 1 at the top row to
    // 0 at 80 percent down, and beyond the box off the window (Windows hands over signed halves).
    for (auto [mx, my, width, x, groundZ] : {std::tuple{0, 384, 1024, -1.0f, 0.375f},
                                             {1023, 767, 1024, 0.998046875f, -0.2483724f},
                                             {-512, -384, 1024, -2.0f, 1.625f}, {1024, 0, 2048, 0.0f, 1.0f}}) {
        RouteMouseMove(mx, my, width, width * 3 / 4);
        EXPECT_TRUE(std::fabs(CursorX - x) < 1e-7f && std::fabs(CursorZ + 0.8f - groundZ) < 1e-6f) << mx;
    }
    EXPECT_EQ(ClickPending, 0) << "moving is not clicking";
    // A display of no size keeps the last point; the press still counts.
    RouteLeftButtonDown(256, 192, 1024, 768);
    RouteMouseMove(900, 700, 1024, 0);
    RouteLeftButtonDown(900, 700, 0, 768);
    EXPECT_TRUE(ClickPending == 1 && CursorX == -0.5f && CursorZ + 0.8f == 0.6875f);
    ClickPending = 0;
}

TEST_F(GameStates, TheScreensChangeOnClicksAndSizesWithTheirCountsAfresh)
{
    // What the last round left must not leak into the new one, and the click that starts play places nobody.
    PlayerScore = 77;
    ExplosionCount = 2;
    FusewalkersLeft = 0;
    EXPECT_TRUE(ClickAndFrame(512, 400)) << "title frames neither step nor rebuild the crowd";
    EXPECT_TRUE(CurrentState == Playing && FusewalkersLeft == 3 && ExplosionCount == 0 && PlayerScore == 0);
    EXPECT_TRUE(IsFreshCrowd());

    MidRoundCrowd();
    CurrentState = Score;
    Crowd played = TakeCrowd();
    RoutePaint();
    EXPECT_TRUE(CurrentState == Score && PlayerScore > 0 && IsCrowd(played)) << "the score screen steps nothing";
    ClickAndFrame(512, 400);
    RoutePaint();
    EXPECT_TRUE(CurrentState == Title && PlayerScore == 0 && IsFreshCrowd()) << "and its click starts no new round";

    MidRoundCrowd();
    float clock = FrameClock;
    RouteSize();
    EXPECT_TRUE(CurrentState == Title && PlayerScore == 0 && IsFreshCrowd() && FrameClock == clock);
    RouteCreate();
    EXPECT_EQ(FrameClock, 0.0f) << "only window creation restarts the clock";
}

TEST_F(GameStates, ARoundEndsWhenNoFallenHeadMovesFasterThanTheThreshold)
{
    // A squared speed of exactly the threshold is at rest; one step more is moving.
    ExplosionCount = 3;
    Particle& head = particles[15 * ParticlesPerPerson];
    head.standing = 0;
    for (float x = 0.1f; head.vel.LengthSquared() != RestSpeedSquared; x = std::nextafter(x, 1.0f)) {
        float y = std::sqrt(RestSpeedSquared - x * x);
        for (float candidate : {std::nextafter(y, 0.0f), y, std::nextafter(y, 1.0f)})
            if (head.vel.LengthSquared() != RestSpeedSquared)
                head.vel = Vec4(x, candidate, 0.0f);
    }
    EXPECT_TRUE(RoundHasEnded());
    head.vel.y = std::nextafter(head.vel.y, 1.0f);
    EXPECT_FALSE(RoundHasEnded());
    // A standing person never counts as moving; with somebody standing, fewer than three blasts keep it going.
    head.standing = 1;
    EXPECT_TRUE(RoundHasEnded());
    ExplosionCount = 2;
    EXPECT_FALSE(RoundHasEnded());
    head.vel = Vec4();
    for (int g = 0; g < ParticleCount; g += ParticlesPerPerson)
        particles[g].standing = 0;
    EXPECT_TRUE(RoundHasEnded());
}

TEST_F(GameStates, TheTitlePromptBlinksAndFramesRunUnseenTakeEveryClockStepAndAPlayingFrameEachUntilTheirTime)
{
    // Each width holds for ten frames of the clock: 0.5, 2, 4, 1, 3, again.
    for (auto [clock, want] : {std::pair{1.0f, 2.0f}, {2.0f, 4.0f}, {2.9f, 4.0f}, {3.0f, 1.0f}, {4.0f, 3.0f}, {5.0f, 0.5f}}) {
        FrameClock = clock;
        RoutePaint();
        EXPECT_EQ(LineWidth(), want) << "FrameClock " << clock;
    }
    RouteCreate();
    // Past 2^21 a step no longer moves the clock: it is the float sum of every step all the same.
    const long frames = 25000000;
    float clock = 0.0f;
    for (long f = 0; f < frames; ++f)
        clock += 0.1f;
    EXPECT_TRUE(RouteUnseenFrames(frames, 60.0));
    EXPECT_TRUE(RoutedFrames() == frames && FrameClock == clock && CurrentState == Title) << FrameClock;
    int blink = 2 * int(clock) % 5;
    EXPECT_EQ(LineWidth(), blink ? float(blink) : 0.5f) << "as the last title frame before it left it";
    // Playing frames each step the crowd: out of time, they wait.
    RouteLeftButtonDown(512, 400, 1024, 768);
    EXPECT_FALSE(RouteUnseenFrames(frames + 1000, 0.0));
    EXPECT_TRUE(CurrentState == Playing && RoutedFrames() < frames + 1000);
    EXPECT_TRUE(RouteUnseenFrames(frames + 10, 60.0) && RoutedFrames() == frames + 10);
}

TEST_F(GameStates, CharactersWithoutAGlyphKeepTheirCellAndNumbersBelowOneDrawNothing)
{
    InitFontTables();
    // Cell n is centred 1.5 sizes n left of the anchor, half a size wide.
    const struct {
        std::string text;
        int length, lines, leftmostCell;
    } texts[] = {{"aZb", 3, 6 + 5, 3}, {"xy", 1, 3, 1}, {"abc", -4, 0, 0}, {std::string("Z09|}~\x7f\x01\xc8\xff a"), 12, 6, 1}};
    for (const auto& t : texts) {
        auto [lines, left] = Lines([&t] { DrawString(t.text.data(), t.length, Vec4(0.875f, 0.125f, 0.5f), 0.05f); });
        EXPECT_EQ(lines, t.lines) << t.text;
        EXPECT_TRUE(lines == 0 || std::fabs(left - (0.85f - 0.075f * float(t.leftmostCell))) < 1e-5f) << t.text;
    }
    EXPECT_EQ(Lines([] { DrawString(nullptr, 0, Vec4(), 0.05f); }).first, 0);
    // Segments per digit: 0 has six, 1 two, ... 8 all seven; ten digits and more.
    const int segments[10] = {6, 2, 5, 5, 4, 5, 5, 3, 7, 5};
    for (int value : {1005, INT_MAX, 0, INT_MIN}) {
        int lines = 0;
        for (int v = value; v > 0; v /= 10)
            lines += segments[v % 10];
        EXPECT_EQ(Lines([value] { DrawNumber(value, Vec4(), 0.05f); }).first, lines) << value;
    }
    // The distance between the outer digit anchors; -1.5 sizes below one.
    for (auto [value, width] : {std::pair{9, 0.0f}, {10, 0.15f}, {INT_MAX, 1.35f}, {0, -0.15f}})
        EXPECT_NEAR(NumberWidth(value, 0.1f), width, 1e-6f) << value;
}
