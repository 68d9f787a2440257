// The crowd drawn in one batch against the plain part-by-part drawing it
// replaced: the same triangles in the same order, the same pixels, the same
// state left behind.
#include <algorithm>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "app/headless.h"
#include "game/view.h"
#include "render/gl.h"
#include "render/people.h"
#include "render/reference_people.h"
#include "render/room.h"
#include "tests/gl_recorder.h"
#include "tests/headless_fixture.h"
#include "scenes/scenes.h"
#include "tests/test_files.h"
#include "world/globals.h"
#include "world/particles.h"

class PeopleDrawing : public HeadlessGlTest {};

TEST_F(PeopleDrawing, TheBatchFeedsThePlainDrawingsTrianglesPersonByPersonInPartOrder)
{
    // Five people in view, shrunk and pushed back by their index so that a
    // vertex's depth tells whose it is; everybody else is clipped away.
    StartRound();
    const int shown[] = {0, 1, 2, PeopleCount - 2, PeopleCount - 1};
    for (int p = 0; p < PeopleCount; ++p) {
        bool isShown = std::find(std::begin(shown), std::end(shown), p) != std::end(shown);
        Vec4 pelvis = particles[p * ParticlesPerPerson + Pelvis].pos;
        for (int k = 0; k < ParticlesPerPerson; ++k) {
            Vec4& at = particles[p * ParticlesPerPerson + k].pos;
            at = Vec4((at.x - pelvis.x) * 4.0f + (isShown ? 0.0f : 5.0f), (at.y - pelvis.y) * 4.0f,
                      isShown ? float(p) / 2048.0f : 0.0f);
        }
    }
    // A whole crowd fills Mesa's immediate-mode buffer more than once, and in
    // feedback mode its software driver drops the full buffer without freeing
    // it: tests/lsan.supp names that leak for the sanitizer runs.
    std::vector<FedPrimitive> triangles = RecordFeedback([] { ReferenceDrawPeople(); }).polygons;
    ASSERT_EQ(triangles.size(), std::size(shown) * 10 * 2);
    // Head, torso, leg 0 (two strips), leg 1, arm 0, arm 1: the s of the first
    // two vertices of each strip. Leg 1 and arm 1 start on the far edge of their band.
    const float firstS[10] = {0.0f, 0.2f, 0.4f, 0.4f, 0.6f, 0.6f, 0.6f, 0.6f, 0.8f, 0.8f};
    const float secondS[10] = {0.2f, 0.4f, 0.6f, 0.6f, 0.4f, 0.4f, 0.8f, 0.8f, 0.6f, 0.6f};
    for (size_t strip = 0; strip < triangles.size() / 2; ++strip) {
        const FedPrimitive& first = triangles[2 * strip];
        int person = shown[strip / 10], part = int(strip % 10);
        EXPECT_TRUE(first[0].s == firstS[part] && first[1].s == secondS[part]) << "strip " << strip;
        EXPECT_NEAR(first[0].z, float(person) / 2048.0f, 1e-6f) << "strip " << strip << " belongs to person " << person;
        for (const FedVertex& v : first)
            EXPECT_TRUE(v.r == 1.0f && v.g == 1.0f && v.b == 1.0f && v.a == 1.0f) << "strip " << strip;
    }
    std::vector<FedPrimitive> batched = RecordFeedback([] { DrawPeople(); }).polygons;
    ASSERT_EQ(batched.size(), triangles.size());
    for (size_t k = 0; k < triangles.size(); ++k)
        for (size_t v = 0; v < 3; ++v)
            EXPECT_EQ(std::memcmp(&batched[k][v], &triangles[k][v], sizeof(FedVertex)), 0)
                << "triangle " << k << " vertex " << v << ": " << batched[k][v] << " for " << triangles[k][v];

    // What every body part leaves in force, and no client array left on.
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
