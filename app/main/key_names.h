// Keyboard shortcuts as menus show them: "Ctrl+Shift+S", with the key's
// name as the system gives it.
#pragma once

#include <windows.h>

#include <string>

namespace kx {

// The system's name of a virtual key, with the extended-key flag for the
// keys that have it (arrows, Insert, Delete, Home, End, Page Up and Down,
// the Windows and menu keys).
std::wstring KeyName(UINT vk);

// "Ctrl+", "Alt+", "Shift+" for the modifiers of an accelerator (FCONTROL,
// FALT, FSHIFT) followed by the key's name.
std::wstring AcceleratorText(BYTE modifiers, UINT vk);

}  // namespace kx
