#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// An OpenGL context with no window: Mesa's surfaceless EGL platform with a
// pbuffer of the given size as the default framebuffer. For tests and tools.
bool HeadlessOpen(int width, int height);
void HeadlessClose();
bool HeadlessIsOpen();

// The pbuffer's pixels, RGBA, bottom row first (as glReadPixels gives them).
std::vector<uint8_t> HeadlessReadPixels();
int HeadlessWidth();
int HeadlessHeight();
