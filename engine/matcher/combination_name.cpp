#include "engine/matcher/combination_name.h"

#include "base/unicode_case.h"

namespace kx {

char16_t CombinationKeyName(uint32_t vk, char16_t unshifted) {
    if (NamedByKeyCode(vk)) return char16_t(vk);
    if (unshifted < 0x20 || unshifted == 0x7F) return 0;
    return ToUpperUnit(unshifted);
}

}  // namespace kx
