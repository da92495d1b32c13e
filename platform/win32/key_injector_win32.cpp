#include "platform/win32/key_injector_win32.h"

#include <windows.h>

#include <vector>

namespace kx {
namespace {

HWND Hwnd(WindowHandle w) { return reinterpret_cast<HWND>(w); }

}  // namespace

unsigned Win32KeyInjector::SendInput(std::span<const KeyRecord> records) {
    if (records.empty()) return 0;
    std::vector<INPUT> inputs(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        INPUT& in = inputs[i];
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = records[i].vk;
        in.ki.wScan = records[i].scan;
        in.ki.dwFlags = records[i].flags;
        in.ki.time = records[i].time;
        in.ki.dwExtraInfo = kInjectedKeyMark;
    }
    return ::SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
}

void Win32KeyInjector::KeybdEvent(uint8_t vk, uint8_t scan, uint32_t flags) {
    ::keybd_event(vk, scan, flags, kInjectedKeyMark);
}

int16_t Win32KeyInjector::KeyState(int vk) { return ::GetKeyState(vk); }

bool Win32KeyInjector::PostCommand(WindowHandle window, uintptr_t wParam, intptr_t lParam) {
    return ::PostMessageW(Hwnd(window), WM_COMMAND, wParam, lParam) != FALSE;
}

bool Win32KeyInjector::SetForeground(WindowHandle window) {
    return ::SetForegroundWindow(Hwnd(window)) != FALSE;
}

}  // namespace kx
