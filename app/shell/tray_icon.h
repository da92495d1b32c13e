// The notification-area icon: identifier 24, callback message 0x8067, the
// tip "Kestrix Text Expander Software", and its balloons.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string_view>

#include "platform/win32/handles.h"

namespace kx {

inline constexpr UINT kTrayIconId = 24;
inline constexpr UINT kTrayCallbackMessage = WM_APP + 0x67;

class TrayIcon {
public:
    TrayIcon() = default;
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;
    ~TrayIcon() { Remove(); }

    // Adds the icon for `window` with the small form of icon resource `iconId`.
    bool Add(HWND window, int iconId);
    // Shows icon resource 1 or 23.
    void SetIcon(int iconId);
    void Remove();
    // After the shell restarted ("TaskbarCreated").
    void Readd();
    void ShowBalloon(std::u16string_view title, std::u16string_view text, unsigned ms);
    bool Added() const { return added_; }

private:
    NOTIFYICONDATAW Data(UINT flags) const;
    HWND window_ = nullptr;
    int iconId_ = 0;
    UniqueIcon icon_;
    bool added_ = false;
};

}  // namespace kx
