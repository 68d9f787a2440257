#pragma once

// Sets CursorX and CursorZ from a client-area position in pixels (mx, my)
// and the current display mode's size, which is not the window's size.
void UpdateCursor(int mx, int my, int displayWidth, int displayHeight);
