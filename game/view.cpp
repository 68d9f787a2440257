#include "game/view.h"

#include "world/globals.h"
#include "render/gl.h"
#include "render/texture.h"
#include "world/round.h"

namespace {

Matrix MakeViewMatrix()
{
    Matrix m;
    m.m[11] = 1.3f;
    return m;
}

} // namespace

const Matrix ViewMatrix = MakeViewMatrix();

void SetUpRendering()
{
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_GREATER);
    glClearDepth(0.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    LoadFaceTexture();
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    ResetRound();
    // Square, so the projection needs no aspect correction; on a wide
    // display its top part lies above the window.
    glViewport(0, 0, ScreenWidth, ScreenWidth);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1.0, 1.0, -1.0, 1.0, -2.0, 2.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void SetUpScene()
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glDepthFunc(GL_GREATER);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMultMatrixf(ViewMatrix.m);
}
