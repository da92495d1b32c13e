// PNG files without an image library: 8-bit RGBA rows in stored (not
// compressed) deflate blocks. Every PNG reader takes them; they are larger
// than a real library's, which the program uses where it has one.
#pragma once

#include <string>

#include "picture/image_codec.h"

namespace kx {

std::string EncodeStoredPngFile(const Bitmap& in);

}  // namespace kx
