// Makes the standing pose of "ragdoll.rag": a hand-laid figure, relaxed until
// every linked pair of roles sits at 1.8 x its base length, as closely as one
// rigid pose allows. Prints the residual of every link.
//
//   make_ragdoll OUT.rag          writes the file
//   make_ragdoll --cpp            prints the pose as the built-in table
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "world/particles.h"

namespace {

struct Point {
    double x, y, z;
};

// Template units are 1.8 x the base lengths of the skeleton.
constexpr double TemplateUnits = 1.8;

// Facing the viewer (who looks along +z), x to the viewer's right. Shoulder 2
// is on the right and hip 10 on the right too, so the physics keeps the hips
// as they are. The neck leans slightly towards the viewer: a flat figure
// cannot give both neck links and both shoulder-to-pelvis links their lengths.
const Point Guess[ParticlesPerPerson] = {
    {0.0, 0.080, -0.008}, // head
    {0.0, 0.071, -0.008}, // neck
    {0.036, 0.054, 0.0}, // shoulder of arm 1
    {-0.036, 0.054, 0.0}, // shoulder of arm 0
    {0.046, 0.020, 0.0}, // elbow of arm 1
    {0.050, -0.007, 0.0}, // hand of arm 1
    {-0.046, 0.020, 0.0}, // elbow of arm 0
    {-0.050, -0.007, 0.0}, // hand of arm 0
    {0.0, 0.0, 0.0}, // pelvis
    {-0.027, -0.018, 0.0}, // hip of leg 1
    {0.027, -0.018, 0.0}, // hip of leg 0
    {-0.028, -0.067, 0.0}, // knee of leg 1
    {-0.028, -0.103, 0.0}, // foot of leg 1
    {0.028, -0.067, 0.0}, // knee of leg 0
    {0.028, -0.103, 0.0}, // foot of leg 0
};

double Distance(const Point& a, const Point& b)
{
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

// Each bone's target: the mean of the template lengths its two links ask for
// (they differ only on the thigh, 0.045 against 0.054).
double Target(int a, int b)
{
    double sum = 0.0;
    int count = 0;
    for (int from : {a, b}) {
        int to = from == a ? b : a;
        const SkeletonEntry& s = Skeleton[from];
        for (int j = 0; j < s.linkCount; ++j) {
            if (s.target[j] == to) {
                sum += double(s.restLength[j]) / 0.59 * TemplateUnits;
                ++count;
            }
        }
    }
    return sum / count;
}

// Jacobi relaxation keeps the figure as symmetric as its guess.
void Relax(Point (&pose)[ParticlesPerPerson])
{
    for (int iteration = 0; iteration < 200000; ++iteration) {
        Point shift[ParticlesPerPerson] = {};
        for (int a = 0; a < ParticlesPerPerson; ++a) {
            for (int j = 0; j < Skeleton[a].linkCount; ++j) {
                int b = Skeleton[a].target[j];
                double length = Distance(pose[a], pose[b]);
                double pull = 0.25 * (length - Target(a, b)) / length;
                shift[a].x -= pull * (pose[a].x - pose[b].x);
                shift[a].y -= pull * (pose[a].y - pose[b].y);
                shift[a].z -= pull * (pose[a].z - pose[b].z);
            }
        }
        for (int k = 0; k < ParticlesPerPerson; ++k) {
            if (k == Pelvis)
                continue;
            pose[k].x += shift[k].x;
            pose[k].y += shift[k].y;
            pose[k].z += shift[k].z;
        }
    }
}

void PrintResiduals(const float (&pose)[ParticlesPerPerson][3])
{
    std::fprintf(stderr, "link            template  wanted    residual  (world units)\n");
    for (int a = 0; a < ParticlesPerPerson; ++a) {
        for (int j = 0; j < Skeleton[a].linkCount; ++j) {
            int b = Skeleton[a].target[j];
            Point pa = {pose[a][0], pose[a][1], pose[a][2]};
            Point pb = {pose[b][0], pose[b][1], pose[b][2]};
            double length = Distance(pa, pb);
            double wanted = double(Skeleton[a].restLength[j]) / 0.59 * TemplateUnits;
            std::fprintf(stderr, "%2d -> %2d        %.6f  %.6f  %+.1e  (%+.1e)\n", a, b, length, wanted,
                         length - wanted, (length - wanted) * double(TemplateScale));
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_ragdoll OUT.rag | --cpp\n");
        return 2;
    }
    Point pose[ParticlesPerPerson];
    std::memcpy(pose, Guess, sizeof pose);
    Relax(pose);

    float rounded[ParticlesPerPerson][3];
    for (int k = 0; k < ParticlesPerPerson; ++k) {
        rounded[k][0] = float(pose[k].x);
        rounded[k][1] = float(pose[k].y);
        rounded[k][2] = float(pose[k].z);
    }
    PrintResiduals(rounded);

    if (std::strcmp(argv[1], "--cpp") == 0) {
        for (int k = 0; k < ParticlesPerPerson; ++k)
            std::printf("    {%af, %af, %af, 0.0f},\n", rounded[k][0], rounded[k][1], rounded[k][2]);
        return 0;
    }
    FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::fprintf(stderr, "make_ragdoll: cannot write %s\n", argv[1]);
        return 1;
    }
    for (int k = 0; k < ParticlesPerPerson; ++k) {
        const float record[4] = {rounded[k][0], rounded[k][1], rounded[k][2], 0.0f};
        // Little-endian floats, as the game reads them.
        for (float value : record) {
            unsigned char bytes[4];
            std::memcpy(bytes, &value, 4);
            std::fwrite(bytes, 1, 4, out);
        }
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
