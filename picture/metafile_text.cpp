#include "picture/metafile_text.h"

#include "core/picture_name.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace kx {
namespace {

constexpr char kDigits[] = "0123456789abcdef";

// Every byte value's two lowercase digits, built once: the bitmap is most of
// a large picture's document.
const std::array<char[2], 256>& HexPairs() {
    static const std::array<char[2], 256> pairs = [] {
        std::array<char[2], 256> p{};
        for (int i = 0; i < 256; ++i) {
            p[size_t(i)][0] = kDigits[i >> 4];
            p[size_t(i)][1] = kDigits[i & 15];
        }
        return p;
    }();
    return pairs;
}

// A number as its bytes in little-endian order.
void AppendLe(std::string& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i, v >>= 8) {
        out += kDigits[(v >> 4) & 15];
        out += kDigits[v & 15];
    }
}

int32_t ReadLe32(std::string_view b, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= uint32_t(uint8_t(b[at + i])) << (8 * i);
    return int32_t(v);
}

int32_t ReadLe16(std::string_view b, size_t at) { return uint8_t(b[at]) | uint8_t(b[at + 1]) << 8; }

// Width and height as the bitmap's own header gives them: 16-bit fields in
// the old 12-byte core header, 32-bit ones in every later header.
bool DibSize(std::string_view dib, int32_t& width, int32_t& height) {
    if (dib.size() < 12) return false;
    uint32_t headerSize = uint32_t(ReadLe32(dib, 0));
    if (headerSize == 12) {
        width = ReadLe16(dib, 4);
        height = ReadLe16(dib, 6);
        return true;
    }
    if (headerSize < 16 || dib.size() < 16) return false;
    width = ReadLe32(dib, 4);
    height = ReadLe32(dib, 8);
    return true;
}

}  // namespace

void AppendPictureHead(std::string& out, const PictureHead& head) {
    out += "{\\rtf1\\ansi\\deff0";
    out += kPictureTitleMark;
    AppendPictureTitle(out, head.fileTitle);
    out += "}}{\\pict\\wmetafile8\\picw";
    out += std::to_string(head.picw);
    out += "\\pich";
    out += std::to_string(head.pich);
    out += "\\picwgoal";
    out += std::to_string(head.picwgoal);
    out += "\\pichgoal";
    out += std::to_string(head.pichgoal);
    out += " \r\n";
}

bool AppendMetafileHex(std::string& out, std::string_view dib) {
    int32_t width = 0, height = 0;
    if (!DibSize(dib, width, height)) return false;
    // Sizes count 16-bit words; a bitmap of odd length loses its last byte
    // from the count, as the format has it.
    const uint32_t dibWords = uint32_t(dib.size() / 2);
    const uint32_t blitWords = dibWords + 13;
    const uint32_t totalWords = dibWords + 34;  // 9 + 4 + 5 + 13 + 3 words of fixed records
    const uint32_t w = uint32_t(width) & 0xFFFF, h = uint32_t(height) & 0xFFFF;

    const size_t lines = dib.size() / (kHexDigitsPerLine / 2);
    out.reserve(out.size() + 150 + dib.size() * 2 + lines * 2);

    out += "010009000003";
    AppendLe(out, totalWords, 4);
    out += "0000";
    AppendLe(out, blitWords, 4);
    out += "0000";
    out += "0400000003010800";
    out += "050000000c02";
    AppendLe(out, h, 2);
    AppendLe(out, w, 2);
    AppendLe(out, blitWords, 4);
    out += "410b2000cc00";
    AppendLe(out, h, 2);
    AppendLe(out, w, 2);
    out += "00000000";
    AppendLe(out, h, 2);
    AppendLe(out, w, 2);
    out += "00000000";

    // The bitmap, written straight into the grown string.
    const size_t start = out.size();
    out.resize(start + dib.size() * 2 + lines * 2);
    char* p = out.data() + start;
    const auto& pairs = HexPairs();
    const uint8_t* b = reinterpret_cast<const uint8_t*>(dib.data());
    size_t left = dib.size();
    while (left >= kHexDigitsPerLine / 2) {
        for (size_t i = 0; i < kHexDigitsPerLine / 2; ++i, p += 2) std::memcpy(p, pairs[b[i]], 2);
        *p++ = '\r';
        *p++ = '\n';
        b += kHexDigitsPerLine / 2;
        left -= kHexDigitsPerLine / 2;
    }
    for (size_t i = 0; i < left; ++i, p += 2) std::memcpy(p, pairs[b[i]], 2);

    out += "030000000000";
    return true;
}

void AppendPictureTail(std::string& out) { out += "\r\n}}\r\n"; }

}  // namespace kx
