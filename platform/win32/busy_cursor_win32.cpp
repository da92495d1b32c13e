#include "platform/win32/busy_cursor_win32.h"

#include <windows.h>

namespace kx {

void Win32BusyCursor::Begin() {
    // Nested operations (a save that reloads) keep the outermost cursor.
    HCURSOR prev = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    if (depth_++ == 0) previous_ = prev;
}

void Win32BusyCursor::End() {
    if (depth_ > 0 && --depth_ == 0) SetCursor(static_cast<HCURSOR>(previous_));
}

}  // namespace kx
