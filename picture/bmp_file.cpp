#include "picture/bmp_file.h"

#include <cstdint>
#include <vector>

#include "picture/pixels.h"

namespace kx {
namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kInfoHeaderBytes = 40;
constexpr uint32_t kRgb = 0, kBitFields = 3, kAlphaBitFields = 6;

uint32_t Le(std::string_view b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint32_t(uint8_t(b[at + size_t(i)])) << (8 * i);
    return v;
}

void PutLe(std::string& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i, v >>= 8) out += char(v & 0xFF);
}

// One channel taken out of a pixel through its mask, scaled to 0..255.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;
    explicit Channel(uint32_t m) : mask(m) {
        if (!m) return;
        while (!(m & 1)) { m >>= 1; ++shift; }
        max = m;
    }
    uint8_t Of(uint32_t pixel, uint8_t none) const {
        if (!max) return none;
        return uint8_t(uint64_t((pixel & mask) >> shift) * 255u / max);
    }
};

}  // namespace

bool DecodeBmpFile(std::string_view b, Bitmap& out) {
    out = {};
    if (b.size() < kFileHeaderBytes + 12 || b[0] != 'B' || b[1] != 'M') return false;
    const uint32_t dataOffset = Le(b, 10, 4);
    const uint32_t headerSize = Le(b, 14, 4);
    int64_t width, height;
    uint32_t bits, compression = kRgb, colorsUsed = 0;
    size_t paletteEntry = 4;
    if (headerSize == 12) {  // the old core header
        width = Le(b, 18, 2);
        height = Le(b, 20, 2);
        bits = Le(b, 24, 2);
        paletteEntry = 3;
    } else if (headerSize >= kInfoHeaderBytes && b.size() >= kFileHeaderBytes + headerSize) {
        width = int32_t(Le(b, 18, 4));
        height = int32_t(Le(b, 22, 4));
        bits = Le(b, 28, 2);
        compression = Le(b, 30, 4);
        colorsUsed = Le(b, 46, 4);
    } else {
        return false;
    }
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || height <= 0 || uint64_t(width) * uint64_t(height) > kMaxBitmapPixels) return false;

    // Masks: in the header from version 4 on, else right after the
    // 40-byte header; the defaults of 16 and 32 bits otherwise.
    uint32_t masks[4] = {0, 0, 0, 0};
    if (compression == kBitFields || compression == kAlphaBitFields) {
        if (bits != 16 && bits != 32) return false;
        size_t at = kFileHeaderBytes + kInfoHeaderBytes;
        int count = compression == kAlphaBitFields || headerSize >= 56 ? 4 : 3;
        if (b.size() < at + size_t(count) * 4) return false;
        for (int i = 0; i < count; ++i) masks[i] = Le(b, at + size_t(i) * 4, 4);
    } else if (compression != kRgb) {
        return false;  // run-length and embedded JPEG or PNG data
    } else if (bits == 16) {
        masks[0] = 0x7C00; masks[1] = 0x03E0; masks[2] = 0x001F;
    } else if (bits == 32) {
        masks[0] = 0xFF0000; masks[1] = 0xFF00; masks[2] = 0xFF;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;

    std::vector<uint8_t> palette;  // blue, green, red per entry
    if (bits <= 8) {
        size_t entries = colorsUsed && colorsUsed < (1u << bits) ? colorsUsed : size_t(1) << bits;
        size_t at = kFileHeaderBytes + headerSize;
        for (size_t i = 0; i < entries && at + paletteEntry <= b.size() && at + paletteEntry <= dataOffset;
             ++i, at += paletteEntry)
            palette.insert(palette.end(), {uint8_t(b[at]), uint8_t(b[at + 1]), uint8_t(b[at + 2])});
        if (palette.empty()) return false;
    }

    const size_t stride = ((size_t(width) * bits + 31) / 32) * 4;
    if (dataOffset > b.size() || (b.size() - dataOffset) / stride < size_t(height)) return false;

    const Channel r(masks[0]), g(masks[1]), bl(masks[2]), a(masks[3]);
    Bitmap result;
    result.width = int(width);
    result.height = int(height);
    result.bgra.resize(size_t(width) * size_t(height) * 4);
    for (int64_t y = 0; y < height; ++y) {
        const size_t srcRow = topDown ? size_t(y) : size_t(height - 1 - y);
        const uint8_t* s = reinterpret_cast<const uint8_t*>(b.data()) + dataOffset + srcRow * stride;
        uint8_t* d = result.bgra.data() + size_t(y) * size_t(width) * 4;
        for (int64_t x = 0; x < width; ++x, d += 4) {
            if (bits <= 8) {
                size_t bitAt = size_t(x) * bits;
                unsigned index = (s[bitAt / 8] >> (8 - bits - bitAt % 8)) & ((1u << bits) - 1);
                if (index * 3 >= palette.size()) index = 0;  // past a short table
                d[0] = palette[index * 3];
                d[1] = palette[index * 3 + 1];
                d[2] = palette[index * 3 + 2];
                d[3] = 255;
            } else if (bits == 24) {
                d[0] = s[x * 3];
                d[1] = s[x * 3 + 1];
                d[2] = s[x * 3 + 2];
                d[3] = 255;
            } else {
                const int n = int(bits / 8);
                uint32_t p = 0;
                for (int i = 0; i < n; ++i) p |= uint32_t(s[x * n + i]) << (8 * i);
                d[0] = bl.Of(p, 0);
                d[1] = g.Of(p, 0);
                d[2] = r.Of(p, 0);
                d[3] = a.Of(p, 255);
            }
        }
    }
    out = std::move(result);
    return true;
}

std::string EncodeBmpFile(const Bitmap& in) {
    const std::vector<uint8_t> rows = OpaqueBgr24Rows(in);
    const size_t stride = Bgr24Stride(in.width);
    const uint32_t fileSize = uint32_t(kFileHeaderBytes + kInfoHeaderBytes + rows.size());
    std::string out;
    out.reserve(fileSize);
    out += "BM";
    PutLe(out, fileSize, 4);
    PutLe(out, 0, 4);
    PutLe(out, uint32_t(kFileHeaderBytes + kInfoHeaderBytes), 4);
    PutLe(out, uint32_t(kInfoHeaderBytes), 4);
    PutLe(out, uint32_t(in.width), 4);
    PutLe(out, uint32_t(in.height), 4);  // positive: bottom row first
    PutLe(out, 1, 2);                    // planes
    PutLe(out, 24, 2);
    PutLe(out, kRgb, 4);
    PutLe(out, uint32_t(rows.size()), 4);
    PutLe(out, 3780, 4);  // 96 pixels per inch, in pixels per metre
    PutLe(out, 3780, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    for (int y = in.height; y-- > 0;)
        out.append(reinterpret_cast<const char*>(rows.data()) + size_t(y) * stride, stride);
    return out;
}

}  // namespace kx
