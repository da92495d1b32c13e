// The program's view of the focus, for the suspend rules: the focused
// control as the hook module sees it, and whether the focused element
// reports itself a password field (which the hook module does not ask, as
// a hook callback must not wait on another program).
#pragma once

#include <windows.h>

#include "engine/hooklink/accessible_password_win32.h"
#include "engine/hooklink/focus_probe_win32.h"
#include "engine/hooklink/suspend_rules.h"

namespace kx {

class Win32FocusProbe final : public FocusProbe {
public:
    FocusDescription Describe() override {
        FocusDescription d = DescribeFocus(::GetForegroundWindow());
        // Our own windows are suspended anyway, and asking would send our
        // own UI thread a message it may be waiting on us to answer.
        if (!IsOwnWindow(d)) d.reportsPassword = password_.FocusIsPassword(reinterpret_cast<HWND>(d.focusWindow));
        return d;
    }

private:
    AccessiblePasswordQuery password_;
};

}  // namespace kx
