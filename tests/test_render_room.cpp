#include <vector>

#include <gtest/gtest.h>

#include "game/globals.h"
#include "render/gl.h"
#include "render/room.h"
#include "tests/headless_fixture.h"
#include "tests/strip_recorder.h"

namespace {

class RoomDrawing : public HeadlessGlTest {};

// Depth comes back through the depth range, (z + 1) / 2, and loses a bit.
bool SamePoint(const FedVertex& v, float x, float y, float z)
{
    return v.x == x && std::fabs(v.y - y) <= FedYRounding && std::fabs(v.z - z) <= 2e-7f;
}

} // namespace

TEST_F(RoomDrawing, FourTexturedQuadsInTheRoomBand)
{
    glDisable(GL_TEXTURE_2D);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    std::vector<FedTriangle> got = RecordTriangles([] { DrawRoom(); });
    // Left wall, right wall, floor, back wall; all in 0.9 grey.
    ExpectStrips(got,
                 {{{-1, 1, 0, 0.8f, 0}, {-1, -1, 0, 1, 0}, {-1, 1, 1, 0.8f, 1}, {-1, -1, 1, 1, 1}},
                  {{1, 1, 0, 0.8f, 0}, {1, -1, 0, 1, 0}, {1, 1, 1, 0.8f, 1}, {1, -1, 1, 1, 1}},
                  {{-1, -1, 0, 0.8f, 0}, {1, -1, 0, 1, 0}, {-1, -1, 1, 0.8f, 1}, {1, -1, 1, 1, 1}},
                  {{-1, -1, 1, 0.8f, 0}, {1, -1, 1, 1, 0}, {-1, 1, 1, 0.8f, 1}, {1, 1, 1, 1, 1}}},
                 0.0f, 0.9f);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "the room leaves texturing on";
}

TEST_F(RoomDrawing, CursorMarkerIsATriangleAndTwoLinesInTheCurrentColour)
{
    CursorX = -0.25f;
    CursorZ = 0.125f; // ground point z = 0.925
    glEnable(GL_TEXTURE_2D);
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    Fed fed = RecordFeedback([] { DrawCursorMarker(); });
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

    const float x = -0.25f, z = 0.125f + 0.8f;
    ASSERT_EQ(fed.polygons.size(), 1u);
    ASSERT_EQ(fed.polygons[0].size(), 3u);
    const FedTriangle& t = fed.polygons[0];
    EXPECT_TRUE(SamePoint(t[0], x, -0.9f, z)) << t[0];
    EXPECT_TRUE(SamePoint(t[1], x - 0.05f, -0.8f, z)) << t[1];
    EXPECT_TRUE(SamePoint(t[2], x + 0.05f, -0.8f, z)) << t[2];
    for (const FedVertex& v : t) {
        EXPECT_EQ(v.s, 0.0f);
        EXPECT_EQ(v.t, 0.0f);
        EXPECT_TRUE(v.r == 0.25f && v.g == 0.5f && v.b == 0.75f && v.a == 1.0f) << v;
    }

    ASSERT_EQ(fed.lines.size(), 2u);
    EXPECT_TRUE(SamePoint(fed.lines[0][0], x, -0.8f, -1.0f)) << fed.lines[0][0];
    EXPECT_TRUE(SamePoint(fed.lines[0][1], x, -0.8f, 1.0f)) << fed.lines[0][1];
    EXPECT_TRUE(SamePoint(fed.lines[1][0], -1.0f, -0.8f, z)) << fed.lines[1][0];
    EXPECT_TRUE(SamePoint(fed.lines[1][1], 1.0f, -0.8f, z)) << fed.lines[1][1];
    for (const FedTriangle& line : fed.lines)
        for (const FedVertex& v : line)
            EXPECT_TRUE(v.r == 0.25f && v.g == 0.5f && v.b == 0.75f) << v;

    // At the left edge the lines still span the whole box.
    CursorX = -1.0f;
    fed = RecordFeedback([] { DrawCursorMarker(); });
    ASSERT_EQ(fed.lines.size(), 2u);
    EXPECT_TRUE(SamePoint(fed.lines[1][0], -1.0f, -0.8f, z)) << fed.lines[1][0];
    EXPECT_TRUE(SamePoint(fed.lines[1][1], 1.0f, -0.8f, z)) << fed.lines[1][1];
}
