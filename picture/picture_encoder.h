// Turns a picture file into the RTF document a picture shortcut stores: a
// metafile that stretch-blits the picture as a device-independent bitmap.
#pragma once

#include <string>
#include <string_view>

#include "picture/image_codec.h"

namespace kx {

// Neither side of a stored picture may exceed this many pixels.
inline constexpr int kMaxPictureSide = 2000;

// Encodes the picture at `path` at `width` by `height` pixels (0: the
// picture's own size; either side above 2000 makes both 2000). `out` is
// cleared first and holds the whole document on success. False when the
// picture, or its resized copy, cannot be loaded, when the file in use is
// an empty 54-byte bitmap, or when no bitmap results. The temporary copies
// go to `tempFolder` and are removed before returning.
bool EncodePicture(std::string& out, std::u16string_view path, int width, int height, ImageCodec& codec,
                   std::u16string_view tempFolder);

// The system's folder for temporary files; empty when it has none.
std::u16string SystemTempFolder();

// The file name without folder and without extension.
std::u16string_view FileTitleOf(std::u16string_view path);
// The extension with its dot (".png"), or empty.
std::u16string_view ExtensionOf(std::u16string_view path);

}  // namespace kx
