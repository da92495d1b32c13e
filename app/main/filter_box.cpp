#include "app/main/filter_box.h"

#include <commctrl.h>

#include "app/resource_ids.h"
#include "app/win/wide.h"

namespace kx {

void FilterBox::Create(HWND parent) {
    edit_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0,
                              100, 20, parent, reinterpret_cast<HMENU>(IDC_LIST_FILTER), ::GetModuleHandleW(nullptr),
                              nullptr);
    const HFONT font = reinterpret_cast<HFONT>(::SendMessageW(parent, WM_GETFONT, 0, 0));
    ::SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::SendMessageW(edit_, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"Search shortcuts (Ctrl+F)"));
    TEXTMETRICW tm{};
    HDC dc = ::GetDC(edit_);
    HGDIOBJ old = ::SelectObject(dc, font);
    ::GetTextMetricsW(dc, &tm);
    ::SelectObject(dc, old);
    ::ReleaseDC(edit_, dc);
    height_ = tm.tmHeight + 10;
}

void FilterBox::Place(int top, int width) { ::MoveWindow(edit_, 2, top + 2, width > 4 ? width - 4 : 0, height_ - 4, TRUE); }

void FilterBox::Focus() {
    ::SetFocus(edit_);
    ::SendMessageW(edit_, EM_SETSEL, 0, -1);
}

std::u16string FilterBox::Text() const { return U(WindowText(edit_)); }

}  // namespace kx
