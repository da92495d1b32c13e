// Reading and writing a small file in one piece.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace kx {

// Files larger than this are refused rather than read into memory.
inline constexpr size_t kMaxWholeFileBytes = size_t(256) << 20;

// Reads the whole file into `out`. False when it cannot be opened or read,
// or holds more than `maxBytes`; `out` is then empty.
bool ReadWholeFile(const std::filesystem::path& path, std::string& out,
                   size_t maxBytes = kMaxWholeFileBytes);

// Creates the file anew (replacing any old one) and writes `bytes` into it.
bool WriteWholeFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace kx
