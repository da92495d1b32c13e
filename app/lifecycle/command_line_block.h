// The block a second start sends to the running copy by WM_COPYDATA: a
// signed 32-bit argument count (at most 128) and 128 slots of 260 UTF-16
// units, each argument zero-terminated and cut to 259 units.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kx {

inline constexpr size_t kForwardedArgsMax = 128;
inline constexpr size_t kForwardedArgChars = 260;
inline constexpr size_t kForwardedBlockSize = 4 + kForwardedArgsMax * kForwardedArgChars * 2;  // 0x10404
static_assert(kForwardedBlockSize == 0x10404);

// Builds the block from the arguments (argument 0 the sender's program path).
std::vector<uint8_t> EncodeCommandLineBlock(const std::vector<std::u16string>& args);

// Reads a received block. Nothing when the size is not the block's; a count
// below 0 gives no arguments and one above 128 is read as 128.
bool DecodeCommandLineBlock(const void* data, size_t size, std::vector<std::u16string>& args);

}  // namespace kx
