// The crowd drawn in one batch against the plain part-by-part drawing it
// replaced: the same pixels, frame after frame, so the same state left behind.
#include <vector>

#include <gtest/gtest.h>

#include "app/headless.h"
#include "game/view.h"
#include "render/gl.h"
#include "render/people.h"
#include "render/reference_people.h"
#include "render/room.h"
#include "scenes/scenes.h"
#include "tests/test_files.h"
#include "world/globals.h"

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
