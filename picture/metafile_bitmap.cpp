#include "picture/metafile_bitmap.h"

namespace kx {
namespace {

constexpr uint16_t kDibStretchBlt = 0x0B41;
constexpr uint16_t kStretchDib = 0x0F43;
constexpr uint16_t kEndOfFile = 0x0000;
// Bytes before the bitmap: size, function and the fixed parameters.
constexpr size_t kDibStretchBltFixed = 6 + 20;
constexpr size_t kStretchDibFixed = 6 + 22;
constexpr size_t kEndRecord = 6;

uint32_t Le(std::span<const uint8_t> b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint32_t(b[at + size_t(i)]) << (8 * i);
    return v;
}

void PutLe(std::string& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i, v >>= 8) out += char(v & 0xFF);
}

// Bytes of the bitmap's headers and colour table: where its pixels start.
bool PixelOffset(std::span<const uint8_t> dib, size_t& offset) {
    if (dib.size() < 12) return false;
    const uint32_t header = Le(dib, 0, 4);
    if (header == 12) {
        const uint32_t bits = Le(dib, 10, 2);
        offset = 12 + (bits <= 8 ? (size_t(1) << bits) * 3 : 0);
        return offset <= dib.size();
    }
    if (header < 40 || header > dib.size() || dib.size() < 36) return false;
    const uint32_t bits = Le(dib, 14, 2);
    const uint32_t compression = Le(dib, 16, 4);
    uint64_t colours = Le(dib, 32, 4);
    if (colours == 0 && bits <= 8) colours = uint64_t(1) << bits;
    uint64_t at = header + colours * 4;
    // BI_BITFIELDS and BI_ALPHABITFIELDS masks follow a 40-byte header.
    if (header == 40 && compression == 3) at += 12;
    if (header == 40 && compression == 6) at += 16;
    if (at > dib.size()) return false;
    offset = size_t(at);
    return true;
}

}  // namespace

bool BmpFileOfMetafile(std::span<const uint8_t> metafile, std::string& bmpFile) {
    bmpFile.clear();
    if (metafile.size() < 18) return false;
    const uint32_t type = Le(metafile, 0, 2);
    const size_t headerBytes = size_t(Le(metafile, 2, 2)) * 2;
    if ((type != 1 && type != 2) || headerBytes < 18 || headerBytes > metafile.size()) return false;

    for (size_t at = headerBytes; at + kEndRecord <= metafile.size();) {
        const uint64_t recordBytes = uint64_t(Le(metafile, at, 4)) * 2;
        const uint16_t function = uint16_t(Le(metafile, at + 4, 2));
        if (function == kEndOfFile || recordBytes < kEndRecord || at + recordBytes > metafile.size()) return false;
        const size_t fixed = function == kDibStretchBlt ? kDibStretchBltFixed
                             : function == kStretchDib  ? kStretchDibFixed
                                                        : 0;
        if (fixed == 0 || recordBytes <= fixed) {
            at += size_t(recordBytes);
            continue;
        }
        size_t dibBytes = size_t(recordBytes) - fixed;
        // Record sizes count 16-bit words: a bitmap of odd length stands one
        // byte beyond its record, right before the end record.
        const size_t after = at + size_t(recordBytes);
        if (metafile.size() - after == kEndRecord + 1) ++dibBytes;
        const std::span<const uint8_t> dib = metafile.subspan(at + fixed, dibBytes);
        size_t pixels = 0;
        if (!PixelOffset(dib, pixels)) return false;
        bmpFile.reserve(14 + dib.size());
        bmpFile = "BM";
        PutLe(bmpFile, uint32_t(14 + dib.size()), 4);
        PutLe(bmpFile, 0, 4);
        PutLe(bmpFile, uint32_t(14 + pixels), 4);
        bmpFile.append(reinterpret_cast<const char*>(dib.data()), dib.size());
        return true;
    }
    return false;
}

}  // namespace kx
