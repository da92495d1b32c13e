#include "engine/hooklink/suspend_rules.h"

#include <vector>

#include "core/crc32.h"

namespace kx {
namespace {

void Append(std::vector<uint8_t>& out, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

uint32_t Checksum(const FocusDescription& d) {
    std::vector<uint8_t> bytes;
    Append(bytes, d.focusWindow, 8);
    Append(bytes, d.style, 4);
    Append(bytes, d.processId, 4);
    Append(bytes, d.ownProcessId, 4);
    Append(bytes, d.reportsPassword, 1);
    for (char16_t c : d.className) Append(bytes, c, 2);
    return Crc32(bytes.data(), bytes.size());
}

}  // namespace

bool SuspendRules::Matches() {
    const FocusDescription d = probe_.Describe();
    const uint32_t crc = Checksum(d);
    if (known_ && crc == lastCrc_) return lastMatch_;
    known_ = true;
    lastCrc_ = crc;
    lastMatch_ = IsPasswordBox(d) || IsOwnWindow(d);
    return lastMatch_;
}

}  // namespace kx
