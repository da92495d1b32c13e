#include "app/lifecycle/command_line_block.h"

#include <algorithm>
#include <cstring>

namespace kx {

std::vector<uint8_t> EncodeCommandLineBlock(const std::vector<std::u16string>& args) {
    std::vector<uint8_t> block(kForwardedBlockSize, 0);
    const int32_t count = int32_t(std::min(args.size(), kForwardedArgsMax));
    for (int i = 0; i < 4; ++i) block[size_t(i)] = uint8_t(uint32_t(count) >> (8 * i));
    for (int32_t i = 0; i < count; ++i) {
        const std::u16string& a = args[size_t(i)];
        const size_t n = std::min(a.size(), kForwardedArgChars - 1);
        uint8_t* slot = block.data() + 4 + size_t(i) * kForwardedArgChars * 2;
        for (size_t k = 0; k < n; ++k) {
            slot[2 * k] = uint8_t(a[k]);
            slot[2 * k + 1] = uint8_t(a[k] >> 8);
        }
    }
    return block;
}

bool DecodeCommandLineBlock(const void* data, size_t size, std::vector<std::u16string>& args) {
    args.clear();
    if (!data || size != kForwardedBlockSize) return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    int32_t count = 0;
    std::memcpy(&count, bytes, 4);
    count = std::clamp<int32_t>(count, 0, int32_t(kForwardedArgsMax));
    for (int32_t i = 0; i < count; ++i) {
        const uint8_t* slot = bytes + 4 + size_t(i) * kForwardedArgChars * 2;
        std::u16string a;
        for (size_t k = 0; k < kForwardedArgChars - 1; ++k) {
            const char16_t c = char16_t(slot[2 * k] | (slot[2 * k + 1] << 8));
            if (c == 0) break;
            a.push_back(c);
        }
        args.push_back(std::move(a));
    }
    return true;
}

}  // namespace kx
