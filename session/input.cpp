#include "session/input.h"

#include "world/globals.h"

void UpdateCursor(int mx, int my, int displayWidth, int displayHeight)
{
    // A display mode of no size would divide by zero; keep the last point.
    if (displayWidth < 1 || displayHeight < 1)
        return;
    double w = double(displayWidth);
    double h = double(displayHeight);
    CursorX = float(2.0 * (mx / w) - 1.0);
    CursorZ = float(-(1.25 * (my / h) - 0.2));
}
