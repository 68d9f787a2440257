#pragma once

#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "render/gl.h"

// Records what drawing code sends to OpenGL through GL's feedback mode: each
// vertex with its colour and texture coordinates. Identity matrices and a
// 2 x 2 viewport at (-1, -1) give back x as the code passed it; y comes back
// through the framebuffer's height (the driver flips it), so only within
// FedRounding; z comes back through the depth range, (z + 1) / 2.

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

using FedPrimitive = std::vector<FedVertex>;

struct Fed {
    std::vector<FedPrimitive> polygons;
    std::vector<FedPrimitive> lines; // two vertices each
};

constexpr float FedRounding = 1.0f / 65536.0f;

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
        int n = token == GL_POLYGON_TOKEN ? int(buffer[i++])
                : token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN ? 2
                : token == GL_PASS_THROUGH_TOKEN ? 0
                                                 : 1;
        FedPrimitive primitive;
        for (int k = 0; k < n; ++k, i += VertexFloats)
            primitive.push_back(vertex(i));
        if (token == GL_PASS_THROUGH_TOKEN)
            i += 1;
        else if (n >= 3)
            fed.polygons.push_back(primitive);
        else if (n == 2)
            fed.lines.push_back(primitive);
    }
    return fed;
}

// Whether v lies within tolerance of (x, y, z), y within the rounding more.
inline bool Near(const FedVertex& v, float x, float y, float z, float tolerance)
{
    auto near = [](float p, float q, float within) { return p - q <= within && q - p <= within; };
    return near(v.x, x, tolerance) && near(v.y, y, tolerance + FedRounding) && near(v.z, z, tolerance);
}
