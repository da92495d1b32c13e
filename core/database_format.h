// The shortcut database file, byte by byte.
//
//   File header, 58 bytes at offset 0 (all integers little-endian):
//     0  u32 record count (the password record included)
//     4  u32 CRC-32 of every byte from offset 58 to the end of the file
//     8  u8  3, u8 1 (format bytes)
//    10  i32 password flag: 1 when a password record is present, else -1
//    14  44 zero bytes
//   Records follow at 58 with no gap. A shortcut record is
//     0 u32 index (from 1; not used when reading)   4 u32 size = 21 + k + r + t
//     8 u32 k   12 u8 kind 0..3   13 u32 r   17 u32 t
//    21 keyword (k bytes UTF-8), rich text (r bytes, kinds 1 and 3 only),
//       plain text (t bytes UTF-8)
//   The password record (kind 0xF0, first when present) is
//     0 u32 index   4 u32 size = 13 + n + 1   8 u32 0   12 u8 0xF0
//    13 password, n <= 259 bytes of UTF-8, then a NUL
//   Zero bytes fill the file after the last record. The file is as large as
//   the writer's mapping: 4 allocation granules, doubled until the records
//   fit with at least one byte to spare.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace kx {

inline constexpr uint32_t kFileHeaderSize = 58;
inline constexpr uint32_t kRecordHeaderSize = 21;
inline constexpr uint32_t kPasswordHeaderSize = 13;
inline constexpr uint8_t kFormatByteA = 3;
inline constexpr uint8_t kFormatByteB = 1;
inline constexpr uint32_t kFirstMappingGranules = 4;
inline constexpr size_t kMaxPasswordBytes = 259;

inline uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void WriteU32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

struct FileHeader {
    uint32_t recordCount = 0;
    uint32_t checksum = 0;
    uint8_t formatA = kFormatByteA;
    uint8_t formatB = kFormatByteB;
    int32_t passwordFlag = -1;
};

// `p` holds at least kFileHeaderSize bytes.
FileHeader ReadFileHeader(const uint8_t* p);
void WriteFileHeader(uint8_t* p, const FileHeader& h);

// The checksum the header should hold for a file of `size` bytes (>= 58).
uint32_t ComputeFileChecksum(const uint8_t* file, uint64_t size);

// One record as it lies in the file; the views point into the mapping.
struct RawRecord {
    uint64_t offset = 0;
    uint32_t index = 0;
    uint32_t size = 0;
    uint8_t kind = 0;
    bool isPassword = false;
    std::string_view keyword;   // UTF-8
    std::string_view rich;      // 8-bit RTF; empty for kinds 0 and 2
    std::string_view plain;     // UTF-8
    std::string_view password;  // UTF-8 up to its NUL (password record only)
};

enum class ScanStep { Record, End, Corrupt };

// Walks the records after the header the way the reader takes them. It never
// looks at a byte outside [file, file + size):
//  - Reading ends, and what was read stands, after the header's record count,
//    at a record whose size field passes the end of the file, at a shortcut
//    record with an empty keyword (the zero padding is one), and at a record
//    header cut short by the end of the file. A header that does not fit
//    cannot hold a keyword, so it is taken as the end of the data, like the
//    padding.
//  - A shortcut record whose size field is smaller than its keyword, rich
//    text or plain text length, or whose kind is above 3, is corrupt.
//  - So is one whose strings would run past the end of the file. Strings that
//    pass the record's size field but stay within the file are read as they
//    lie: the next record starts where the strings end (21 + k + r + t bytes
//    on, with r counted only for kinds 1 and 3), which is where other writers
//    of this format put it.
//  - A password record is skipped by its size field; one whose size field is
//    below its 13-byte header is corrupt (it would not move the reader on).
//    Its text ends at the first NUL or at the end of the record.
class RecordScanner {
public:
    RecordScanner(const uint8_t* file, uint64_t size, uint32_t recordCount)
        : file_(file), size_(size), recordCount_(recordCount) {}

    ScanStep Next(RawRecord& out);
    // Why the last Next returned Corrupt.
    const std::string& Problem() const { return problem_; }
    uint32_t RecordsRead() const { return read_; }

private:
    ScanStep Corrupt(std::string why);

    const uint8_t* file_;
    uint64_t size_;
    uint32_t recordCount_;
    uint64_t cursor_ = kFileHeaderSize;
    uint32_t read_ = 0;
    std::string problem_;
};

}  // namespace kx
