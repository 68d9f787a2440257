#include "app/events.h"

#include "app/heap_policy.h"
#include "app/input.h"
#include "game/frame.h"
#include "world/globals.h"
#include "game/view.h"
#include "render/gl.h"

void RouteCreate()
{
    KeepFreedHeapForReuse();
    FrameClock = 0.0f;
    SetUpRendering();
}

void RouteSize() { SetUpRendering(); }

void RoutePaint()
{
    RunFrame();
    glFinish();
}

void RouteMouseMove(int mx, int my, int displayWidth, int displayHeight)
{
    UpdateCursor(mx, my, displayWidth, displayHeight);
}

// A latch, not a count: presses before the next frame make one click.
void RouteLeftButtonDown(int mx, int my, int displayWidth, int displayHeight)
{
    ClickPending = 1;
    UpdateCursor(mx, my, displayWidth, displayHeight);
}
