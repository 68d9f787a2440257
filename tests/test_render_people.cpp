#include <algorithm>
#include <cmath>
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
#include "tests/scenes.h"
#include "tests/test_files.h"
#include "world/globals.h"
#include "world/particles.h"

namespace {

// The body sizes as the single-precision products of base size and scale.
const float HeadHalf = 0.010325f;
const float LegHalf = std::nextafter(0.007375f, 0.0f); // one step below 0.007375
const float ArmHalf = 0.004425f;

struct Point {
    double x, y, z;
};
using Figure = Point[ParticlesPerPerson];

struct WantVertex {
    float x, y, z, s, t;
};
using Strip = std::vector<WantVertex>;

void Place(int person, const Figure& roles)
{
    for (int k = 0; k < ParticlesPerPerson; ++k)
        particles[person * ParticlesPerPerson + k].pos = Vec4(float(roles[k].x), float(roles[k].y), float(roles[k].z));
}

WantVertex At(Point p, float s, float t) { return {float(p.x), float(p.y), float(p.z), s, t}; }

// p + k * d, worked out in double: the expectation of an offset vertex.
Point Off(Point p, double k, Point d) { return {p.x + k * d.x, p.y + k * d.y, p.z + k * d.z}; }
Point Mid(Point a, Point b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2}; }
const Point Zero = {0, 0, 0};

// Head strip from the half-size vectors along the head (a) and across it (b).
Strip HeadStrip(Point head, Point a, Point b)
{
    return {At(Off(Off(head, -1, b), 1, a), 0.0f, 0.0f), At(Off(Off(head, 1, b), 1, a), 0.2f, 0.0f),
            At(Off(Off(head, -1, b), -1, a), 0.0f, 1.0f), At(Off(Off(head, 1, b), -1, a), 0.2f, 1.0f)};
}

std::vector<Strip> LimbStrips(Point root0, Point root1, Point joint, Point end, Point offset, float s0, float s1)
{
    return {{At(root0, s0, 1.0f), At(root1, s1, 1.0f), At(Off(joint, -1, offset), s0, 0.5f),
             At(Off(joint, 1, offset), s1, 0.5f)},
            {At(Off(joint, -1, offset), s0, 0.5f), At(Off(joint, 1, offset), s1, 0.5f),
             At(Off(end, -1, offset), s0, 0.0f), At(Off(end, 1, offset), s1, 0.0f)}};
}

// A four-vertex strip comes back as two triangles: (v1, v2, v3), then v2,
// v3 and v4 in the order the driver keeps the winding. Every vertex is white.
template <class Draw>
void ExpectStrips(Draw&& draw, const std::vector<Strip>& want, float tolerance)
{
    std::vector<FedPrimitive> got = RecordFeedback(draw).polygons;
    ASSERT_EQ(got.size(), 2 * want.size()) << "triangles recorded";
    auto matches = [tolerance](const FedVertex& v, const WantVertex& w) {
        return Near(v, w.x, w.y, w.z, tolerance) && v.s == w.s && v.t == w.t;
    };
    for (size_t k = 0; k < want.size(); ++k) {
        for (int v = 0; v < 3; ++v)
            EXPECT_TRUE(matches(got[2 * k][size_t(v)], want[k][size_t(v)])) << "strip " << k << " vertex " << v + 1
                                                                           << ": got " << got[2 * k][size_t(v)];
        for (int w = 1; w < 4; ++w) {
            const FedPrimitive& second = got[2 * k + 1];
            bool found = false;
            for (const FedVertex& v : second)
                found = found || matches(v, want[k][size_t(w)]);
            EXPECT_TRUE(found) << "strip " << k << " second triangle lacks vertex " << w + 1;
        }
        for (const FedPrimitive* triangle : {&got[2 * k], &got[2 * k + 1]})
            for (const FedVertex& v : *triangle)
                EXPECT_TRUE(v.r == 1.0f && v.g == 1.0f && v.b == 1.0f && v.a == 1.0f) << "colour " << v;
    }
}

// Directions on 3-4-5 triangles, away from the axes and out of the plane
// z = 0; the shin and the forearm bend away from their first bone.
const Figure Bent = {
    {0.3, 0.9, 0.2}, // head: neck to head is (0.6, 0.8, 0)
    {0, 0.5, 0.2}, // neck
    {0.2, 0.45, 0.2}, // shoulder of arm 1
    {-0.2, 0.45, 0.2}, // shoulder of arm 0: shoulder line -x
    {0.35, 0.25, 0.2}, // elbow 1: shoulder - elbow = 0.25 * (-0.6, 0.8, 0)
    {0.5, 0.1, 0.3}, // hand 1
    {-0.2, 0.45, 0.45}, // elbow 0: straight back along z
    {-0.3, 0.2, 0.45}, // hand 0
    {0, 0, 0.2}, // pelvis
    {-0.15, -0.1, 0.2}, // hip of leg 1
    {0.15, -0.1, 0.2}, // hip of leg 0
    {-0.15, -0.3, 0.2}, // knee 1: thigh straight down
    {-0.2, -0.6, 0.2}, // foot 1
    {0, -0.3, 0.2}, // knee 0: hip - knee = 0.25 * (0.6, 0.8, 0)
    {0.1, -0.6, 0.25}, // foot 0
};

const float Tolerance = 1e-6f;

class PeopleDrawing : public HeadlessGlTest {};

} // namespace

TEST_F(PeopleDrawing, SidesFollowTheShoulderLineAndTheFirstBoneOfEachLimb)
{
    const Figure& P = Bent;
    Place(0, P);
    // The side vector is the shoulder line less its part along the head or
    // thigh: (-1, 0, 0) + 0.6 * (0.6, 0.8, 0) = (-0.64, 0.48, 0), not normalised.
    const Point side = {-0.64, 0.48, 0};
    ExpectStrips([] { DrawHead(0); },
                 {HeadStrip(P[0], Off(Zero, HeadHalf, {0.6, 0.8, 0}), Off(Zero, HeadHalf, side))}, Tolerance);
    ExpectStrips([] { DrawTorso(0); },
                 {{At({-0.2, 0.5, 0.2}, 0.2f, 1.0f), At({0.2, 0.5, 0.2}, 0.4f, 1.0f), At(P[9], 0.2f, 0.0f),
                   At(P[10], 0.4f, 0.0f)}},
                 Tolerance);
    const Point hips = Mid(P[9], P[10]);
    ExpectStrips([] { DrawLeg(0, 0); }, LimbStrips(P[10], hips, P[13], P[14], Off(Zero, LegHalf, side), 0.4f, 0.6f),
                 Tolerance);
    // Leg 1 (any side but 0) shows the band mirrored.
    for (int leg : {1, 7})
        ExpectStrips([leg] { DrawLeg(0, leg); },
                     LimbStrips(hips, P[9], P[11], P[12], Off(Zero, LegHalf, {-1, 0, 0}), 0.6f, 0.4f), Tolerance);
    // Arm 1: u = (-0.6, 0.8, 0), width along (u.y, -u.x, 0), kept on the
    // forearm though it turns towards z. Arm 0 points along z: no width.
    const Point arm = Off(Zero, ArmHalf, {0.8, 0.6, 0});
    ExpectStrips([] { DrawArm(0, 1); }, LimbStrips(Off(P[2], -1, arm), Off(P[2], 1, arm), P[4], P[5], arm, 0.8f, 0.6f),
                 Tolerance);
    ExpectStrips([] { DrawArm(0, 0); }, LimbStrips(P[3], P[3], P[6], P[7], Zero, 0.6f, 0.8f), Tolerance);
}

TEST_F(PeopleDrawing, DegenerateFiguresDrawNothingWide)
{
    Figure P;
    std::copy(std::begin(Bent), std::end(Bent), P);
    P[1] = P[0]; // head on the neck
    P[13] = P[10]; // knee 0 on hip 0
    P[6] = P[3]; // elbow 0 on shoulder 0
    Place(0, P);
    ExpectStrips([] { DrawHead(0); }, {HeadStrip(P[0], Zero, Zero)}, Tolerance);
    ExpectStrips([] { DrawLeg(0, 0); }, LimbStrips(P[10], Mid(P[9], P[10]), P[13], P[14], Zero, 0.4f, 0.6f), Tolerance);
    ExpectStrips([] { DrawArm(0, 0); }, LimbStrips(P[3], P[3], P[6], P[7], Zero, 0.6f, 0.8f), Tolerance);

    // A head along the shoulder line has a zero side vector: a line.
    P[1] = Off(P[0], 0.25, {1, 0, 0});
    P[2] = Off(P[0], 0.5, {1, 0, 0});
    P[3] = Off(P[0], -0.5, {1, 0, 0});
    Place(0, P);
    ExpectStrips([] { DrawHead(0); }, {HeadStrip(P[0], {-HeadHalf, 0, 0}, Zero)}, Tolerance);
}

TEST_F(PeopleDrawing, CrowdLeavesBlendingAndAlphaTestOnWhiteCurrentAndNoArraysEnabled)
{
    Place(0, Bent);
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

TEST_F(PeopleDrawing, BatchFeedsTheStripsTrianglesPersonByPersonInPartOrder)
{
    // The people shown are the bent figure, flattened, shrunk and pushed back by
    // their index so that the depth of a vertex tells whose it is; everybody
    // else stands outside the view and is clipped away.
    const int shown[] = {0, 1, 2, PeopleCount - 2, PeopleCount - 1};
    for (int p = 0; p < PeopleCount; ++p) {
        bool isShown = std::find(std::begin(shown), std::end(shown), p) != std::end(shown);
        Figure P;
        for (int k = 0; k < ParticlesPerPerson; ++k)
            P[k] = {Bent[k].x * 0.5 + (isShown ? 0.0 : 5.0), Bent[k].y * 0.5, isShown ? p / 2048.0 : 0.0};
        Place(p, P);
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
        EXPECT_EQ(first[0].s, firstS[part]) << "strip " << strip;
        EXPECT_EQ(first[1].s, secondS[part]) << "strip " << strip;
        EXPECT_NEAR(first[0].z, person / 2048.0f, 1e-6f) << "strip " << strip << " belongs to person " << person;
    }
    // The batch: the same triangles in the same order, each vertex in its place.
    std::vector<FedPrimitive> batched = RecordFeedback([] { DrawPeople(); }).polygons;
    ASSERT_EQ(batched.size(), triangles.size());
    for (size_t k = 0; k < triangles.size(); ++k)
        for (size_t v = 0; v < 3; ++v)
            EXPECT_EQ(std::memcmp(&batched[k][v], &triangles[k][v], sizeof(FedVertex)), 0)
                << "triangle " << k << " vertex " << v << ": " << batched[k][v] << " for " << triangles[k][v];
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
        int differing = 0;
        for (size_t k = 0; k < plain.size(); ++k)
            differing += plain[k] != batched[k];
        EXPECT_EQ(differing, 0) << "bytes differ at " << width << " x " << height;
        EXPECT_NE(plain, frame([] {})) << "no crowd to see at " << width << " x " << height;
    }
}
