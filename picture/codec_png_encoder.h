// The browser clip's PNG made through the image codec: the bitmap of the
// picture's metafile, decoded and written again as PNG.
#pragma once

#include <functional>
#include <memory>
#include <mutex>

#include "engine/output/png_encoder.h"
#include "picture/image_codec.h"

namespace kx {

// The largest picture side rendered for an expansion: a stored picture may
// come from a shared file that anyone could write.
inline constexpr uint32_t kMaxRenderedSide = 4096;

class CodecPngEncoder final : public PngEncoder {
public:
    // The codec is made on first use, on the thread that renders: the
    // system's codec must be used where it was made.
    using CodecFactory = std::function<std::unique_ptr<ImageCodec>()>;
    explicit CodecPngEncoder(CodecFactory make = MakeSystemImageCodec) : make_(std::move(make)) {}

    // `picture` is the metafile of the stored document; a picture file the
    // codec reads directly (a PNG or JPEG kept by another writer) is taken
    // as it is. Either is refused when a side exceeds kMaxRenderedSide.
    bool RenderPng(const std::vector<uint8_t>& picture, std::string& png) override;

private:
    CodecFactory make_;
    std::unique_ptr<ImageCodec> codec_;
    std::mutex lock_;
};

}  // namespace kx
