#include "render/room.h"

#include "world/globals.h"
#include "render/font.h"
#include "render/gl.h"
// Upward, by the game's rules: the playing scene lights a pending fuse
// between drawing the marker and the room.
#include "sim/fuse.h"

namespace {

struct RoomVertex {
    float x, y, z, s, t;
};

// Left wall, right wall, floor, back wall; all in the room band of the
// texture. The front and the top stay open.
const RoomVertex RoomQuads[4][4] = {
    {{-1, 1, 0, 0.8f, 0}, {-1, -1, 0, 1, 0}, {-1, 1, 1, 0.8f, 1}, {-1, -1, 1, 1, 1}},
    {{1, 1, 0, 0.8f, 0}, {1, -1, 0, 1, 0}, {1, 1, 1, 0.8f, 1}, {1, -1, 1, 1, 1}},
    {{-1, -1, 0, 0.8f, 0}, {1, -1, 0, 1, 0}, {-1, -1, 1, 0.8f, 1}, {1, -1, 1, 1, 1}},
    {{-1, -1, 1, 0.8f, 0}, {1, -1, 1, 1, 0}, {-1, 1, 1, 0.8f, 1}, {1, 1, 1, 1, 1}},
};

} // namespace

void DrawRoom()
{
    glEnable(GL_TEXTURE_2D);
    for (int quad = 0; quad < 4; ++quad) {
        glBegin(GL_TRIANGLE_STRIP);
        if (quad == 0)
            glColor4f(0.9f, 0.9f, 0.9f, 1.0f);
        for (const RoomVertex& v : RoomQuads[quad]) {
            glTexCoord2f(v.s, v.t);
            glVertex3f(v.x, v.y, v.z);
        }
        glEnd();
    }
}

void DrawCursorMarker()
{
    float x = CursorX;
    float z = CursorZ + 0.8f;
    glDisable(GL_TEXTURE_2D);
    // No colour of its own: it takes whatever the last frame left current.
    glBegin(GL_TRIANGLE_STRIP);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(x, -0.9f, z);
    glVertex3f(x - 0.05f, -0.8f, z);
    glVertex3f(x + 0.05f, -0.8f, z);
    glEnd();
    glBegin(GL_LINES);
    glVertex3f(x, -0.8f, -1.0f);
    glVertex3f(x, -0.8f, 1.0f);
    glVertex3f(-1.0f, -0.8f, z);
    glVertex3f(1.0f, -0.8f, z);
    glEnd();
}

void DrawPlayingScene(void (*drawPeople)())
{
    glLineWidth(5.0f);
    DrawCursorMarker();
    LightFuse();
    DrawRoom();
    glEnable(GL_TEXTURE_2D);
    drawPeople();
    glDisable(GL_TEXTURE_2D);
    SetColour(1.0f, 0.0f, 0.0f, 1.0f);
    DrawNumber(PlayerScore, Vec4(0.95f, 0.0f, 0.15f), 0.05f);
    DrawString("score", 5, Vec4(0.95f, 0.15f, 0.15f), 0.05f);
}
