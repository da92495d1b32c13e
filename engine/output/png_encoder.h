// The image library's part in the picture clip: rendering a shortcut's
// picture (the metafile bytes of its RTF) as a PNG image in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kx {

class PngEncoder {
public:
    virtual ~PngEncoder() = default;
    // Fills `png` with the PNG file bytes. False when the picture cannot be
    // decoded or encoded.
    virtual bool RenderPng(const std::vector<uint8_t>& picture, std::string& png) = 0;
};

}  // namespace kx
