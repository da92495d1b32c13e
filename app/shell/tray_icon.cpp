#include "app/shell/tray_icon.h"

#include <shellapi.h>

#include <algorithm>
#include <cwchar>

namespace kx {
namespace {

constexpr wchar_t kTip[] = L"Kestrix Text Expander Software";

template <size_t N>
void CopyField(wchar_t (&field)[N], std::u16string_view text) {
    const size_t n = std::min(text.size(), N - 1);
    for (size_t i = 0; i < n; ++i) field[i] = wchar_t(text[i]);
    field[n] = 0;
}

}  // namespace

NOTIFYICONDATAW TrayIcon::Data(UINT flags) const {
    NOTIFYICONDATAW d{};
    d.cbSize = sizeof(d);
    d.hWnd = window_;
    d.uID = kTrayIconId;
    d.uFlags = flags;
    d.uCallbackMessage = kTrayCallbackMessage;
    d.hIcon = icon_.Get();
    std::wcsncpy(d.szTip, kTip, std::size(d.szTip) - 1);
    return d;
}

bool TrayIcon::Add(HWND window, int iconId) {
    window_ = window;
    iconId_ = iconId;
    icon_.Reset(LoadAppIcon(iconId, ::GetSystemMetrics(SM_CXSMICON)));
    NOTIFYICONDATAW d = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    added_ = ::Shell_NotifyIconW(NIM_ADD, &d) != FALSE;
    return added_;
}

void TrayIcon::SetIcon(int iconId) {
    iconId_ = iconId;
    icon_.Reset(LoadAppIcon(iconId, ::GetSystemMetrics(SM_CXSMICON)));
    if (!added_) return;
    NOTIFYICONDATAW d = Data(NIF_ICON);
    ::Shell_NotifyIconW(NIM_MODIFY, &d);
}

void TrayIcon::Remove() {
    if (!added_) return;
    NOTIFYICONDATAW d = Data(0);
    ::Shell_NotifyIconW(NIM_DELETE, &d);
    added_ = false;
}

void TrayIcon::Readd() {
    if (!window_) return;
    Remove();
    NOTIFYICONDATAW d = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    added_ = ::Shell_NotifyIconW(NIM_ADD, &d) != FALSE;
}

void TrayIcon::ShowBalloon(std::u16string_view title, std::u16string_view text, unsigned ms) {
    if (!added_) return;
    NOTIFYICONDATAW d = Data(NIF_INFO);
    CopyField(d.szInfoTitle, title);
    CopyField(d.szInfo, text);
    d.uTimeout = ms;
    d.dwInfoFlags = NIIF_INFO;
    ::Shell_NotifyIconW(NIM_MODIFY, &d);
}

}  // namespace kx
