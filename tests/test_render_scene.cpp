#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "app/headless.h"
#include "game/frame.h"
#include "game/globals.h"
#include "game/view.h"
#include "render/bitmap.h"
#include "render/gl.h"
#include "render/room.h"
#include "tests/bitmap_files.h"
#include "tests/headless_fixture.h"
#include "tests/temp_work_dir.h"
#include "world/particles.h"

namespace {

// A face texture of plain colours, one per band, so that a pixel tells
// which band it came from. The head band is bright green on the crown half
// (the first rows, t below 0.5) and dark green on the chin half; the arms
// band is cut out (colour key) on its outer half, s 0.6 to 0.7.
constexpr int BandedWidth = 128, BandedHeight = 32;

uint32_t BandedTexel(int x, int y)
{
    double s = (x + 0.5) / BandedWidth, t = (y + 0.5) / BandedHeight;
    switch (int(s * 5)) {
    case 0: return t < 0.5 ? 0x00FF00 : 0x006400;
    case 1: return 0x0000FF;
    case 2: return 0xFFFF00;
    case 3: return s < 0.7 ? 0xFF00FF : 0x00FFFF;
    default: return 0x808080;
    }
}

struct Rgb {
    int r, g, b;
};

const Rgb Green = {0, 255, 0}, DarkGreen = {0, 100, 0}, Blue = {0, 0, 255}, Yellow = {255, 255, 0},
          Cyan = {0, 255, 255}, RoomGrey = {115, 115, 115}, White = {255, 255, 255}, Red = {255, 0, 0};

struct Px {
    int x, y;
};

// The view's formula: w = 1 + 1.3 z, normalised (x / w, y / w), and the
// square viewport of side ScreenWidth at the lower-left corner.
Px Project(Vec4 p)
{
    float w = 1.0f + 1.3f * p.z;
    float side = float(ScreenWidth);
    return {int(std::floor((p.x / w + 1.0f) * 0.5f * side)), int(std::floor((p.y / w + 1.0f) * 0.5f * side))};
}

Vec4 Lerp(Vec4 a, Vec4 b, float k)
{
    return Vec4(a.x + (b.x - a.x) * k, a.y + (b.y - a.y) * k, a.z + (b.z - a.z) * k);
}

class PlayingFrame : public HeadlessGlTest {
protected:
    enum class Face { Banded, Shipped, Missing };

    TempWorkDir dir; // the game's data directory for the test
    int oldWidth = 0, oldHeight = 0;
    std::vector<uint8_t> pixels;

    void SetUp() override
    {
        HeadlessGlTest::SetUp();
        oldWidth = ScreenWidth;
        oldHeight = ScreenHeight;
        std::filesystem::copy_file(std::filesystem::path(FW_DATA_DIR) / "ragdoll.rag", "ragdoll.rag");
    }

    void TearDown() override
    {
        ScreenWidth = oldWidth;
        ScreenHeight = oldHeight;
        glViewport(0, 0, Width, Height);
    }

    // The render set-up as at window creation, from a data directory with
    // the given face texture, then the click on the title screen.
    void StartRendering(Face face, int screenWidth = Width)
    {
        if (face == Face::Banded)
            WriteBytes("face.bmp", MakeBmp(BmpFields{BandedWidth, BandedHeight}, Rows24(BandedWidth, BandedHeight, BandedTexel)));
        if (face == Face::Shipped)
            std::filesystem::copy_file(std::filesystem::path(FW_DATA_DIR) / "face.bmp", "face.bmp");
        ScreenWidth = screenWidth;
        ScreenHeight = Height;
        SetUpRendering();
        CurrentState = Playing;
        FusewalkersLeft = 3;
        ExplosionCount = 0;
        PlayerScore = 0;
        ClickPending = 0;
        CursorX = 0.9f; // keep the marker clear of what the tests look at
        CursorZ = 0.1f;
    }

    void DrawFrame()
    {
        SetUpScene();
        DrawPlayingScene();
        pixels = HeadlessReadPixels();
    }

    Rgb At(Px p) const
    {
        EXPECT_TRUE(p.x >= 0 && p.x < Width && p.y >= 0 && p.y < Height) << p.x << "," << p.y;
        std::vector<uint8_t> v = Pixel(pixels, std::clamp(p.x, 0, Width - 1), std::clamp(p.y, 0, Height - 1));
        return {v[0], v[1], v[2]};
    }

    static bool Near(Rgb got, Rgb want, int tolerance)
    {
        return std::abs(got.r - want.r) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
               std::abs(got.b - want.b) <= tolerance;
    }

    void ExpectColour(Px p, Rgb want, int tolerance, const char* what) const
    {
        Rgb got = At(p);
        EXPECT_TRUE(Near(got, want, tolerance))
            << what << " at pixel " << p.x << "," << p.y << ": got " << got.r << " " << got.g << " " << got.b
            << ", want " << want.r << " " << want.g << " " << want.b;
    }

    static Vec4 P(int person, int role) { return particles[person * ParticlesPerPerson + role].pos; }

    static Vec4 TorsoCentre(int person)
    {
        return Lerp(P(person, Neck), Lerp(P(person, Hip0), P(person, Hip1), 0.5f), 0.5f);
    }

    // A point on the crown half of the head, a quarter of the head's
    // half-size from the head particle away from the neck.
    static Vec4 Crown(int person)
    {
        Vec4 up = P(person, Head);
        up -= P(person, Neck);
        up.Normalize();
        up *= 0.25f * 0.010325f;
        Vec4 at = P(person, Head);
        at += up;
        return at;
    }

    int CountRed(int x0, int y0, int x1, int y1, bool inside) const
    {
        int count = 0;
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x) {
                bool in = x >= x0 && x <= x1 && y >= y0 && y <= y1;
                std::vector<uint8_t> v = Pixel(pixels, x, y);
                if (in == inside && v[0] > 200 && v[1] < 80 && v[2] < 80)
                    ++count;
            }
        return count;
    }
};

// Front-row people (their pelvis particle lies in the first 1000), spread
// along the row; nobody stands in front of them.
const int FrontRow[] = {5, 20, 40, 60};

} // namespace

TEST_F(PlayingFrame, RoomAndCrowdAreWhereTheViewPutsThem)
{
    StartRendering(Face::Banded);
    DrawFrame();

    ExpectColour(Project(Vec4(-0.5f, 0.3f, 1.0f)), RoomGrey, 3, "back wall");
    ExpectColour(Project(Vec4(0.4f, 0.6f, 1.0f)), RoomGrey, 3, "back wall");
    ExpectColour(Project(Vec4(-1.0f, 0.2f, 0.3f)), RoomGrey, 3, "left wall");
    ExpectColour(Project(Vec4(1.0f, 0.5f, 0.6f)), RoomGrey, 3, "right wall");
    ExpectColour(Project(Vec4(0.3f, -1.0f, 0.02f)), RoomGrey, 3, "floor in front of the crowd");
    // Above the box's open top nothing is drawn.
    ExpectColour(Project(Vec4(0.0f, 1.2f, 1.0f)), {0, 0, 0}, 0, "above the back wall");

    for (int person : FrontRow) {
        ExpectColour(Project(TorsoCentre(person)), Blue, 8, "torso");
        Rgb crown = At(Project(Crown(person)));
        EXPECT_TRUE(crown.g > 90 && crown.r < 60 && crown.b < 60)
            << "head of person " << person << ": " << crown.r << " " << crown.g << " " << crown.b;
    }
    // Row 14, at the back, is drawn 1 / (1 + 1.3 z) as large and higher up.
    ExpectColour(Project(TorsoCentre(990)), Blue, 40, "torso at the back");
}

TEST_F(PlayingFrame, ScoreIsDrawnInRedRightAlignedAtItsPlace)
{
    StartRendering(Face::Banded);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f); // the marker takes the colour left current
    PlayerScore = 7;
    DrawFrame();
    // "score" spans x 0.55 to 0.9 and y 0.1 to 0.2, the 7 x 0.85 to 0.9 and
    // y -0.05 to 0.05, all at z = 0.15; lines are 5 pixels wide.
    Px labelLow = Project(Vec4(0.55f, 0.1f, 0.15f)), labelHigh = Project(Vec4(0.9f, 0.2f, 0.15f));
    Px digitLow = Project(Vec4(0.85f, -0.05f, 0.15f)), digitHigh = Project(Vec4(0.9f, 0.05f, 0.15f));
    EXPECT_GT(CountRed(labelLow.x - 3, labelLow.y - 3, labelHigh.x + 3, labelHigh.y + 3, true), 60);
    EXPECT_GT(CountRed(digitLow.x - 3, digitLow.y - 3, digitHigh.x + 3, digitHigh.y + 3, true), 15);
    EXPECT_EQ(CountRed(labelLow.x - 3, digitLow.y - 3, labelHigh.x + 3, labelHigh.y + 3, false), 0);
    // The score leaves the colour red for what follows.
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_TRUE(colour[0] == 1.0f && colour[1] == 0.0f && colour[2] == 0.0f && colour[3] == 1.0f);
}

TEST_F(PlayingFrame, CursorMarkerMovesWithTheCursorAndTakesTheColourLeftCurrent)
{
    StartRendering(Face::Banded);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    // Points on the marker's line along z: above every head in front of
    // them, nearer than anything behind.
    auto lineAt = [](float x, float z) { return Project(Vec4(x, -0.8f, z)); };
    CursorX = -0.5f;
    DrawFrame();
    for (float z : {0.1f, 0.4f, 0.7f})
        ExpectColour(lineAt(-0.5f, z), White, 0, "marker line");
    // The triangle under the line along x, between apex and base.
    ExpectColour(Project(Vec4(-0.5f, -0.86f, CursorZ + 0.8f)), White, 0, "marker triangle");

    CursorX = 0.3f;
    glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
    DrawFrame();
    for (float z : {0.1f, 0.4f, 0.7f}) {
        ExpectColour(lineAt(0.3f, z), Green, 0, "moved marker line");
        Rgb old = At(lineAt(-0.5f, z));
        EXPECT_FALSE(Near(old, White, 60)) << "old marker place at z " << z;
    }
    ExpectColour(Project(Vec4(0.3f, -0.86f, CursorZ + 0.8f)), Green, 0, "moved marker triangle");
}

TEST_F(PlayingFrame, NearerThingsHideFartherOnesAndEqualDepthsDoNotReplace)
{
    StartRendering(Face::Banded);
    SetUpScene();
    glDisable(GL_TEXTURE_2D);
    auto quad = [](float z, Rgb c) {
        glColor4f(c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, 1.0f);
        glBegin(GL_TRIANGLE_STRIP);
        glVertex3f(-0.2f, -0.2f, z);
        glVertex3f(0.2f, -0.2f, z);
        glVertex3f(-0.2f, 0.2f, z);
        glVertex3f(0.2f, 0.2f, z);
        glEnd();
    };
    const Px centre = {Width / 2, Height / 2};
    quad(0.5f, Red);
    quad(0.6f, Green); // farther: hidden
    pixels = HeadlessReadPixels();
    ExpectColour(centre, Red, 0, "farther quad drawn later");
    quad(0.4f, Blue); // nearer: replaces
    pixels = HeadlessReadPixels();
    ExpectColour(centre, Blue, 0, "nearer quad drawn later");
    quad(0.4f, Yellow); // same depth: does not replace
    pixels = HeadlessReadPixels();
    ExpectColour(centre, Blue, 0, "quad at the same depth");

    // Single points land where the formula puts them, smaller further back.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPointSize(1.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    const Vec4 points[] = {Vec4(0.5f, -0.6f, 0.0f), Vec4(0.5f, -0.6f, 1.0f), Vec4(-0.7f, 0.4f, 0.5f)};
    glBegin(GL_POINTS);
    for (Vec4 p : points)
        glVertex3f(p.x, p.y, p.z);
    glEnd();
    pixels = HeadlessReadPixels();
    int lit = 0;
    for (size_t i = 0; i < pixels.size(); i += 4)
        lit += pixels[i] == 255 ? 1 : 0;
    EXPECT_EQ(lit, 3);
    for (Vec4 p : points)
        ExpectColour(Project(p), White, 0, "point");
    // (0.5, -0.6, 1) is drawn at about (0.217, -0.261) normalised.
    EXPECT_EQ(Project(points[1]).x, 155);
    EXPECT_EQ(Project(points[1]).y, 94);
}

TEST_F(PlayingFrame, LeavesTheStateLaterFramesDrawWith)
{
    StartRendering(Face::Banded);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    RunFrame();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    GLint value = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_GREATER);
    glGetIntegerv(GL_ALPHA_TEST_FUNC, &value);
    EXPECT_EQ(value, GL_GREATER);
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_MODELVIEW);
    GLfloat width = 0, colour[4];
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 5.0f);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_TRUE(colour[0] == 1.0f && colour[1] == 0.0f && colour[2] == 0.0f && colour[3] == 1.0f);

    // So the next frame draws its marker in red, five pixels wide.
    RunFrame();
    pixels = HeadlessReadPixels();
    Px line = Project(Vec4(0.0f, -0.8f, CursorZ + 0.8f)); // on the line along x
    ExpectColour(line, Red, 0, "marker in the second frame");
    int wide = 0;
    for (int dy = -5; dy <= 5; ++dy)
        wide += Near(At({line.x, line.y + dy}), Red, 0) ? 1 : 0;
    EXPECT_EQ(wide, 5);
}

TEST_F(PlayingFrame, HandPlacedPersonShowsEachBandOnItsBones)
{
    // A viewport ten times the window's size shows the corner of the box
    // near (-1, -1, 0) magnified: 1280 pixels to the unit.
    StartRendering(Face::Banded, 10 * Width);
    const Vec4 pelvis(-0.93f, -0.93f, 0.0f);
    for (int g = 0; g < ParticleCount; ++g)
        particles[g].pos = Vec4(0.0f, 0.0f, -1.0f); // behind the near plane
    for (int k = 0; k < ParticlesPerPerson; ++k) {
        Vec4 p = RagdollTemplate[k];
        p *= TemplateScale;
        p += pelvis;
        // Flat, but the arms a little nearer so that they hide the torso.
        p.z = (k >= Shoulder1 && k <= Hand0) ? -0.01f : 0.0f;
        particles[k].pos = p;
    }
    DrawFrame();

    ExpectColour(Project(Crown(0)), Green, 8, "crown half of the head");
    Vec4 chin = Lerp(P(0, Head), Crown(0), -1.0f); // as far on the other side
    ExpectColour(Project(chin), DarkGreen, 8, "chin half of the head");
    ExpectColour(Project(TorsoCentre(0)), Blue, 8, "torso");
    for (int side = 0; side < 2; ++side) {
        int hip = side == 0 ? Hip0 : Hip1, knee = side == 0 ? Knee0 : Knee1, foot = side == 0 ? Foot0 : Foot1;
        Vec4 hipEdge = Lerp(P(0, hip), Lerp(P(0, Hip0), P(0, Hip1), 0.5f), 0.5f);
        ExpectColour(Project(Lerp(hipEdge, P(0, knee), 0.5f)), Yellow, 8, "thigh");
        ExpectColour(Project(Lerp(P(0, knee), P(0, foot), 0.5f)), Yellow, 8, "shin");
    }
    for (int side = 0; side < 2; ++side) {
        int shoulder = side == 0 ? Shoulder0 : Shoulder1, elbow = side == 0 ? Elbow0 : Elbow1;
        int hand = side == 0 ? Hand0 : Hand1;
        // The band's outer half is cut out; the inner half lies towards the
        // body on both arms, as side 1 shows the band mirrored.
        Vec4 towardsBody(P(0, Pelvis).x - P(0, shoulder).x > 0 ? 1.0f : -1.0f, 0.0f, 0.0f);
        for (Vec4 bone : {Lerp(P(0, shoulder), P(0, elbow), 0.5f), Lerp(P(0, elbow), P(0, hand), 0.5f)}) {
            Vec4 inner = bone, outer = bone;
            inner.x += towardsBody.x * 0.002f;
            outer.x -= towardsBody.x * 0.002f;
            ExpectColour(Project(inner), Cyan, 8, "inner half of an arm");
            Rgb cut = At(Project(outer));
            EXPECT_FALSE(Near(cut, Cyan, 60)) << "outer half of arm " << side << " is cut out";
            EXPECT_FALSE(Near(cut, {255, 0, 255}, 60)) << "no key colour shows";
        }
    }
    // Beside the figure the room shows.
    ExpectColour(Project(Vec4(pelvis.x + 0.05f, pelvis.y, 0.0f)), RoomGrey, 3, "floor and wall beside");
}

TEST_F(PlayingFrame, WithoutAFaceTexturePeopleShowWhite)
{
    StartRendering(Face::Missing);
    DrawFrame();
    for (int person : FrontRow)
        ExpectColour(Project(TorsoCentre(person)), White, 0, "torso without a texture");
    ExpectColour(Project(Vec4(-0.5f, 0.3f, 1.0f)), {230, 230, 230}, 1, "back wall in its 0.9 grey");
}

TEST_F(PlayingFrame, ShippedFaceDressesTheCrowd)
{
    StartRendering(Face::Shipped);
    DrawFrame();
    unsigned char* info = nullptr;
    unsigned char* bits = ReadBitmapFile((std::filesystem::path(FW_DATA_DIR) / "face.bmp").string().c_str(), &info);
    ASSERT_NE(bits, nullptr);
    unsigned char* rgba = BitmapToRgba(info, bits);
    int width = BitmapWidth(info), height = BitmapHeight(info);
    // The middle of the torso band, where the shirt is.
    const unsigned char* shirt = rgba + (size_t(height / 2) * width + size_t(width * 3 / 10)) * 4;
    Rgb want = {shirt[0], shirt[1], shirt[2]};
    EXPECT_EQ(shirt[3], 255);
    std::free(rgba);
    std::free(bits);
    std::free(info);
    for (int person : FrontRow)
        ExpectColour(Project(TorsoCentre(person)), want, 24, "shirt");
}
