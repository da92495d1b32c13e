#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/crc32.h"

namespace kx {
namespace {

uint32_t BitwiseCrc(const uint8_t* p, size_t n) {
    uint32_t c = 0xFFFFFFFF;
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

TEST(Crc32, KnownValuesEveryLengthAndAlignmentAndContinuation) {
    EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u);
    EXPECT_EQ(Crc32(nullptr, 0), 0u);
    const std::vector<uint8_t> zeros(262086, 0);
    EXPECT_EQ(Crc32(zeros.data(), zeros.size()), BitwiseCrc(zeros.data(), zeros.size()));
    const std::vector<uint8_t> data = RandomBytes(300, 12345);
    for (size_t start = 0; start < 8; ++start)
        for (size_t n = 0; n + start <= 100; ++n)
            ASSERT_EQ(Crc32(data.data() + start, n), BitwiseCrc(data.data() + start, n)) << start << " " << n;
    const uint32_t whole = Crc32(data.data(), data.size());
    for (size_t cut : {0, 1, 7, 8, 9, 150, 300})
        EXPECT_EQ(Crc32(data.data() + cut, data.size() - cut, Crc32(data.data(), cut)), whole) << cut;
}

// The carry-less multiply path folds 64 and 16 bytes at a time and leaves
// the rest to the tables: every length around those steps, at every
// alignment, continuing from several checksums, must agree with the tables.
TEST(Crc32, HardwareAndTablePathsAgree) {
    const auto hardware = crc32_paths::Hardware();
    if (!hardware) GTEST_SKIP() << "no carry-less multiply on this processor";
    const std::vector<uint8_t> data = RandomBytes(4096 + 64, 7);
    for (uint32_t start : {0u, 0xFFFFFFFFu, 0x12345678u})
        for (size_t offset = 0; offset < 16; ++offset)
            for (size_t n = 0; n <= 600; ++n)
                ASSERT_EQ(hardware(data.data() + offset, n, start), crc32_paths::Portable(data.data() + offset, n, start))
                    << "offset " << offset << " length " << n << " from " << start;
    for (size_t n : {1023, 1024, 1025, 4095, 4096})
        EXPECT_EQ(hardware(data.data() + 3, n, 0), BitwiseCrc(data.data() + 3, n)) << n;
    const std::vector<uint8_t> big = RandomBytes((size_t(1) << 20) + 37, 11);
    EXPECT_EQ(hardware(big.data(), big.size(), 0), crc32_paths::Portable(big.data(), big.size(), 0));
    EXPECT_EQ(Crc32(big.data(), big.size()), crc32_paths::Portable(big.data(), big.size(), 0));
}

TEST(Crc32, ZerosWithoutReadingThem) {
    const std::vector<uint8_t> zeros(300000, 0);
    const std::vector<uint8_t> lead = RandomBytes(77, 3);
    for (uint32_t start : {0u, Crc32(lead.data(), lead.size())}) {
        for (size_t n = 0; n <= 520; ++n)
            ASSERT_EQ(Crc32Zeros(n, start), crc32_paths::Portable(zeros.data(), n, start)) << n << " from " << start;
        for (size_t n : {4095, 65536, 262086, 299999, 300000})
            EXPECT_EQ(Crc32Zeros(n, start), crc32_paths::Portable(zeros.data(), n, start)) << n << " from " << start;
    }
    // Zeros split anywhere add up the same as zeros in one go.
    EXPECT_EQ(Crc32Zeros(uint64_t(5) << 32, 0x0BADF00Du),
              Crc32Zeros(uint64_t(3) << 32, Crc32Zeros(uint64_t(2) << 32, 0x0BADF00Du)));
}

}  // namespace
}  // namespace kx
