// The image codec of the Linux tools: BMP files only, read and written by
// the program's own code, with PNG output for the browser clip.
#pragma once

#include "picture/image_codec.h"

namespace kx {

class BmpCodec : public ImageCodec {
public:
    bool Load(std::u16string_view path, Bitmap& out) override;
    bool LoadMemory(std::string_view bytes, Bitmap& out) override;
    bool Resample(const Bitmap& in, int width, int height, Bitmap& out) override;
    bool SaveBmp(const Bitmap& in, std::u16string_view path) override;
    bool EncodeBmp(const Bitmap& in, std::string& out) override;
    bool EncodePng(const Bitmap& in, std::string& out) override;
};

}  // namespace kx
