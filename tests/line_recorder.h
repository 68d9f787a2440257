#pragma once

#include <cmath>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "render/gl.h"

// Records the line segments that drawing code sends to OpenGL, through GL's
// feedback mode, in the order they were drawn. With UseIdentityView the
// recorded coordinates are the coordinates the code passed in.

struct RecordedLine {
    float x0, y0, z0;
    float x1, y1, z1;
    float r, g, b, a; // colour of the first vertex
};

inline std::ostream& operator<<(std::ostream& out, const RecordedLine& l)
{
    return out << "(" << l.x0 << ", " << l.y0 << ", " << l.z0 << ") - (" << l.x1 << ", " << l.y1 << ", " << l.z1
               << ")";
}

// Identity projection and modelview over the whole pbuffer, nothing that
// would hide or tint a line.
inline void UseIdentityView(int width, int height)
{
    glViewport(0, 0, width, height);
    glDepthRange(0.0, 1.0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_CULL_FACE);
    glLineWidth(1.0f);
}

// Runs draw in feedback mode and returns the lines it drew, converted back
// from window coordinates of a viewport at the origin of the given size.
template <class Draw>
std::vector<RecordedLine> RecordLines(int width, int height, Draw&& draw)
{
    static std::vector<GLfloat> buffer(1 << 18);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    GLint count = glRenderMode(GL_RENDER);
    std::vector<RecordedLine> lines;
    EXPECT_GE(count, 0) << "feedback buffer overflowed";
    if (count < 0)
        return lines;

    const int vertexFloats = 7; // x, y, z, r, g, b, a
    auto vertex = [&](int at, float* xyz) {
        xyz[0] = buffer[at] / (width * 0.5f) - 1.0f;
        xyz[1] = buffer[at + 1] / (height * 0.5f) - 1.0f;
        xyz[2] = buffer[at + 2] * 2.0f - 1.0f;
    };
    for (int i = 0; i < count;) {
        GLint token = GLint(buffer[i++]);
        if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            RecordedLine l;
            float a[3], b[3];
            vertex(i, a);
            vertex(i + vertexFloats, b);
            l.x0 = a[0], l.y0 = a[1], l.z0 = a[2];
            l.x1 = b[0], l.y1 = b[1], l.z1 = b[2];
            l.r = buffer[i + 3], l.g = buffer[i + 4], l.b = buffer[i + 5], l.a = buffer[i + 6];
            lines.push_back(l);
            i += 2 * vertexFloats;
        } else if (token == GL_POLYGON_TOKEN) {
            int n = int(buffer[i++]);
            i += n * vertexFloats;
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            i += 1;
        } else {
            // points, bitmaps and pixel operations carry one vertex
            i += vertexFloats;
        }
    }
    return lines;
}

// Feedback goes through window coordinates; this much is lost on the way.
constexpr float RecordTolerance = 2e-5f;

inline bool SameLine(const RecordedLine& a, const RecordedLine& b)
{
    auto near = [](float p, float q) { return std::fabs(p - q) <= RecordTolerance; };
    return near(a.x0, b.x0) && near(a.y0, b.y0) && near(a.z0, b.z0) && near(a.x1, b.x1) && near(a.y1, b.y1) &&
           near(a.z1, b.z1);
}

// Expects exactly the lines of want, in that order.
inline void ExpectSameLines(const std::vector<RecordedLine>& got, const std::vector<RecordedLine>& want)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_TRUE(SameLine(got[i], want[i])) << "line " << i << ": got " << got[i] << ", want " << want[i];
}
