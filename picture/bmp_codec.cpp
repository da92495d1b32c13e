#include "picture/bmp_codec.h"

#include <filesystem>

#include "core/whole_file.h"
#include "picture/bmp_file.h"
#include "picture/pixels.h"
#include "picture/png_file.h"

namespace kx {

bool BmpCodec::Load(std::u16string_view path, Bitmap& out) {
    out = {};
    std::string bytes;
    return ReadWholeFile(std::filesystem::path(std::u16string(path)), bytes) && LoadMemory(bytes, out);
}

bool BmpCodec::LoadMemory(std::string_view bytes, Bitmap& out) {
    if (DecodeBmpFile(bytes, out) && WithinLimit(uint64_t(out.width), uint64_t(out.height))) return true;
    out = {};
    return false;
}

bool BmpCodec::Resample(const Bitmap& in, int width, int height, Bitmap& out) {
    return ResampleBitmap(in, width, height, out);
}

bool BmpCodec::SaveBmp(const Bitmap& in, std::u16string_view path) {
    std::string bytes;
    return EncodeBmp(in, bytes) && WriteWholeFile(std::filesystem::path(std::u16string(path)), bytes);
}

bool BmpCodec::EncodeBmp(const Bitmap& in, std::string& out) {
    out.clear();
    if (!IsValidBitmap(in)) return false;
    out = EncodeBmpFile(in);
    return true;
}

bool BmpCodec::EncodePng(const Bitmap& in, std::string& out) {
    out.clear();
    if (!IsValidBitmap(in)) return false;
    out = EncodeStoredPngFile(in);
    return true;
}

}  // namespace kx
