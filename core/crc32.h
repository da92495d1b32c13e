// CRC-32 as used by the database file: the IEEE 802.3 polynomial in its
// reflected form (0xEDB88320), initial value 0xFFFFFFFF, final complement.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kx {

// Continues a checksum over more bytes: Crc32(b, n, Crc32(a, m)) equals the
// checksum of a followed by b. Start with the default of 0.
uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);

}  // namespace kx
