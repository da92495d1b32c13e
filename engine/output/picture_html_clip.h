// Builds the "HTML Format" clip of a picture shortcut: an <img> tag with the
// picture as an inline PNG.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/shortcut_store.h"
#include "engine/output/png_encoder.h"

namespace kx {

// What the clip needs of a picture shortcut's RTF document.
struct PictureDescription {
    std::u16string fileName;       // the \*\KestrixFileName title, at most 259 units
    int width = 0;                 // \picwgoal in pixels
    int height = 0;                // \pichgoal in pixels
    std::vector<uint8_t> picture;  // the hexadecimal picture data, decoded
};

// False when the name, a size, or the picture data is missing, zero or not
// well-formed.
bool ReadPictureDescription(std::string_view rtf, PictureDescription& out);

// The HTML document around the PNG bytes.
std::string MakePictureHtml(int width, int height, std::string_view png);

// The clip of a picture RTF; empty when the description cannot be read or
// the encoder fails.
std::string PictureHtmlClip(std::string_view rtf, PngEncoder& encoder);

// Fills the entry's htmlClip from its picture RTF; false, with htmlClip
// empty, when the description cannot be read or the encoder fails.
bool BuildPictureHtmlClip(ShortcutEntry& entry, PngEncoder& encoder);

}  // namespace kx
