// The docs/ pictures, frames of docs/playing.script, made again through the routing layer: nearly every part of a
// frame shows in them. A few pixels may round differently on another kind of processor. Then the crowd in one
// batch against the plain part-by-part drawing: the same pixels, so the same state left behind.
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/view.h"
#include "platform/headless_egl.h"
#include "render/people.h"
#include "render/reference_people.h"
#include "render/room.h"
#include "scenes/scenes.h"
#include "session/playback.h"
#include "session/routing.h"
#include "session/script.h"
#include "tests/test_files.h"
#include "tools/png.h"
#include "world/globals.h"

TEST(Pictures, ReplayingTheDocsScriptRemakesEveryPictureAndTheBatchedCrowdDrawsAsStripByStrip)
{
    const int width = 1024, height = 768;
    const std::string docs = std::string(FW_SOURCE_DIR) + "/docs/";
    Script script;
    std::string error;
    ASSERT_TRUE(ReadScriptFile(docs + "playing.script", &script, &error)) << error;
    TempWorkDir dir;
    CopyDataFile("ragdoll.rag");
    CopyDataFile("face.bmp");
    // One pbuffer for every size: closing a context unloads Mesa's driver, whose holdings the leak checker counts.
    ASSERT_TRUE(HeadlessOpen(width, height));
    ScreenWidth = width;
    ScreenHeight = height;
    StartPlayback(script, PlaybackMode::Replay);
    RouteCreate();
    for (auto [frame, name] : {std::pair{0L, "title.png"}, {60L, "playing.png"}, {115L, "blast.png"}, {800L, "score.png"}}) {
        while (RoutedFrames() <= frame)
            RoutePaint();
        // Through the picture writer the replay made them with, and back.
        ASSERT_TRUE(WritePng("frame.png", width, height, HeadlessReadPixels().data()));
        int w = 0, h = 0;
        std::vector<uint8_t> made = ReadPng("frame.png", &w, &h), expected = ReadPng(docs + name, &w, &h);
        ASSERT_TRUE(made.size() == expected.size() && !made.empty()) << name;
        int differing = 0;
        for (size_t k = 0; k < made.size(); k += 4)
            differing += std::abs(made[k] - expected[k]) > 2 || std::abs(made[k + 1] - expected[k + 1]) > 2 ||
                         std::abs(made[k + 2] - expected[k + 2]) > 2;
        EXPECT_LE(differing, width * height / 20000) << name << " after frame " << frame;
    }
    auto frame = [](void (*drawPeople)()) {
        SetUpScene();
        DrawPlayingScene(drawPeople);
        return HeadlessReadPixels();
    };
    for (auto [w, h] : {std::pair{1024, 768}, std::pair{160, 120}}) {
        ScreenWidth = w;
        ScreenHeight = h;
        SetUpRendering();
        MidRoundCrowd();
        frame(DrawPeople); // the state every later frame starts from
        std::vector<uint8_t> plain = frame(ReferenceDrawPeople), batched = frame(DrawPeople);
        EXPECT_TRUE(plain == batched) << "the frames differ at " << w << " x " << h;
        EXPECT_NE(plain, frame([] {})) << "no crowd to see at " << w << " x " << h;
    }
}
