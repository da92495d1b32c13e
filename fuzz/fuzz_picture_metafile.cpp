// Feeds arbitrary bytes to the reader of a stored picture's metafile, which
// every database load runs for every picture shortcut. Beside crashes and
// sanitizer reports it checks that a bitmap found is a whole BMP file: its
// size field and pixel offset lie within what was returned.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "engine/output/picture_html_clip.h"
#include "picture/bmp_file.h"
#include "picture/metafile_bitmap.h"

namespace {

uint32_t Le32(const std::string& b, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= uint32_t(uint8_t(b[at + i])) << (8 * i);
    return v;
}

void CheckBitmap(std::span<const uint8_t> metafile) {
    std::string bmp;
    if (!kx::BmpFileOfMetafile(metafile, bmp)) {
        if (!bmp.empty()) std::abort();
        return;
    }
    if (bmp.size() < 26 || bmp[0] != 'B' || bmp[1] != 'M' || Le32(bmp, 2) != bmp.size() || Le32(bmp, 10) > bmp.size())
        std::abort();
    kx::Bitmap decoded;
    kx::DecodeBmpFile(bmp, decoded);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The bytes as a metafile, and as a stored document around one.
    CheckBitmap(std::span<const uint8_t>(data, size));
    kx::PictureDescription picture;
    if (kx::ReadPictureDescription(std::string_view(reinterpret_cast<const char*>(data), size), picture))
        CheckBitmap(picture.picture);
    return 0;
}
