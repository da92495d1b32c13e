// The real program seam: the file name of the process behind a window, and
// whether Windows lets input we inject reach it.
#pragma once

#include <windows.h>

#include <string>

#include "platform/program_query.h"

namespace kx {

class Win32ProgramQuery final : public ProgramQuery {
public:
    // Learns our own elevation and uiAccess once.
    Win32ProgramQuery();
    WindowProgram ProgramOf(WindowHandle window) override;

private:
    bool selfElevated_ = false;
    bool selfUiAccess_ = false;
};

// The file name ("notepad.exe") of the process that owns `window`; empty
// when the process cannot be opened. For the Options page and the tray.
std::u16string ProgramFileNameOfWindow(HWND window);

}  // namespace kx
