// The window seam: which window has the focus, what class it is, and what
// its keyboard layout types.
#pragma once

#include <cstdint>
#include <string>

namespace kx {

// A window handle carried through portable code without <windows.h>.
using WindowHandle = uintptr_t;

class WindowQuery {
public:
    virtual ~WindowQuery() = default;
    virtual WindowHandle Foreground() = 0;
    // Class name of the window, at most 259 characters; empty when unknown.
    virtual std::u16string ClassName(WindowHandle window) = 0;
    // The character the key types without any modifier in the keyboard
    // layout of the window's thread; 0 when it types none, or when the
    // layout is not known (then the matcher goes by the typed character).
    virtual char16_t UnshiftedCharacter(WindowHandle window, uint32_t vk) {
        (void)window;
        (void)vk;
        return 0;
    }
};

}  // namespace kx
