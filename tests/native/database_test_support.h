// Helpers for the database file tests: a scratch folder, raw file bytes, and
// hand-made records laid out as the file format says.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/crc32.h"
#include "core/database_format.h"
#include "core/database_io.h"
#include "base/text.h"

namespace kx::testing {

using Bytes = std::vector<uint8_t>;

// A folder of its own under the system's temporary folder, removed at the end.
class ScratchDir {
public:
    ScratchDir() {
        static std::atomic<unsigned> serial{0};
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        dir_ = std::filesystem::temp_directory_path() /
               ("kxdb-" + std::to_string(stamp) + "-" + std::to_string(serial++));
        std::filesystem::create_directories(dir_);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::u16string Path(const char* name) const { return (dir_ / name).u16string(); }

private:
    std::filesystem::path dir_;
};

inline std::filesystem::path FsPath(const std::u16string& p) { return std::filesystem::path(p); }

inline Bytes ReadAll(const std::u16string& path) {
    std::ifstream in(FsPath(path), std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
inline void WriteAll(const std::u16string& path, const Bytes& bytes) {
    std::ofstream(FsPath(path), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline bool FileExists(const std::u16string& path) { return std::filesystem::exists(FsPath(path)); }

inline void PutU32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
inline void PutText(Bytes& b, std::string_view s) { b.insert(b.end(), s.begin(), s.end()); }

// The 58-byte header, checksum left at `checksum`.
inline Bytes Header(uint32_t count, int32_t passwordFlag = -1, uint32_t checksum = 0) {
    Bytes b;
    PutU32(b, count);
    PutU32(b, checksum);
    b.insert(b.end(), {3, 1});
    PutU32(b, uint32_t(passwordFlag));
    return b.resize(58, 0), b;
}

// A shortcut record with explicit fields; `size` 0 means 21 + k + r + t.
struct Rec {
    uint32_t index = 1;
    uint8_t kind = 0;
    std::string keyword, rich, plain;
    uint32_t size = 0;
    int64_t kOverride = -1, rOverride = -1, tOverride = -1;
};

inline void PutRecord(Bytes& b, const Rec& r) {
    const auto len = [](int64_t o, const std::string& s) { return o >= 0 ? uint32_t(o) : uint32_t(s.size()); };
    PutU32(b, r.index);
    PutU32(b, r.size ? r.size : uint32_t(21 + r.keyword.size() + r.rich.size() + r.plain.size()));
    PutU32(b, len(r.kOverride, r.keyword));
    b.push_back(r.kind);
    PutU32(b, len(r.rOverride, r.rich));
    PutU32(b, len(r.tOverride, r.plain));
    PutText(b, r.keyword + r.rich + r.plain);
}

// A password record; `size` -1 means 13 + its text and NUL.
inline void PutPassword(Bytes& b, std::string_view pw, uint32_t index = 1, int64_t size = -1, bool nul = true) {
    PutU32(b, index);
    PutU32(b, size >= 0 ? uint32_t(size) : uint32_t(13 + pw.size() + 1));
    PutU32(b, 0);
    b.push_back(0xF0);
    PutText(b, pw);
    if (nul) b.push_back(0);
}

// Pads to `size` with zeros and stores the checksum the writer would.
inline void Seal(Bytes& b, size_t size) {
    b.resize(size, 0);
    uint32_t crc = Crc32(b.data() + 58, b.size() - 58);
    for (int i = 0; i < 4; ++i) b[4 + i] = uint8_t(crc >> (8 * i));
}

inline std::u16string PlainOf(const ShortcutStore& store, std::u16string_view keyword) {
    EntryRef e;
    return store.Find(keyword, e) ? e->plainText : u"<missing>";
}

inline EntryRef TextEntry(std::u16string_view text) {
    return ShortcutEntry::Make(ShortcutKind::SimpleText, std::u16string(text));
}

// A file that says it holds one shortcut of an unknown kind (4, 7 and 9 are
// none): the reader calls it corrupt. It is padded to `size` and sealed.
inline Bytes DamagedFile(uint8_t kind = 4, size_t size = 4096) {
    Bytes b = Header(1);
    PutRecord(b, {1, kind, "K", "", "x"});
    return Seal(b, size), b;
}

// The store a file loads as; a failed load is the caller's failure.
inline StoreRef LoadedFrom(const std::u16string& path, const DatabaseIo& io, bool password = false) {
    StoreRef s = ShortcutStore::Create();
    uint32_t n = 0;
    EXPECT_EQ(ShortcutStore::Load(*s, path, password, n, io), LoadOk) << U8(path);
    return s;
}

}  // namespace kx::testing
