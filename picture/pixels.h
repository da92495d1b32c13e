// Pixel work that every codec shares: resampling and the opaque rows a
// bitmap file holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "picture/image_codec.h"

namespace kx {

// Larger pictures are refused rather than decoded: 64 million pixels is a
// quarter of a gigabyte.
inline constexpr uint64_t kMaxBitmapPixels = uint64_t(1) << 26;

bool IsValidBitmap(const Bitmap& b);

// Bytes per row of a 24-bit bitmap: three per pixel, padded to four.
inline size_t Bgr24Stride(int width) { return (size_t(width) * 3 + 3) & ~size_t(3); }

// The rows top to bottom as 24-bit blue, green, red, padded to four bytes;
// transparent pixels are laid over white, as a document page shows them.
std::vector<uint8_t> OpaqueBgr24Rows(const Bitmap& in);

// Bilinear resampling; each output pixel averages the source pixels under
// it when the picture shrinks by more than half.
bool ResampleBitmap(const Bitmap& in, int width, int height, Bitmap& out);

}  // namespace kx
