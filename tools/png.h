// Writes a picture of the screen as a PNG file, and reads one back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// rgba holds width * height pixels of four bytes, bottom row first, as
// glReadPixels returns them. The picture is written opaque, red, green and
// blue only, unless withAlpha: a framebuffer's alpha never shows on screen,
// and kept it would make the cleared background see-through. Returns false
// if the size is out of range, the file cannot be written or libpng fails; a
// failed write leaves no file.
bool WritePng(const std::string& path, int width, int height, const std::uint8_t* rgba, bool withAlpha = false);

// The picture in a PNG file as RGBA, top row first, with its size; nothing,
// and a size of 0 by 0, if the file cannot be read.
std::vector<std::uint8_t> ReadPng(const std::string& path, int* width, int* height);
