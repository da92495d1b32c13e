// A codec of the picture tests' own: files of raw pixels ("KXRAW", width,
// height, BGRA) and a bitmap form whose bytes the tests know exactly, so a
// stored document can be computed from the rules alone.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "picture/image_codec.h"

namespace kx::test {

inline void PutLe(std::string& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i, v >>= 8) out += char(v & 0xFF);
}
inline uint32_t GetLe(const std::string& b, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= uint32_t(uint8_t(b[at + i])) << (8 * i);
    return v;
}

inline std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
inline void WriteFile(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
}

// A picture whose every pixel differs from its neighbours.
inline Bitmap Pattern(int width, int height) {
    Bitmap b{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            b.bgra.insert(b.bgra.end(), {uint8_t(x * 7 + y), uint8_t(y * 5), uint8_t(x ^ y), 255});
    return b;
}

inline std::string RawFile(const Bitmap& b) {
    std::string f = "KXRAW";
    PutLe(f, uint32_t(b.width), 4);
    PutLe(f, uint32_t(b.height), 4);
    f.append(b.bgra.begin(), b.bgra.end());
    return f;
}

// A bitmap file with a 40-byte information header (or `headerSize` bytes,
// zeros after the compression but for the colours used), the colour table
// or masks, and the rows as given.
inline std::string BmpWith(int width, int height, int bits, uint32_t compression, const std::string& table,
                           const std::string& rows, uint32_t headerSize = 40, uint32_t coloursUsed = 0) {
    std::string f = "BM";
    for (auto [value, bytes] : {std::pair{uint32_t(14 + headerSize + table.size() + rows.size()), 4}, {0u, 4},
                                {uint32_t(14 + headerSize + table.size()), 4}, {headerSize, 4}, {uint32_t(width), 4},
                                {uint32_t(height), 4}, {1u, 2}, {uint32_t(bits), 2}, {compression, 4}})
        PutLe(f, value, bytes);
    f += std::string(headerSize - 20, '\0');
    f.replace(46, 4, std::string{char(coloursUsed), char(coloursUsed >> 8), char(coloursUsed >> 16), char(coloursUsed >> 24)});
    return f + table + rows;
}

// The test codec's bitmap file: 32-bit rows top to bottom (negative height).
inline std::string TestBmpFile(const Bitmap& b) {
    return BmpWith(b.width, -b.height, 32, 0, "", std::string(b.bgra.begin(), b.bgra.end()));
}

class TestCodec : public ImageCodec {
public:
    bool Load(std::u16string_view path, Bitmap& out) override {
        return LoadMemory(ReadFile(std::filesystem::path(std::u16string(path))), out);
    }
    bool LoadMemory(std::string_view bytes, Bitmap& out) override {
        out = {};
        std::string b(bytes);
        if (b.rfind("KXRAW", 0) == 0 && b.size() >= 13) {
            out.width = int(GetLe(b, 5));
            out.height = int(GetLe(b, 9));
            out.bgra.assign(b.begin() + 13, b.end());
        } else if (b.rfind("BM", 0) == 0 && b.size() >= 54) {
            out.width = int(GetLe(b, 18));
            out.height = -int(GetLe(b, 22));
            out.bgra.assign(b.begin() + 54, b.end());
            if (trustHeaders) out.bgra.resize(size_t(out.width) * size_t(out.height) * 4);
        } else {
            return false;
        }
        return out.width > 0 && out.height > 0 && out.bgra.size() == size_t(out.width) * size_t(out.height) * 4;
    }
    // Nearest neighbour: enough to give the requested size.
    bool Resample(const Bitmap& in, int width, int height, Bitmap& out) override {
        out = {width, height, std::vector<uint8_t>(size_t(width) * size_t(height) * 4)};
        uint8_t* d = out.bgra.data();
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x, d += 4) {
                size_t at = (size_t(y * in.height / height) * size_t(in.width) + size_t(x * in.width / width)) * 4;
                std::copy_n(in.bgra.data() + at, 4, d);
            }
        return true;
    }
    bool SaveBmp(const Bitmap& in, std::u16string_view path) override {
        saved.emplace_back(path);
        WriteFile(std::filesystem::path(std::u16string(path)), TestBmpFile(in));
        return true;
    }
    bool EncodeBmp(const Bitmap& in, std::string& out) override {
        out = bitmapOverride.empty() ? TestBmpFile(in) : bitmapOverride;
        return true;
    }
    bool EncodePng(const Bitmap&, std::string& out) override {
        out = "png";
        return true;
    }

    std::string bitmapOverride;  // bytes EncodeBmp gives instead, when set
    bool trustHeaders = false;   // a bitmap's pixels may be missing: they read as zeros
    std::vector<std::u16string> saved;
};

// A folder of its own under the system's temporary folder, removed at the end.
class PictureScratch {
public:
    PictureScratch() {
        static std::atomic<unsigned> serial{0};
        dir_ = std::filesystem::temp_directory_path() /
               ("kxpic-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "-" +
                std::to_string(serial++));
        std::filesystem::create_directories(dir_ / "temp");
    }
    ~PictureScratch() { std::filesystem::remove_all(dir_, ec_); }
    std::filesystem::path Dir() const { return dir_; }
    std::u16string Path(const std::string& name) const { return (dir_ / name).u16string(); }
    std::u16string Temp() const { return (dir_ / "temp").u16string(); }
    std::vector<std::string> TempFiles() const {
        std::vector<std::string> names;
        for (auto& e : std::filesystem::directory_iterator(dir_ / "temp")) names.push_back(e.path().filename().string());
        return names;
    }

private:
    std::filesystem::path dir_;
    std::error_code ec_;
};

}  // namespace kx::test
