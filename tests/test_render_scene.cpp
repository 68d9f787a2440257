// Whole playing frames drawn in the headless context, checked pixel by pixel
// where the view puts the room, the crowd, the marker and the score.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "app/headless.h"
#include "game/frame.h"
#include "world/globals.h"
#include "game/view.h"
#include "render/gl.h"
#include "render/room.h"
#include "tests/headless_fixture.h"
#include "tests/test_files.h"
#include "world/particles.h"

namespace {

using Rgb = Rgba;
const Rgb Green = {0, 255, 0, 255}, Blue = {0, 0, 255, 255}, Yellow = {255, 255, 0, 255},
          RoomGrey = {115, 115, 115, 255}, White = {255, 255, 255, 255}, Red = {255, 0, 0, 255}, Black = {0, 0, 0, 255};

// A face texture of plain colours, one per band (head, torso, legs, arms,
// room), so that a pixel tells which band it came from.
uint32_t BandedTexel(int x, int)
{
    const uint32_t bands[5] = {0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0x808080}; // room: 115 in 0.9 grey
    return bands[x * 5 / 128];
}

struct Px {
    int x, y;
};

// The view's formula: w = 1 + 1.3 z, normalised (x / w, y / w), and the
// square viewport of side ScreenWidth at the lower-left corner.
Px Project(Vec4 p)
{
    float w = 1.0f + 1.3f * p.z, side = float(ScreenWidth);
    return {int(std::floor((p.x / w + 1.0f) * 0.5f * side)), int(std::floor((p.y / w + 1.0f) * 0.5f * side))};
}

Vec4 Lerp(Vec4 a, Vec4 b, float k) { return Vec4(a.x + (b.x - a.x) * k, a.y + (b.y - a.y) * k, a.z + (b.z - a.z) * k); }

bool Near(Rgb got, Rgb want, int tolerance)
{
    return std::abs(got.r - want.r) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
           std::abs(got.b - want.b) <= tolerance;
}

Vec4 P(int person, int role) { return particles[person * ParticlesPerPerson + role].pos; }
Vec4 TorsoCentre(int person) { return Lerp(P(person, Neck), Lerp(P(person, Hip0), P(person, Hip1), 0.5f), 0.5f); }

// A quarter of the head's half-size from the head particle, away from the neck.
Vec4 Crown(int person)
{
    Vec4 up = P(person, Head);
    up -= P(person, Neck);
    up.Normalize();
    up *= 0.25f * 0.010325f;
    up += P(person, Head);
    return up;
}

// Front-row people (their pelvis lies in the first 1000 particles), spread
// along the row; nobody stands in front of them.
const int FrontRow[] = {5, 20, 40, 60};

class PlayingFrame : public HeadlessGlTest {
protected:
    enum class Face { Banded, Missing };

    TempWorkDir dir; // the game's data directory for the test
    std::vector<uint8_t> pixels;

    // The render set-up as at window creation, then the click on the title.
    void StartRendering(Face face)
    {
        CopyDataFile("ragdoll.rag");
        if (face == Face::Banded)
            WriteFile("face.bmp", MakeBmp(BmpFields{128, 32}, Rows24(128, 32, BandedTexel)));
        ScreenWidth = Width;
        ScreenHeight = Height;
        SetUpRendering();
        CurrentState = Playing;
        FusewalkersLeft = 3;
        PlayerScore = 0;
        ClickPending = 0;
        CursorX = 0.9f; // the marker clear of what the tests look at
        CursorZ = 0.1f;
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f); // the marker takes the colour left current
    }

    void DrawFrame()
    {
        SetUpScene();
        DrawPlayingScene();
        pixels = HeadlessReadPixels();
    }

    Rgb At(Px p) const { return Pixel(pixels, std::clamp(p.x, 0, Width - 1), std::clamp(p.y, 0, Height - 1)); }

    void ExpectColour(Vec4 where, Rgb want, int tolerance, const char* what) const
    {
        Px p = Project(where);
        ASSERT_TRUE(p.x >= 0 && p.x < Width && p.y >= 0 && p.y < Height) << what << " off the picture";
        Rgb got = At(p);
        EXPECT_TRUE(Near(got, want, tolerance)) << what << " at pixel " << p.x << "," << p.y << ": got " << got.r
                                                << " " << got.g << " " << got.b;
    }
};

} // namespace

TEST_F(PlayingFrame, RoomAndCrowdAreWhereTheViewPutsThem)
{
    StartRendering(Face::Banded);
    DrawFrame();
    ExpectColour(Vec4(-0.5f, 0.3f, 1.0f), RoomGrey, 3, "back wall");
    ExpectColour(Vec4(-1.0f, 0.2f, 0.3f), RoomGrey, 3, "left wall");
    ExpectColour(Vec4(1.0f, 0.5f, 0.6f), RoomGrey, 3, "right wall");
    ExpectColour(Vec4(0.3f, -1.0f, 0.02f), RoomGrey, 3, "floor in front of the crowd");
    ExpectColour(Vec4(0.0f, 1.2f, 1.0f), Black, 0, "above the box's open top");
    for (int person : FrontRow) {
        ExpectColour(TorsoCentre(person), Blue, 8, "torso");
        Rgb crown = At(Project(Crown(person)));
        EXPECT_TRUE(crown.g > 90 && crown.r < 60 && crown.b < 60) << "head of person " << person;
    }
    // Row 14, at the back, is drawn 1 / (1 + 1.3 z) as large and higher up.
    ExpectColour(TorsoCentre(990), Blue, 40, "torso at the back");
}

TEST_F(PlayingFrame, ScoreIsDrawnInRedRightAlignedAtItsPlaceAndLeavesRed)
{
    StartRendering(Face::Banded);
    PlayerScore = 7;
    DrawFrame();
    // "score" spans x 0.55 to 0.9 and y 0.1 to 0.2, the 7 x 0.85 to 0.9 and
    // y -0.05 to 0.05, all at z = 0.15; lines are 5 pixels wide.
    Px labelLow = Project(Vec4(0.55f, 0.1f, 0.15f)), labelHigh = Project(Vec4(0.9f, 0.2f, 0.15f));
    Px digitLow = Project(Vec4(0.85f, -0.05f, 0.15f)), digitHigh = Project(Vec4(0.9f, 0.05f, 0.15f));
    EXPECT_GT(Count(pixels, IsRed, labelLow.x - 3, labelLow.y - 3, labelHigh.x + 3, labelHigh.y + 3), 60);
    EXPECT_GT(Count(pixels, IsRed, digitLow.x - 3, digitLow.y - 3, digitHigh.x + 3, digitHigh.y + 3), 15);
    EXPECT_EQ(Count(pixels, IsRed, labelLow.x - 3, digitLow.y - 3, labelHigh.x + 3, labelHigh.y + 3, false), 0);

    // What the frame leaves holds for the next one: its marker is red and five pixels wide.
    GLint depthFunc = 0, matrixMode = 0;
    GLfloat lineWidth = 0, colour[4];
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    glGetFloatv(GL_LINE_WIDTH, &lineWidth);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_TRUE(!glIsEnabled(GL_TEXTURE_2D) && glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_BLEND) &&
                glIsEnabled(GL_ALPHA_TEST));
    EXPECT_TRUE(depthFunc == GL_GREATER && matrixMode == GL_MODELVIEW && lineWidth == 5.0f);
    EXPECT_TRUE(colour[0] == 1.0f && colour[1] == 0.0f && colour[2] == 0.0f && colour[3] == 1.0f);
    DrawFrame();
    Px line = Project(Vec4(0.0f, -0.8f, CursorZ + 0.8f)); // on the line along x
    int wide = 0;
    for (int dy = -5; dy <= 5; ++dy)
        wide += Near(At({line.x, line.y + dy}), Red, 0);
    EXPECT_EQ(wide, 5);
}

TEST_F(PlayingFrame, CursorMarkerMovesWithTheCursor)
{
    StartRendering(Face::Banded);
    // Points on the marker's line along z, above every head in front of them
    // and nearer than anything behind; then the triangle under the line along x.
    const float zs[] = {0.1f, 0.4f, 0.7f};
    CursorX = -0.5f;
    DrawFrame();
    for (float z : zs)
        ExpectColour(Vec4(-0.5f, -0.8f, z), White, 0, "marker line");
    ExpectColour(Vec4(-0.5f, -0.86f, CursorZ + 0.8f), White, 0, "marker triangle");

    CursorX = 0.3f;
    glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
    DrawFrame();
    for (float z : zs) {
        ExpectColour(Vec4(0.3f, -0.8f, z), Green, 0, "moved marker line");
        EXPECT_FALSE(Near(At(Project(Vec4(-0.5f, -0.8f, z))), White, 60)) << "old marker place at z " << z;
    }
    ExpectColour(Vec4(0.3f, -0.86f, CursorZ + 0.8f), Green, 0, "moved marker triangle");
}

TEST_F(PlayingFrame, NearerThingsHideFartherOnesAndEqualDepthsDoNotReplace)
{
    StartRendering(Face::Banded);
    SetUpScene();
    glDisable(GL_TEXTURE_2D);
    const struct {
        float z;
        Rgb colour, want;
    } quads[] = {{0.5f, Red, Red}, {0.6f, Green, Red}, {0.4f, Blue, Blue}, {0.4f, Yellow, Blue}};
    for (const auto& q : quads) {
        glColor4f(q.colour.r / 255.0f, q.colour.g / 255.0f, q.colour.b / 255.0f, 1.0f);
        glBegin(GL_TRIANGLE_STRIP);
        for (float y : {-0.2f, 0.2f})
            for (float x : {-0.2f, 0.2f})
                glVertex3f(x, y, q.z);
        glEnd();
        pixels = HeadlessReadPixels();
        EXPECT_TRUE(Near(At({Width / 2, Height / 2}), q.want, 0)) << "after the quad at depth " << q.z;
    }
}

TEST_F(PlayingFrame, WithoutAFaceTexturePeopleShowWhite)
{
    StartRendering(Face::Missing);
    DrawFrame();
    for (int person : FrontRow)
        ExpectColour(TorsoCentre(person), White, 0, "torso without a texture");
    ExpectColour(Vec4(-0.5f, 0.3f, 1.0f), {230, 230, 230, 255}, 1, "back wall in its 0.9 grey");

}
