// The crowd drawn in one batch against the plain part-by-part drawing it
// replaced: the same pixels, the same state left behind.
#include <vector>

#include <gtest/gtest.h>

#include "app/headless.h"
#include "game/view.h"
#include "render/gl.h"
#include "render/people.h"
#include "render/reference_people.h"
#include "render/room.h"
#include "tests/headless_fixture.h"
#include "scenes/scenes.h"
#include "tests/test_files.h"
#include "world/globals.h"
#include "world/particles.h"

class PeopleDrawing : public HeadlessGlTest {};

TEST_F(PeopleDrawing, TheBatchLeavesTheStateEveryBodyPartLeavesAndNoArrayOn)
{
    StartRound();
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glBlendFunc(GL_ONE, GL_ZERO);
    glAlphaFunc(GL_ALWAYS, 0.0f);
    glColor4f(0.2f, 0.3f, 0.4f, 0.5f);
    DrawPeople();
    GLint source = 0, destination = 0, alphaFunc = 0;
    GLfloat reference = 0, colour[4];
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    glGetIntegerv(GL_ALPHA_TEST_FUNC, &alphaFunc);
    glGetFloatv(GL_ALPHA_TEST_REF, &reference);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_TRUE(glIsEnabled(GL_BLEND) && glIsEnabled(GL_ALPHA_TEST));
    EXPECT_TRUE(source == GL_SRC_ALPHA && destination == GL_ONE_MINUS_SRC_ALPHA && alphaFunc == GL_GREATER);
    EXPECT_FLOAT_EQ(reference, 0.9f);
    EXPECT_EQ(colour[0] + colour[1] + colour[2] + colour[3], 4.0f) << "white left current";
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY) || glIsEnabled(GL_TEXTURE_COORD_ARRAY)) << "client arrays left on";
}

TEST(PeopleBatch, PlayingFramesComeOutPixelForPixelAsStripByStrip)
{
    TempWorkDir dir;
    CopyDataFile("ragdoll.rag");
    CopyDataFile("face.bmp");
    auto frame = [](void (*drawPeople)()) {
        SetUpScene();
        DrawPlayingScene(drawPeople);
        return HeadlessReadPixels();
    };
    // One pbuffer for both windows, the smaller one's square viewport in its
    // corner: closing a context unloads Mesa's driver, and the leak checker
    // then counts what the driver still held as leaked.
    ASSERT_TRUE(HeadlessOpen(1024, 768));
    for (auto [width, height] : {std::pair{1024, 768}, std::pair{160, 120}}) {
        ScreenWidth = width;
        ScreenHeight = height;
        SetUpRendering();
        MidRoundCrowd();
        frame(DrawPeople); // the state every later frame starts from
        std::vector<uint8_t> plain = frame(ReferenceDrawPeople), batched = frame(DrawPeople);
        EXPECT_TRUE(plain == batched) << "the frames differ at " << width << " x " << height;
        EXPECT_NE(plain, frame([] {})) << "no crowd to see at " << width << " x " << height;
    }
}
