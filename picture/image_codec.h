// The image codec seam: what picture shortcuts need of an image library.
//
// Pictures travel between the calls as plain 32-bit pixels, so the encoder
// and the conversion pass do not care which library decoded them: WIC in
// the program, a small BMP codec of our own in the Linux tools, a codec over
// raw pixels in the tests.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

// Rows top to bottom, each `width` pixels of blue, green, red and alpha.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgra;
};

class ImageCodec {
public:
    virtual ~ImageCodec() = default;
    // Decodes a picture file (JPEG, PNG, BMP or GIF; only the first frame of
    // an animation). False when the file is missing or not a picture the
    // codec reads; `out` is then empty.
    virtual bool Load(std::u16string_view path, Bitmap& out) = 0;
    // The same for a whole picture file held in memory.
    virtual bool LoadMemory(std::string_view bytes, Bitmap& out) = 0;
    // `in` drawn at `width` by `height` pixels (both at least 1).
    virtual bool Resample(const Bitmap& in, int width, int height, Bitmap& out) = 0;
    // Writes `in` as a BMP file, replacing any file at `path`.
    virtual bool SaveBmp(const Bitmap& in, std::u16string_view path) = 0;
    // The bytes of a BMP file of `in`, 14-byte file header first.
    virtual bool EncodeBmp(const Bitmap& in, std::string& out) = 0;
    // The bytes of a PNG file of `in`.
    virtual bool EncodePng(const Bitmap& in, std::string& out) = 0;

    // Load and LoadMemory refuse pictures wider or taller than this (0: no
    // limit), before their pixels are decoded where the codec can tell.
    void LimitSide(uint32_t pixels) { maxSide_ = pixels; }

protected:
    bool WithinLimit(uint64_t width, uint64_t height) const {
        return maxSide_ == 0 || (width <= maxSide_ && height <= maxSide_);
    }

private:
    uint32_t maxSide_ = 0;
};

// The running system's codec: WIC on Windows (JPEG, PNG, BMP and GIF), the
// program's own BMP codec elsewhere. Use it on the thread that made it.
// Null when the system's image library cannot be started.
std::unique_ptr<ImageCodec> MakeSystemImageCodec();

}  // namespace kx
