#include "picture/png_file.h"

#include <algorithm>
#include <cstdint>

#include "core/crc32.h"

namespace kx {
namespace {

void PutBe32(std::string& out, uint32_t v) {
    for (int i = 3; i >= 0; --i) out += char((v >> (8 * i)) & 0xFF);
}

void Chunk(std::string& out, const char* type, const std::string& data) {
    PutBe32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out += type;
    out += data;
    PutBe32(out, Crc32(reinterpret_cast<const uint8_t*>(out.data()) + start, out.size() - start));
}

uint32_t Adler32(const std::string& data) {
    uint32_t a = 1, b = 0;
    for (unsigned char c : data) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

}  // namespace

std::string EncodeStoredPngFile(const Bitmap& in) {
    // Each row: filter type 0, then red, green, blue, alpha per pixel.
    std::string raw;
    raw.reserve(size_t(in.height) * (1 + size_t(in.width) * 4));
    for (int y = 0; y < in.height; ++y) {
        raw += '\0';
        const uint8_t* s = in.bgra.data() + size_t(y) * size_t(in.width) * 4;
        for (int x = 0; x < in.width; ++x, s += 4) {
            raw += char(s[2]);
            raw += char(s[1]);
            raw += char(s[0]);
            raw += char(s[3]);
        }
    }

    std::string zlib("\x78\x01", 2);
    constexpr size_t kBlock = 65535;
    for (size_t at = 0; at < raw.size() || at == 0; at += kBlock) {
        const size_t n = std::min(kBlock, raw.size() - at);
        zlib += char(at + n >= raw.size() ? 1 : 0);  // last block, stored
        zlib += char(n & 0xFF);
        zlib += char(n >> 8);
        zlib += char(~n & 0xFF);
        zlib += char((~n >> 8) & 0xFF);
        zlib.append(raw, at, n);
        if (raw.empty()) break;
    }
    PutBe32(zlib, Adler32(raw));

    std::string header;
    PutBe32(header, uint32_t(in.width));
    PutBe32(header, uint32_t(in.height));
    header += "\x08\x06";          // 8 bits per channel, RGBA
    header += std::string(3, '\0');  // deflate, adaptive filters, no interlace

    std::string png("\x89PNG\r\n\x1a\n", 8);
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", zlib);
    Chunk(png, "IEND", std::string());
    return png;
}

}  // namespace kx
