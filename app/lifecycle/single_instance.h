// One running copy per log-on session: the start-up mutex that orders
// concurrent starts, the hidden instance window by which a later start
// finds the running copy, and the forwarding of its command line.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/handles.h"

namespace kx {

inline constexpr wchar_t kInstanceWindowClass[] = L"TarvikSoftware_InstanceWindow";
inline constexpr wchar_t kInstanceWindowTitle[] = L"Kestrix";

// "Local\KestrixStarting", held from before the search for a running copy
// until this copy has its instance window and has applied its command line.
// One copy runs per session, so the mutex is the session's: a user in another
// session cannot hold it and delay our start.
class StartupMutex {
public:
    // Waits at most 20 s; a start that cannot get it goes on without it.
    void Take();
    void Release();
    ~StartupMutex() { Release(); }

private:
    UniqueHandle mutex_;
    bool owned_ = false;
};

// The running copy's instance window, or null. A window of that class and
// title that another program made is passed over.
HWND FindRunningInstance();

// Sends the command line to the running copy's instance window.
bool ForwardCommandLine(HWND instance, const std::vector<std::u16string>& args);

// The hidden instance window of this copy. It passes WM_COPYDATA on to the
// window kept in its user data, unchanged.
class InstanceWindow {
public:
    bool Create();
    void SetMainWindow(HWND main);
    void Destroy() { window_.Reset(); }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    UniqueWindow window_;
};

}  // namespace kx
