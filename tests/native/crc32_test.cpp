#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/crc32.h"

namespace kx {
namespace {

uint32_t BitwiseCrc(const uint8_t* p, size_t n, uint32_t c = 0) {
    c = ~c;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return ~c;
}

std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed) {
    std::vector<uint8_t> data(n);
    std::mt19937 rng(seed);
    for (auto& b : data) b = uint8_t(rng());
    return data;
}

// Every path (the tables, the carry-less multiply folding 64 and 16 bytes
// at a time, zeros counted without reading them) agrees with the bit-by-bit
// definition at every length around its steps, every alignment, and
// continuing from other checksums.
TEST(Crc32, EveryPathAgreesWithTheDefinition) {
    EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u);
    const std::vector<uint8_t> data = RandomBytes(4096 + 64, 7), zeros(300000, 0);
    const auto hardware = crc32_paths::Hardware();
    for (uint32_t start : {0u, 0xFFFFFFFFu, 0x12345678u})
        for (size_t offset = 0; offset < 16; ++offset)
            for (size_t n = 0; n <= 600; ++n) {
                const uint32_t want = BitwiseCrc(data.data() + offset, n, start);
                ASSERT_EQ(Crc32(data.data() + offset, n, start), want) << offset << " " << n << " " << start;
                if (hardware) { ASSERT_EQ(hardware(data.data() + offset, n, start), want) << offset << " " << n; }
                if (offset == 0) { ASSERT_EQ(Crc32Zeros(n, start), BitwiseCrc(zeros.data(), n, start)) << n; }
            }
    for (size_t n : {1023, 1024, 1025, 4095, 4096}) EXPECT_EQ(Crc32(data.data() + 3, n), BitwiseCrc(data.data() + 3, n));
    for (size_t n : {4095, 65536, 262086, 300000}) EXPECT_EQ(Crc32Zeros(n, 77), BitwiseCrc(zeros.data(), n, 77)) << n;
    const std::vector<uint8_t> big = RandomBytes((size_t(1) << 20) + 37, 11);
    EXPECT_EQ(Crc32(big.data(), big.size()), crc32_paths::Portable(big.data(), big.size(), 0));
    EXPECT_EQ(Crc32Zeros(uint64_t(5) << 32, 0x0BADF00Du),
              Crc32Zeros(uint64_t(3) << 32, Crc32Zeros(uint64_t(2) << 32, 0x0BADF00Du)));
}

}  // namespace
}  // namespace kx
