#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "app/headless.h"
#include "render/gl.h"
#include "render/people.h"
#include "tests/headless_fixture.h"
#include "tests/strip_recorder.h"
#include "world/particles.h"

namespace {

// The body sizes as the single-precision products of base size and scale.
const float HeadHalf = 0.010325f;
const float LegHalf = std::nextafter(0.007375f, 0.0f); // one step below 0.007375
const float ArmHalf = 0.004425f;

struct Point {
    double x, y, z;
};

void Place(unsigned int g, const Point (&roles)[ParticlesPerPerson])
{
    for (int k = 0; k < ParticlesPerPerson; ++k)
        particles[g + k].pos = Vec4(float(roles[k].x), float(roles[k].y), float(roles[k].z));
}

WantVertex At(Point p, float s, float t) { return {float(p.x), float(p.y), float(p.z), s, t}; }

// p + k * d, worked out in double: the expectation of an offset vertex.
Point Off(Point p, double k, Point d) { return {p.x + k * d.x, p.y + k * d.y, p.z + k * d.z}; }

Point Mid(Point a, Point b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2}; }

// Head and limb strips, vertex by vertex as the drawing tables give them.
std::vector<WantVertex> HeadStrip(Point head, Point a, Point b)
{
    return {At(Off(Off(head, -1, b), 1, a), 0.0f, 0.0f), At(Off(Off(head, 1, b), 1, a), 0.2f, 0.0f),
            At(Off(Off(head, -1, b), -1, a), 0.0f, 1.0f), At(Off(Off(head, 1, b), -1, a), 0.2f, 1.0f)};
}

std::vector<std::vector<WantVertex>> LimbStrips(Point root0, Point root1, Point joint, Point end, Point offset,
                                                float s0, float s1)
{
    return {{At(root0, s0, 1.0f), At(root1, s1, 1.0f), At(Off(joint, -1, offset), s0, 0.5f),
             At(Off(joint, 1, offset), s1, 0.5f)},
            {At(Off(joint, -1, offset), s0, 0.5f), At(Off(joint, 1, offset), s1, 0.5f),
             At(Off(end, -1, offset), s0, 0.0f), At(Off(end, 1, offset), s1, 0.0f)}};
}

class PeopleDrawing : public HeadlessGlTest {
protected:
    static constexpr unsigned int G = 0; // person 0
};

// A figure laid out on the axes at z = 0, so that every direction is exact
// and every vertex comes back bit for bit.
const Point Upright[ParticlesPerPerson] = {
    {0, 0.5, 0}, // head
    {0, 0.25, 0}, // neck
    {0.25, 0.125, 0}, // shoulder of arm 1
    {-0.25, 0.125, 0}, // shoulder of arm 0
    {0.5, 0.125, 0}, // elbow 1: arm 1 straight out to the right
    {0.75, 0.125, 0}, // hand 1
    {-0.25, -0.125, 0}, // elbow 0: arm 0 hanging
    {-0.25, -0.375, 0}, // hand 0
    {0, 0, 0}, // pelvis
    {-0.25, -0.25, 0}, // hip of leg 1
    {0, -0.25, 0}, // hip of leg 0
    {-0.25, -0.5, 0}, // knee 1
    {-0.25, -0.75, 0}, // foot 1
    {0, -0.5, 0}, // knee 0
    {0, -0.75, 0}, // foot 0
};

} // namespace

TEST_F(PeopleDrawing, UprightFigureComesOutExactly)
{
    Place(G, Upright);
    const Point* P = Upright;
    // Neck to head is +y, the shoulder line -x, so the side vector is -x.
    const Point up = {0, 1, 0}, left = {-1, 0, 0};

    ExpectStrips(RecordTriangles([] { DrawHead(G); }), {HeadStrip(P[0], Off({0, 0, 0}, HeadHalf, up),
                                                                  Off({0, 0, 0}, HeadHalf, left))},
                 0.0f);

    // The top edge moves up by neck - shoulder midpoint = 0.125.
    ExpectStrips(RecordTriangles([] { DrawTorso(G); }),
                 {{At({-0.25, 0.25, 0}, 0.2f, 1.0f), At({0.25, 0.25, 0}, 0.4f, 1.0f), At(P[9], 0.2f, 0.0f),
                   At(P[10], 0.4f, 0.0f)}},
                 0.0f);

    // Knee 0 at x = 0 shows the leg's half-width itself: one step below the
    // float nearest 0.007375.
    const Point legOffset = Off({0, 0, 0}, LegHalf, left);
    const Point hips = Mid(P[9], P[10]);
    ExpectStrips(RecordTriangles([] { DrawLeg(G, 0); }), LimbStrips(P[10], hips, P[13], P[14], legOffset, 0.4f, 0.6f),
                 0.0f);
    ExpectStrips(RecordTriangles([] { DrawLeg(G, 1); }), LimbStrips(hips, P[9], P[11], P[12], legOffset, 0.6f, 0.4f),
                 0.0f);
    // Any side other than 0 is leg 1.
    ExpectStrips(RecordTriangles([] { DrawLeg(G, 7); }), LimbStrips(hips, P[9], P[11], P[12], legOffset, 0.6f, 0.4f),
                 0.0f);

    // Arm 0 hangs (+y from elbow to shoulder): width along +x. Arm 1 points
    // right (-x from elbow to shoulder): width along +y.
    ExpectStrips(RecordTriangles([] { DrawArm(G, 0); }),
                 LimbStrips(Off(P[3], -ArmHalf, {1, 0, 0}), Off(P[3], ArmHalf, {1, 0, 0}), P[6], P[7],
                            Off({0, 0, 0}, ArmHalf, {1, 0, 0}), 0.6f, 0.8f),
                 0.0f);
    ExpectStrips(RecordTriangles([] { DrawArm(G, 1); }),
                 LimbStrips(Off(P[2], -ArmHalf, {0, 1, 0}), Off(P[2], ArmHalf, {0, 1, 0}), P[4], P[5],
                            Off({0, 0, 0}, ArmHalf, {0, 1, 0}), 0.8f, 0.6f),
                 0.0f);
    EXPECT_NE(LegHalf, 0.007375f);
}

TEST_F(PeopleDrawing, SidesFollowTheShoulderLineAndTheFirstBoneOfEachLimb)
{
    // Directions on 3-4-5 triangles, away from the axes and out of the
    // plane z = 0; the shin and the forearm bend away from their first bone.
    const Point P[ParticlesPerPerson] = {
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
    Place(G, P);
    const float tolerance = 1e-6f;

    // The head's side vector is the shoulder line less its part along the
    // head: (-1, 0, 0) + 0.6 * (0.6, 0.8, 0) = (-0.64, 0.48, 0), of length
    // 0.8, so the head is only 0.8 as wide as it is long.
    ExpectStrips(RecordTriangles([] { DrawHead(G); }),
                 {HeadStrip(P[0], Off({0, 0, 0}, HeadHalf, {0.6, 0.8, 0}), Off({0, 0, 0}, HeadHalf, {-0.64, 0.48, 0}))},
                 tolerance);

    ExpectStrips(RecordTriangles([] { DrawTorso(G); }),
                 {{At({-0.2, 0.5, 0.2}, 0.2f, 1.0f), At({0.2, 0.5, 0.2}, 0.4f, 1.0f), At(P[9], 0.2f, 0.0f),
                   At(P[10], 0.4f, 0.0f)}},
                 tolerance);

    const Point hips = Mid(P[9], P[10]);
    ExpectStrips(RecordTriangles([] { DrawLeg(G, 0); }),
                 LimbStrips(P[10], hips, P[13], P[14], Off({0, 0, 0}, LegHalf, {-0.64, 0.48, 0}), 0.4f, 0.6f),
                 tolerance);
    ExpectStrips(RecordTriangles([] { DrawLeg(G, 1); }),
                 LimbStrips(hips, P[9], P[11], P[12], Off({0, 0, 0}, LegHalf, {-1, 0, 0}), 0.6f, 0.4f), tolerance);

    // Arm 1: u = (-0.6, 0.8, 0), width along (u.y, -u.x, 0) = (0.8, 0.6, 0),
    // and the forearm keeps it though it turns towards z.
    const Point armOffset = Off({0, 0, 0}, ArmHalf, {0.8, 0.6, 0});
    ExpectStrips(RecordTriangles([] { DrawArm(G, 1); }),
                 LimbStrips(Off(P[2], -1, armOffset), Off(P[2], 1, armOffset), P[4], P[5], armOffset, 0.8f, 0.6f),
                 tolerance);
    // Arm 0 points along z: no width at all, whatever the shoulders do.
    ExpectStrips(RecordTriangles([] { DrawArm(G, 0); }), LimbStrips(P[3], P[3], P[6], P[7], {0, 0, 0}, 0.6f, 0.8f),
                 tolerance);
}

TEST_F(PeopleDrawing, DegenerateFiguresDrawNothingWide)
{
    Point P[ParticlesPerPerson];
    for (int k = 0; k < ParticlesPerPerson; ++k)
        P[k] = Upright[k];
    P[1] = P[0]; // head on the neck
    P[13] = P[10]; // knee 0 on hip 0
    P[6] = P[3]; // elbow 0 on shoulder 0
    Place(G, P);
    const Point none = {0, 0, 0};

    // Every head vertex falls on the head particle: nothing to fill.
    ExpectStrips(RecordTriangles([] { DrawHead(G); }), {HeadStrip(P[0], none, none)}, 0.0f);
    ExpectStrips(RecordTriangles([] { DrawLeg(G, 0); }), LimbStrips(P[10], Mid(P[9], P[10]), P[13], P[14], none, 0.4f, 0.6f),
                 0.0f);
    ExpectStrips(RecordTriangles([] { DrawArm(G, 0); }), LimbStrips(P[3], P[3], P[6], P[7], none, 0.6f, 0.8f), 0.0f);

    // A head along the shoulder line has a zero side vector: a line.
    P[1] = {0.25, 0.5, 0};
    P[2] = {0.5, 0.5, 0};
    P[3] = {-0.5, 0.5, 0};
    Place(G, P);
    ExpectStrips(RecordTriangles([] { DrawHead(G); }), {HeadStrip(P[0], {-HeadHalf, 0, 0}, none)}, 0.0f);

    // And on screen a head on its neck leaves the buffer as it was.
    P[1] = P[0];
    Place(G, P);
    glViewport(0, 0, Width, Height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawHead(G);
    std::vector<uint8_t> pixels = HeadlessReadPixels();
    int lit = 0;
    for (size_t i = 0; i < pixels.size(); i += 4)
        lit += pixels[i] | pixels[i + 1] | pixels[i + 2] ? 1 : 0;
    EXPECT_EQ(lit, 0);
}

TEST_F(PeopleDrawing, EveryBodyPartTurnsOnBlendingAndTheAlphaTestAndLeavesThem)
{
    Place(G, Upright);
    void (*const parts[])() = {[] { DrawHead(G); }, [] { DrawTorso(G); }, [] { DrawLeg(G, 0); },
                               [] { DrawArm(G, 1); }};
    for (auto part : parts) {
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        glBlendFunc(GL_ONE, GL_ZERO);
        glAlphaFunc(GL_ALWAYS, 0.0f);
        glColor4f(0.2f, 0.3f, 0.4f, 0.5f);
        part();
        EXPECT_TRUE(glIsEnabled(GL_BLEND));
        EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
        GLint value = 0;
        glGetIntegerv(GL_BLEND_SRC, &value);
        EXPECT_EQ(value, GL_SRC_ALPHA);
        glGetIntegerv(GL_BLEND_DST, &value);
        EXPECT_EQ(value, GL_ONE_MINUS_SRC_ALPHA);
        glGetIntegerv(GL_ALPHA_TEST_FUNC, &value);
        EXPECT_EQ(value, GL_GREATER);
        GLfloat reference = 0;
        glGetFloatv(GL_ALPHA_TEST_REF, &reference);
        EXPECT_FLOAT_EQ(reference, 0.9f);
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_EQ(colour[0] + colour[1] + colour[2] + colour[3], 4.0f) << "white left current";
    }
}

TEST_F(PeopleDrawing, CrowdIsDrawnPersonByPersonInPartOrder)
{
    // The first and the last people are the upright figure, shrunk and
    // pushed back by their index so that the depth of a vertex tells whose
    // it is; everybody else stands outside the view and is clipped away.
    const int shown[] = {0, 1, 2, PeopleCount - 2, PeopleCount - 1};
    for (int p = 0; p < PeopleCount; ++p) {
        Point P[ParticlesPerPerson];
        for (int k = 0; k < ParticlesPerPerson; ++k)
            P[k] = {Upright[k].x * 0.5 + 5.0, Upright[k].y * 0.5, 0.0};
        Place(unsigned(p * ParticlesPerPerson), P);
    }
    for (int p : shown) {
        Point P[ParticlesPerPerson];
        for (int k = 0; k < ParticlesPerPerson; ++k)
            P[k] = {Upright[k].x * 0.5, Upright[k].y * 0.5, p / 2048.0};
        Place(unsigned(p * ParticlesPerPerson), P);
    }
    // A whole crowd's vertices fill Mesa's immediate-mode buffer more than
    // once, and in feedback mode its software driver drops the full buffer
    // without freeing it: tests/lsan.supp names that leak for the sanitizer
    // runs.
    std::vector<FedTriangle> triangles = RecordTriangles([] { DrawPeople(); });
    ASSERT_EQ(triangles.size(), std::size(shown) * 10 * 2);
    // Head, torso, leg 0 (two strips), leg 1, arm 0, arm 1: the s of the
    // first two vertices of each strip. Leg 1 and arm 1 start on the far
    // edge of their band.
    const float firstS[10] = {0.0f, 0.2f, 0.4f, 0.4f, 0.6f, 0.6f, 0.6f, 0.6f, 0.8f, 0.8f};
    const float secondS[10] = {0.2f, 0.4f, 0.6f, 0.6f, 0.4f, 0.4f, 0.8f, 0.8f, 0.6f, 0.6f};
    for (size_t strip = 0; strip < triangles.size() / 2; ++strip) {
        const FedTriangle& first = triangles[2 * strip];
        int person = shown[strip / 10], part = int(strip % 10);
        EXPECT_EQ(first[0].s, firstS[part]) << "strip " << strip;
        EXPECT_EQ(first[1].s, secondS[part]) << "strip " << strip;
        EXPECT_NEAR(first[0].z, person / 2048.0f, 1e-6f) << "strip " << strip << " belongs to person " << person;
    }
}
