// Follows which window is in front, for the status bar's note on the
// program there and for the tray menu's "Off in This Program", which means
// the program the user was in before clicking the tray.
#pragma once

#include <windows.h>

#include <functional>

namespace kx {

class ForegroundWatch {
public:
    ForegroundWatch() = default;
    ForegroundWatch(const ForegroundWatch&) = delete;
    ForegroundWatch& operator=(const ForegroundWatch&) = delete;
    ~ForegroundWatch() { Stop(); }

    // From now on `changed` runs on this thread (which must pump messages)
    // with each new window in front. One watch per process.
    bool Start(std::function<void(HWND)> changed);
    void Stop();

    // The window the user works in: the one in front now, or, while the
    // taskbar or its notification area is, the one in front before. A click
    // on our tray icon goes to the taskbar, which thus comes to the front
    // (remarks of Shell_NotifyIcon and TrackPopupMenu). Null when gone.
    HWND WorkWindow() const;

private:
    static void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD);
    void Seen(HWND window);
    HWINEVENTHOOK hook_ = nullptr;
    HWND lastWork_ = nullptr;
    std::function<void(HWND)> changed_;
};

// The taskbar, the overflow of its notification area, or the desktop.
bool IsShellWindow(HWND window);

}  // namespace kx
