#include "engine/matcher/combination_name.h"

#include "base/unicode_case.h"

namespace kx {

char16_t CombinationKeyName(uint32_t vk, char16_t unshifted) {
    if ((vk >= 0x30 && vk <= 0x39) || (vk >= 0x41 && vk <= 0x5A)) return char16_t(vk);
    if (unshifted < 0x20 || unshifted == 0x7F) return 0;
    return ToUpperUnit(unshifted);
}

}  // namespace kx
