// A balloon pointing at a control, with a title, an icon and a text: how the
// dialogs tell the user what is wrong with a field, and how the main window
// points at its Add button. It closes itself after a while, when the user
// clicks it, types into the control it points at, or when another balloon
// replaces it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/win32/handles.h"

namespace kx {

class BalloonTip {
public:
    BalloonTip() = default;
    BalloonTip(const BalloonTip&) = delete;
    BalloonTip& operator=(const BalloonTip&) = delete;
    ~BalloonTip() { Hide(); }

    // Points at the bottom centre of `anchor`, or of `area` (client
    // coordinates of `anchor`) when given. `icon` is TTI_INFO, TTI_WARNING
    // or TTI_ERROR.
    void Show(HWND anchor, std::u16string_view title, std::u16string_view text, int icon = TTI_WARNING,
              const RECT* area = nullptr, unsigned ms = 10000);
    void Hide();
    bool Visible() const;
    HWND Handle() const { return tip_.Get(); }

private:
    static void CALLBACK OnHideTimer(HWND tip, UINT, UINT_PTR id, DWORD);
    static LRESULT CALLBACK AnchorProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void Unwatch();
    UniqueWindow tip_;
    HWND watched_ = nullptr;
    std::wstring title_, text_;
};

}  // namespace kx
