#include "hook/dll/layout_translator.h"

namespace kx::hook {
namespace {

// Since Windows 10 1607 this flag keeps ToUnicodeEx from touching the
// keyboard state, so a dead key pending in the application stays pending.
// Older systems ignore it; there a dead key followed by its letter may
// arrive without the accent.
constexpr UINT kDoNotChangeKeyboardState = 0x4;

}  // namespace

int LayoutTranslator::ToChars(uint32_t vk, uint32_t scan, bool shift, bool ctrl, bool alt, bool capsLock,
                              char16_t* out, int capacity) {
    BYTE state[256] = {};
    if (shift) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
    if (ctrl) state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
    if (alt) state[VK_MENU] = state[VK_RMENU] = 0x80;
    if (capsLock) state[VK_CAPITAL] = 0x01;
    return ::ToUnicodeEx(vk, scan, state, reinterpret_cast<wchar_t*>(out), capacity, kDoNotChangeKeyboardState,
                         layout_);
}

}  // namespace kx::hook
