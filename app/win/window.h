// A thin view of a window handle: the handful of calls the dialogs make on
// their controls. It owns nothing.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "app/win/wide.h"

namespace kx {

class Window {
public:
    Window() = default;
    Window(HWND h) : h_(h) {}  // NOLINT: a view converts freely
    HWND Handle() const { return h_; }
    operator HWND() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

    Window Item(int id) const { return ::GetDlgItem(h_, id); }
    LRESULT Send(UINT m, WPARAM w = 0, LPARAM l = 0) const { return ::SendMessageW(h_, m, w, l); }
    std::wstring Text() const { return WindowText(h_); }
    void SetText(std::wstring_view t) const { ::SetWindowTextW(h_, std::wstring(t).c_str()); }
    void SetText(std::u16string_view t) const { ::SetWindowTextW(h_, W(t).c_str()); }
    void Enable(bool on) const { ::EnableWindow(h_, on ? TRUE : FALSE); }
    void Show(int how) const { ::ShowWindow(h_, how); }
    bool Visible() const { return ::IsWindowVisible(h_) != FALSE; }
    void Focus() const { ::SetFocus(h_); }
    bool Checked() const { return Send(BM_GETCHECK) == BST_CHECKED; }
    void Check(bool on) const { Send(BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED); }
    RECT ClientRect() const {
        RECT r{};
        ::GetClientRect(h_, &r);
        return r;
    }

private:
    HWND h_ = nullptr;
};

// Dialog units to pixels for the dialog `dialog`.
inline int DialogUnitsX(HWND dialog, int units) {
    RECT r{0, 0, units, 0};
    ::MapDialogRect(dialog, &r);
    return r.right;
}
inline int DialogUnitsY(HWND dialog, int units) {
    RECT r{0, 0, 0, units};
    ::MapDialogRect(dialog, &r);
    return r.bottom;
}

}  // namespace kx
