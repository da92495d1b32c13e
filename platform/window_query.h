// The window seam: which window has the focus and what class it is.
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
};

}  // namespace kx
