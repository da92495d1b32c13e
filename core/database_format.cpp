#include "core/database_format.h"

#include "core/crc32.h"

namespace kx {

FileHeader ReadFileHeader(const uint8_t* p) {
    FileHeader h;
    h.recordCount = ReadU32(p);
    h.checksum = ReadU32(p + 4);
    h.formatA = p[8];
    h.formatB = p[9];
    h.passwordFlag = int32_t(ReadU32(p + 10));
    return h;
}

void WriteFileHeader(uint8_t* p, const FileHeader& h) {
    WriteU32(p, h.recordCount);
    WriteU32(p + 4, h.checksum);
    p[8] = h.formatA;
    p[9] = h.formatB;
    WriteU32(p + 10, uint32_t(h.passwordFlag));
    std::memset(p + 14, 0, kFileHeaderSize - 14);
}

uint32_t ComputeFileChecksum(const uint8_t* file, uint64_t size) {
    uint32_t crc = 0;
    const uint8_t* p = file + kFileHeaderSize;
    uint64_t left = size - kFileHeaderSize;
    // Crc32 takes size_t; feed it in pieces so 32-bit builds cover any size.
    while (left > 0) {
        size_t piece = left > (uint64_t(1) << 30) ? size_t(1) << 30 : size_t(left);
        crc = Crc32(p, piece, crc);
        p += piece;
        left -= piece;
    }
    return crc;
}

ScanStep RecordScanner::Corrupt(std::string why) {
    problem_ = "record " + std::to_string(read_ + 1) + " at offset " + std::to_string(cursor_) + ": " + why;
    return ScanStep::Corrupt;
}

ScanStep RecordScanner::Next(RawRecord& out) {
    if (read_ >= recordCount_ || cursor_ >= size_) return ScanStep::End;
    const uint64_t left = size_ - cursor_;
    const uint8_t* p = file_ + cursor_;
    if (left < kPasswordHeaderSize) return ScanStep::End;
    const uint32_t size = ReadU32(p + 4);
    if (size > left) return ScanStep::End;

    out = RawRecord{};
    out.offset = cursor_;
    out.index = ReadU32(p);
    out.size = size;
    out.kind = p[12];

    if (out.kind == 0xF0) {
        if (size < kPasswordHeaderSize) return Corrupt("password record shorter than its header");
        const char* text = reinterpret_cast<const char*>(p + kPasswordHeaderSize);
        const size_t room = size - kPasswordHeaderSize;
        const void* nul = std::memchr(text, 0, room);
        out.isPassword = true;
        out.password = std::string_view(text, nul ? size_t(static_cast<const char*>(nul) - text) : room);
        cursor_ += size;
        ++read_;
        return ScanStep::Record;
    }

    if (left < kRecordHeaderSize) return ScanStep::End;
    const uint32_t k = ReadU32(p + 8);
    const uint32_t r = ReadU32(p + 13);
    const uint32_t t = ReadU32(p + 17);
    if (size < k) return Corrupt("size " + std::to_string(size) + " below keyword length " + std::to_string(k));
    if (size < r) return Corrupt("size " + std::to_string(size) + " below rich text length " + std::to_string(r));
    if (size < t) return Corrupt("size " + std::to_string(size) + " below plain text length " + std::to_string(t));
    if (out.kind > 3) return Corrupt("kind " + std::to_string(out.kind) + " is not a shortcut kind");
    if (k == 0) return ScanStep::End;

    const uint64_t richLen = (out.kind == 1 || out.kind == 3) ? r : 0;
    const uint64_t span = uint64_t(kRecordHeaderSize) + k + richLen + t;
    if (span > left) return Corrupt("strings run past the end of the file");

    const char* s = reinterpret_cast<const char*>(p + kRecordHeaderSize);
    out.keyword = std::string_view(s, k);
    out.rich = std::string_view(s + k, size_t(richLen));
    out.plain = std::string_view(s + k + richLen, t);
    cursor_ += span;
    ++read_;
    return ScanStep::Record;
}

}  // namespace kx
