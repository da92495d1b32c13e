// The real foreground window, window class names and keyboard layouts.
#pragma once

#include <windows.h>

#include "platform/window_query.h"

namespace kx {

class Win32WindowQuery final : public WindowQuery {
public:
    WindowHandle Foreground() override;
    std::u16string ClassName(WindowHandle window) override;
    char16_t UnshiftedCharacter(WindowHandle window, uint32_t vk) override;
};

// The key's unshifted character in `layout`, as MapVirtualKeyEx gives it
// (a dead key gives its accent); 0 when the key types none. The macro
// editor names held keys with it in its own layout, the matcher in the
// layout of the window typed into.
char16_t UnshiftedCharacter(uint32_t vk, HKL layout);

}  // namespace kx
