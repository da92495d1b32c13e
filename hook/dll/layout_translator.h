// Characters of a key in a given keyboard layout, by ToUnicodeEx.
#pragma once

#include <windows.h>

#include "engine/hooklink/key_translation.h"

namespace kx::hook {

class LayoutTranslator final : public KeyTranslator {
public:
    explicit LayoutTranslator(HKL layout) : layout_(layout) {}
    int ToChars(uint32_t vk, uint32_t scan, bool shift, bool ctrl, bool alt, bool capsLock, char16_t* out,
                int capacity) override;

private:
    HKL layout_;
};

}  // namespace kx::hook
