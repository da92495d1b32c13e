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

// Sums are reduced only every 5552 bytes, the most that cannot overflow.
uint32_t Adler32(const std::string& data) {
    uint32_t a = 1, b = 0;
    const auto* p = reinterpret_cast<const uint8_t*>(data.data());
    for (size_t left = data.size(); left > 0;) {
        size_t n = std::min<size_t>(left, 5552);
        left -= n;
        while (n--) {
            a += *p++;
            b += a;
        }
        a %= 65521;
        b %= 65521;
    }
    return b << 16 | a;
}

}  // namespace

std::string EncodeStoredPngFile(const Bitmap& in) {
    // Each row: filter type 0, then red, green, blue, alpha per pixel.
    const size_t rowBytes = 1 + size_t(in.width) * 4;
    std::string raw(size_t(in.height) * rowBytes, '\0');
    for (int y = 0; y < in.height; ++y) {
        const uint8_t* s = in.bgra.data() + size_t(y) * size_t(in.width) * 4;
        char* d = raw.data() + size_t(y) * rowBytes + 1;  // after the row's filter byte
        for (int x = 0; x < in.width; ++x, s += 4, d += 4) {
            d[0] = char(s[2]);
            d[1] = char(s[1]);
            d[2] = char(s[0]);
            d[3] = char(s[3]);
        }
    }

    std::string zlib("\x78\x01", 2);
    zlib.reserve(2 + raw.size() + (raw.size() / 65535 + 1) * 5 + 4);
    constexpr size_t kBlock = 65535;
    for (size_t at = 0; at < raw.size(); at += kBlock) {
        const size_t n = std::min(kBlock, raw.size() - at);
        zlib += char(at + n >= raw.size() ? 1 : 0);  // last block, stored
        zlib += char(n & 0xFF);
        zlib += char(n >> 8);
        zlib += char(~n & 0xFF);
        zlib += char((~n >> 8) & 0xFF);
        zlib.append(raw, at, n);
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
