#pragma once

// The one place that pulls in the OpenGL 1.x header; Windows needs its own
// header first for the calling conventions.
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif
#include <GL/gl.h>
