#include "render/people.h"

#include "render/body_parts.h"
#include "render/gl.h"
#include "world/particles.h"

namespace {

constexpr int CrowdStrips = PeopleCount * StripsPerPerson;
constexpr int CrowdVertices = CrowdStrips * VerticesPerStrip;
// A strip v0 v1 v2 v3 is the triangles (v0, v1, v2) and (v2, v1, v3).
constexpr int IndicesPerStrip = 6;
constexpr int CrowdIndices = CrowdStrips * IndicesPerStrip;
static_assert(CrowdVertices <= 65536, "the crowd's vertices are indexed with unsigned shorts");

// The whole crowd's strips, filled anew every frame; kept for the game's
// life so that no frame allocates.
StripVertex Crowd[CrowdVertices];

// Every strip as its two triangles, in the driver's own order for a strip,
// so that each triangle is rasterized as it would be from the strip.
struct StripTriangles {
    GLushort indices[CrowdIndices];

    StripTriangles()
    {
        for (int strip = 0; strip < CrowdStrips; ++strip) {
            int v = strip * VerticesPerStrip;
            const int triangles[IndicesPerStrip] = {v, v + 1, v + 2, v + 2, v + 1, v + 3};
            for (int k = 0; k < IndicesPerStrip; ++k)
                indices[strip * IndicesPerStrip + k] = GLushort(triangles[k]);
        }
    }
};

const StripTriangles Triangles;

} // namespace

void DrawPeople()
{
    for (unsigned int g = 0; g < ParticleCount; g += ParticlesPerPerson)
        PersonStrips(g, Crowd + g / ParticlesPerPerson * VerticesPerPerson);

    // The state every body part is drawn with, and the colour the texture is
    // modulated by; all stay in force after the crowd.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glAlphaFunc(GL_GREATER, 0.9f);
    glEnable(GL_ALPHA_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(StripVertex), &Crowd[0].x);
    glTexCoordPointer(2, GL_FLOAT, sizeof(StripVertex), &Crowd[0].s);
    glDrawElements(GL_TRIANGLES, CrowdIndices, GL_UNSIGNED_SHORT, Triangles.indices);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}
