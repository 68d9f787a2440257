#pragma once

// A 24-bit uncompressed bottom-up BMP file, read whole. Returns the pixel
// data and hands back the info block (header and any colour table) through
// outInfo; both are malloc'ed and the caller frees them. Returns null, with
// nothing left allocated, for a missing, truncated or malformed file.
unsigned char* ReadBitmapFile(const char* fileName, unsigned char** outInfo);

// The pixels as packed RGBA rows in file order; texels of the colour key
// (255, 0, 255) get alpha 0, all others 255. Null if allocation fails.
unsigned char* BitmapToRgba(const unsigned char* info, const unsigned char* pixels);

// Width and height fields of an info block that ReadBitmapFile accepted.
int BitmapWidth(const unsigned char* info);
int BitmapHeight(const unsigned char* info);
