// BMP files without an image library: the reader takes the uncompressed
// forms that programs write (1, 4, 8, 16, 24 and 32 bits per pixel, either
// row order); the writer makes 24-bit bottom-up files.
#pragma once

#include <string>
#include <string_view>

#include "picture/image_codec.h"

namespace kx {

// False for anything but a well-formed uncompressed BMP file.
bool DecodeBmpFile(std::string_view bytes, Bitmap& out);

// A 24-bit BMP file with a 40-byte information header and no colour table.
std::string EncodeBmpFile(const Bitmap& in);

}  // namespace kx
