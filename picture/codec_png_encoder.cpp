#include "picture/codec_png_encoder.h"

#include "picture/metafile_bitmap.h"

namespace kx {

bool CodecPngEncoder::RenderPng(const std::vector<uint8_t>& picture, std::string& png) {
    png.clear();
    std::lock_guard<std::mutex> hold(lock_);
    if (!codec_ && make_) {
        codec_ = make_();
        if (codec_) codec_->LimitSide(kMaxRenderedSide);
    }
    if (!codec_) return false;
    Bitmap bitmap;
    std::string bmp;
    const bool decoded =
        BmpFileOfMetafile(picture, bmp)
            ? codec_->LoadMemory(bmp, bitmap)
            : codec_->LoadMemory(std::string_view(reinterpret_cast<const char*>(picture.data()), picture.size()),
                                 bitmap);
    if (!decoded || bitmap.width <= 0 || bitmap.height <= 0) return false;
    return codec_->EncodePng(bitmap, png) && !png.empty();
}

}  // namespace kx
