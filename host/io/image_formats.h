// The two template image layouts no Debian-packaged library writes as the
// palette needs them: Photoshop (psd) and QuickDraw picture (pct) files of
// 8-bit RGBA pixels.
//
// Hand-written because the packaged writer at hand (ImageMagick) changes the
// colour of translucent pixels in its psd files, and writing both layouts is
// a page of code each; tests/host/image_formats_test.cpp reads every file
// back with third-party readers (stb_image for psd, ImageMagick for both)
// and compares the pixels.
#pragma once

#include <string>

#include "frame/sdk/image.h"

namespace host {

// A psd file: one merged image of four 8-bit channels (red, green, blue and
// transparency), raw, no layers. `pixels` holds width x height colours, row
// by row from the top.
std::string encode_psd(int width, int height, const kx::rgba8_class* pixels);

// A version 2 picture (with the 512-byte file header): one direct-colour
// pixel map of 32 bits (alpha, red, green, blue), each row's components
// apart and run-length packed (PackBits) as the layout prescribes for rows
// of 8 bytes or more.
std::string encode_pict(int width, int height, const kx::rgba8_class* pixels);

}  // namespace host
