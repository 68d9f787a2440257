#pragma once

#include <cstdio>

// A BMP file, read whole from an open file, which it closes: returns the
// pixel data and hands back the info block (header and any colour table)
// through outInfo; both are malloc'ed and the caller frees them. Returns
// null, with nothing left allocated and outInfo null, for a null or
// truncated file, an info block shorter than 40 bytes, a width or height
// below 1 (top-down bitmaps included) or beyond 32768, more than 2^26
// pixels, or pixel data too short for the rows the header announces.
unsigned char* ReadBitmapFile(std::FILE* file, unsigned char** outInfo);

// The pixels as packed RGBA rows in file order, from an info block and
// pixels that ReadBitmapFile returned; texels of the colour key (255, 0, 255)
// get alpha 0, all others 255. A bitmap that is not 24-bit uncompressed
// comes out all transparent black. Null if allocation fails.
unsigned char* BitmapToRgba(const unsigned char* info, const unsigned char* pixels);

// Width and height fields of an info block that ReadBitmapFile accepted.
int BitmapWidth(const unsigned char* info);
int BitmapHeight(const unsigned char* info);
