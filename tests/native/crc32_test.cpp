#include <gtest/gtest.h>

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

TEST(Crc32, KnownValues) {
    const std::string check = "123456789";
    EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(check.data()), check.size()), 0xCBF43926u);
    EXPECT_EQ(Crc32(nullptr, 0), 0u);
    std::vector<uint8_t> zeros(262086, 0);
    EXPECT_EQ(Crc32(zeros.data(), zeros.size()), BitwiseCrc(zeros.data(), zeros.size()));
}

TEST(Crc32, EveryLengthAndAlignmentAndContinuation) {
    std::vector<uint8_t> data(300);
    uint32_t x = 12345;
    for (auto& b : data) b = uint8_t((x = x * 1103515245 + 12345) >> 16);
    for (size_t start = 0; start < 8; ++start)
        for (size_t n = 0; n + start <= 100; ++n)
            ASSERT_EQ(Crc32(data.data() + start, n), BitwiseCrc(data.data() + start, n)) << start << " " << n;
    const uint32_t whole = Crc32(data.data(), data.size());
    for (size_t cut : {0, 1, 7, 8, 9, 150, 300})
        EXPECT_EQ(Crc32(data.data() + cut, data.size() - cut, Crc32(data.data(), cut)), whole) << cut;
}

}  // namespace
}  // namespace kx
