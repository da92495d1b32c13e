// CRC-32 as used by the database file: the IEEE 802.3 polynomial in its
// reflected form (0xEDB88320), initial value 0xFFFFFFFF, final complement.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kx {

// Continues a checksum over more bytes: Crc32(b, n, Crc32(a, m)) equals the
// checksum of a followed by b. Start with the default of 0. Uses carry-less
// multiplication when the processor has it, else tables; both give the same.
uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);

// Continues a checksum over `count` zero bytes without reading any: equals
// Crc32 of that many zeros, in time that grows with the log of `count`.
uint32_t Crc32Zeros(uint64_t count, uint32_t crc = 0);

// The two ways Crc32 computes, exposed so tests can hold one to the other.
namespace crc32_paths {
using Function = uint32_t (*)(const uint8_t* data, size_t size, uint32_t crc);
// Slicing by eight with tables; runs anywhere.
uint32_t Portable(const uint8_t* data, size_t size, uint32_t crc);
// The carry-less multiply version, or null when this processor (or build)
// has none.
Function Hardware();
}  // namespace crc32_paths

}  // namespace kx
