#include "app/main/status_bar.h"

#include <commctrl.h>

#include "app/resource_ids.h"
#include "app/win/wide.h"
#include "app/win/window.h"

namespace kx {

void StatusBar::Create(HWND dialog) {
    dialog_ = dialog;
    bar_ = ::CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                             dialog, reinterpret_cast<HMENU>(IDC_STATUS_BAR), ::GetModuleHandleW(nullptr), nullptr);
}

void StatusBar::DivideIntoParts() {
    int ends[3] = {DialogUnitsX(dialog_, 76), DialogUnitsX(dialog_, 208), -1};
    ::SendMessageW(bar_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(ends));
}

void StatusBar::SetText(int part, std::u16string_view text) {
    const std::wstring t = W(text);
    ::SendMessageW(bar_, SB_SETTEXTW, WPARAM(part), reinterpret_cast<LPARAM>(t.c_str()));
}

int StatusBar::Height() const {
    RECT r{};
    ::GetWindowRect(bar_, &r);
    return r.bottom - r.top;
}

void StatusBar::Layout() { ::SendMessageW(bar_, WM_SIZE, 0, 0); }

}  // namespace kx
