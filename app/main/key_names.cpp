#include "app/main/key_names.h"

namespace kx {
namespace {

bool IsExtendedKey(UINT vk) {
    switch (vk) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_LWIN: case VK_RWIN: case VK_APPS:
        return true;
    default:
        return false;
    }
}

}  // namespace

std::wstring KeyName(UINT vk) {
    LONG code = LONG(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
    if (IsExtendedKey(vk)) code |= 1 << 24;
    wchar_t name[64] = {};
    const int n = ::GetKeyNameTextW(code, name, 64);
    if (n > 0) return std::wstring(name, size_t(n));
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return std::wstring(1, wchar_t(vk));
    return {};
}

std::wstring AcceleratorText(BYTE modifiers, UINT vk) {
    std::wstring text;
    if (modifiers & FCONTROL) text += L"Ctrl+";
    if (modifiers & FALT) text += L"Alt+";
    if (modifiers & FSHIFT) text += L"Shift+";
    return text + KeyName(vk);
}

}  // namespace kx
