// The bitmap inside a picture shortcut's metafile: the stored document draws
// its picture with one stretch-blit record that carries a device-independent
// bitmap, and the browser clip and the editor need that bitmap back as a BMP
// file an image codec reads.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kx {

// Finds the first stretch-blit (or stretch-DIB) record of `metafile` and
// writes its bitmap as a whole BMP file, 14-byte file header first. False
// when the metafile is damaged or draws no bitmap.
bool BmpFileOfMetafile(std::span<const uint8_t> metafile, std::string& bmpFile);

}  // namespace kx
