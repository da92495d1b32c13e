// kestrix64.exe: the program's eyes on 64-bit applications. It loads
// kxhook64.dll, takes the records the module sends to its own window, and
// passes each on to the program through the shared block "Hook64Info" and
// message 1195 to the program's main window (found in "Kestrix64Window").
// It lives while the program keeps refreshing the liveness byte.
#pragma once

#include <windows.h>

#include <string>

#include "engine/hooklink/hook_module_win32.h"
#include "engine/hooklink/hook_protocol.h"
#include "engine/hooklink/shared_block_win32.h"

namespace kx::companion {

inline constexpr const wchar_t* kWindowClass = hookproto::kCompanionWindowClass;
inline constexpr wchar_t kModuleName[] = L"kxhook64.dll";

struct Options {
    // How often the liveness byte is counted down. One second in use; tests
    // shorten it with "--tick-ms N".
    UINT tickMs = 1000;
};

Options ParseCommandLine(const wchar_t* commandLine);

class Companion {
public:
    // 0 after the liveness byte ran out, 2 when the shared blocks, the
    // module or the window could not be set up.
    int Run(const Options& options);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnRecord(const COPYDATASTRUCT* data);
    // Counts the liveness byte down; false when it has reached 0.
    bool CountDown();

    SharedBlock info_, signal_, pid_, appWindow_;
    HookModule module_;
    HWND window_ = nullptr;
};

}  // namespace kx::companion
