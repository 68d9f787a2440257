#pragma once

#include <cmath>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "render/gl.h"

// Records the triangles that drawing code sends to OpenGL, through GL's
// feedback mode with colour and texture coordinates. The view is set up so
// that window coordinates equal the coordinates the code passed in: identity
// matrices and a 2 x 2 viewport at (-1, -1). Depth comes back through the
// depth range as (z + 1) / 2 and is turned back.

struct FedVertex {
    float x, y, z;
    float r, g, b, a;
    float s, t;
};

inline std::ostream& operator<<(std::ostream& out, const FedVertex& v)
{
    return out << "(" << v.x << ", " << v.y << ", " << v.z << ") st (" << v.s << ", " << v.t << ") rgba (" << v.r
               << ", " << v.g << ", " << v.b << ", " << v.a << ")";
}

using FedTriangle = std::vector<FedVertex>;

struct Fed {
    std::vector<FedTriangle> polygons;
    std::vector<FedTriangle> lines; // two vertices each
};

template <class Draw>
Fed RecordFeedback(Draw&& draw)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glViewport(-1, -1, 2, 2);
    glDepthRange(0.0, 1.0);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    static std::vector<GLfloat> buffer(1 << 20);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    GLint count = glRenderMode(GL_RENDER);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);

    Fed fed;
    EXPECT_GE(count, 0) << "feedback buffer overflowed";
    constexpr int VertexFloats = 11; // x y z, r g b a, s t r q
    auto vertex = [&](int at) {
        return FedVertex{buffer[at], buffer[at + 1], buffer[at + 2] * 2.0f - 1.0f,
                         buffer[at + 3], buffer[at + 4], buffer[at + 5], buffer[at + 6],
                         buffer[at + 7] / buffer[at + 10], buffer[at + 8] / buffer[at + 10]};
    };
    for (int i = 0; i < count;) {
        GLint token = GLint(buffer[i++]);
        if (token == GL_POLYGON_TOKEN) {
            int n = int(buffer[i++]);
            FedTriangle polygon;
            for (int k = 0; k < n; ++k, i += VertexFloats)
                polygon.push_back(vertex(i));
            fed.polygons.push_back(polygon);
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            fed.lines.push_back({vertex(i), vertex(i + VertexFloats)});
            i += 2 * VertexFloats;
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            i += 1;
        } else {
            i += VertexFloats;
        }
    }
    return fed;
}

template <class Draw>
std::vector<FedTriangle> RecordTriangles(Draw&& draw)
{
    return RecordFeedback(draw).polygons;
}

// One strip of four vertices as the code gave them.
struct WantVertex {
    float x, y, z, s, t;
};

// Window y comes back through the height of the framebuffer (the driver
// flips it), which moves it to a multiple of 1/65536 in the pbuffer the
// tests use, up to one step off; x and z come back as they went in.
constexpr float FedYRounding = 1.0f / 65536.0f;

inline bool Matches(const FedVertex& got, const WantVertex& want, float tolerance)
{
    auto near = [](float p, float q, float within) { return std::fabs(p - q) <= within; };
    return near(got.x, want.x, tolerance) && near(got.y, want.y, tolerance + FedYRounding) &&
           near(got.z, want.z, tolerance) && got.s == want.s && got.t == want.t;
}

// A four-vertex strip comes back as two triangles: (v1, v2, v3), then one
// made of v2, v3 and v4 in the order the driver keeps the winding. Every
// vertex of every strip must carry the given colour, white by default.
inline void ExpectStrips(const std::vector<FedTriangle>& got, const std::vector<std::vector<WantVertex>>& want,
                         float tolerance, float grey = 1.0f)
{
    ASSERT_EQ(got.size(), 2 * want.size()) << "triangles recorded";
    for (size_t k = 0; k < want.size(); ++k) {
        const FedTriangle& first = got[2 * k];
        const FedTriangle& second = got[2 * k + 1];
        ASSERT_EQ(first.size(), 3u);
        ASSERT_EQ(second.size(), 3u);
        for (int v = 0; v < 3; ++v)
            EXPECT_TRUE(Matches(first[v], want[k][v], tolerance))
                << "strip " << k << " vertex " << v + 1 << ": got " << first[v];
        for (int want_index : {1, 2, 3}) {
            bool found = false;
            for (const FedVertex& v : second)
                found = found || Matches(v, want[k][want_index], tolerance);
            EXPECT_TRUE(found) << "strip " << k << " second triangle lacks vertex " << want_index + 1;
        }
        for (const FedTriangle* triangle : {&first, &second})
            for (const FedVertex& v : *triangle)
                EXPECT_TRUE(v.r == grey && v.g == grey && v.b == grey && v.a == 1.0f)
                    << "strip " << k << " vertex colour " << v;
    }
}
