#include "engine/output/clipboard_put.h"

#include <algorithm>
#include <cstring>

#include "base/unicode_case.h"

namespace kx {
namespace {

constexpr size_t kSpareBytes = 4;

char16_t UnitAt(const std::vector<uint8_t>& b, size_t i) {
    char16_t c;
    std::memcpy(&c, &b[2 * i], 2);
    return c;
}

void SetUnit(std::vector<uint8_t>& b, size_t i, char16_t c) { std::memcpy(&b[2 * i], &c, 2); }

}  // namespace

std::vector<uint8_t> ClipboardBytes(const ClipItem& item, Casing casing) {
    std::vector<uint8_t> block(item.bytes.size() + kSpareBytes, 0);
    if (!item.bytes.empty()) std::memcpy(block.data(), item.bytes.data(), item.bytes.size());
    const size_t units = block.size() / 2;
    // The spare bytes hold the trailing character and its terminator when
    // the character count matches the data; a count beyond that is ignored.
    if (item.trailing && item.charCount + 2 <= units) {
        SetUnit(block, item.charCount, item.trailing);
        SetUnit(block, item.charCount + 1, 0);
    }
    if (casing.firstCapital && units > 0) SetUnit(block, 0, ToUpperUnit(UnitAt(block, 0)));
    if (casing.allCapitals) {
        for (size_t i = 0; i < units; ++i) {
            const char16_t c = UnitAt(block, i);
            if (!c) break;
            SetUnit(block, i, ToUpperUnit(c));
        }
    }
    return block;
}

bool OpenClipboardWithin(ClipboardSession& session, Clock& clock, WindowHandle owner, uint32_t limitMs) {
    const uint32_t start = clock.TickMs();
    while (!session.Open(owner)) {
        const uint32_t waited = clock.TickMs() - start;
        if (waited >= limitMs) return false;
        clock.SleepMs(std::min(kClipboardOpenPollMs, limitMs - waited));
    }
    return true;
}

bool PutPrivacyFormats(Clipboard& clipboard) {
    static constexpr uint8_t kZeroDword[4] = {0, 0, 0, 0};
    for (std::u16string_view name : kPrivacyFormatNames) {
        const unsigned format = clipboard.RegisterFormat(name);
        if (!format || !clipboard.SetData(format, kZeroDword)) return false;
    }
    return true;
}

}  // namespace kx
