#pragma once

// Reads "face.bmp", converts it and uploads it as the one texture, in the
// default texture object. Without a usable file the texture is one white
// texel, so everything still shows in its vertex colours.
void LoadFaceTexture();
