#include "app/main/edit_keys.h"

namespace kx {
namespace {

// Virtual-key codes; this file needs no Windows header.
constexpr unsigned kBack = 0x08, kEnd = 0x23, kHome = 0x24, kLeft = 0x25, kDown = 0x28, kInsert = 0x2D,
                   kDelete = 0x2E, kF1 = 0x70, kF24 = 0x87;

}  // namespace

bool EditBoxOwnsKey(unsigned vk, bool ctrl, bool alt) {
    if (alt) return false;
    if (!ctrl) return vk < kF1 || vk > kF24;
    switch (vk) {
    case 'A': case 'C': case 'V': case 'X': case 'Y': case 'Z':
    case kInsert: case kDelete: case kBack: case kHome: case kEnd: return true;
    default: return vk >= kLeft && vk <= kDown;
    }
}

}  // namespace kx
