#include "app/win/balloon_tip.h"

#include <commctrl.h>

#include <iterator>

#include "app/win/wide.h"

namespace kx {
namespace {

constexpr UINT_PTR kToolId = 1;
constexpr UINT_PTR kHideTimer = 1;

TTTOOLINFOW ToolInfo(HWND owner) {
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = owner;
    ti.uId = kToolId;
    return ti;
}

}  // namespace

void BalloonTip::Show(HWND anchor, std::u16string_view title, std::u16string_view text, int icon, const RECT* area,
                      unsigned ms) {
    Hide();
    HWND owner = ::GetAncestor(anchor, GA_ROOT);
    tip_.Reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP | TTS_CLOSE, 0, 0, 0, 0,
                                 owner, nullptr, ::GetModuleHandleW(nullptr), nullptr));
    if (!tip_) return;
    title_ = W(title);
    text_ = W(text);
    TTTOOLINFOW ti = ToolInfo(owner);
    ti.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    ti.lpszText = text_.data();
    ::SendMessageW(tip_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    ::SendMessageW(tip_.Get(), TTM_SETMAXTIPWIDTH, 0, 320);
    ::SendMessageW(tip_.Get(), TTM_SETTITLEW, icon, reinterpret_cast<LPARAM>(title_.c_str()));
    ::SetWindowLongPtrW(tip_.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));

    RECT r{};
    if (area) r = *area;
    else ::GetClientRect(anchor, &r);
    POINT at{(r.left + r.right) / 2, r.bottom - 2};
    ::ClientToScreen(anchor, &at);
    ::SendMessageW(tip_.Get(), TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
    ::SendMessageW(tip_.Get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
    ::SetTimer(tip_.Get(), kHideTimer, ms, &OnHideTimer);
    // Windows' own edit balloons go as soon as the user types in the field;
    // this one does the same, or it would keep covering the dialog's buttons
    // below the field for its whole time while the user fixes the text.
    // A drop-down list is no field typed in: its keys choose an entry, and
    // the Enter that closes the list would take away the balloon that the
    // choice has just shown.
    wchar_t cls[16] = {};
    ::GetClassNameW(anchor, cls, int(std::size(cls)));
    if (::lstrcmpiW(cls, WC_COMBOBOXW) == 0) return;
    if (::SetWindowSubclass(anchor, &AnchorProc, kToolId, reinterpret_cast<DWORD_PTR>(this))) watched_ = anchor;
}

LRESULT CALLBACK BalloonTip::AnchorProc(HWND w, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
    auto* tip = reinterpret_cast<BalloonTip*>(self);
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        // A modifier alone changes nothing yet.
        if (wp == VK_SHIFT || wp == VK_CONTROL || wp == VK_MENU || wp == VK_LWIN || wp == VK_RWIN) break;
        tip->Hide();
        break;
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
        tip->Hide();
        break;
    case WM_NCDESTROY:
        tip->Unwatch();
        break;
    }
    return ::DefSubclassProc(w, msg, wp, lp);
}

void BalloonTip::Unwatch() {
    if (watched_) ::RemoveWindowSubclass(watched_, &AnchorProc, kToolId);
    watched_ = nullptr;
}

void CALLBACK BalloonTip::OnHideTimer(HWND tip, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(tip, id);
    TTTOOLINFOW ti = ToolInfo(reinterpret_cast<HWND>(::GetWindowLongPtrW(tip, GWLP_USERDATA)));
    ::SendMessageW(tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
}

void BalloonTip::Hide() {
    Unwatch();
    tip_.Reset();
}

bool BalloonTip::Visible() const { return tip_ && ::IsWindowVisible(tip_.Get()); }

}  // namespace kx
