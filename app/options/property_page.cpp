#include "app/options/property_page.h"

#include <commctrl.h>

#include "app/shell/help_topics.h"

namespace kx {

PROPSHEETPAGEW PropertyPage::Describe(int templateId) {
    PROPSHEETPAGEW p{};
    p.dwSize = sizeof(p);
    p.hInstance = ::GetModuleHandleW(nullptr);
    p.pszTemplate = MAKEINTRESOURCEW(templateId);
    p.pfnDlgProc = &Procedure;
    if (HelpTopic()) p.dwFlags |= PSP_HASHELP;
    p.lParam = reinterpret_cast<LPARAM>(this);
    return p;
}

INT_PTR CALLBACK PropertyPage::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<PropertyPage*>(reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam);
        ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->page_ = window;
    }
    auto* self = reinterpret_cast<PropertyPage*>(::GetWindowLongPtrW(window, DWLP_USER));
    return self ? self->Dispatch(message, wParam, lParam) : FALSE;
}

INT_PTR PropertyPage::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInit();
        return TRUE;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR& header = *reinterpret_cast<NMHDR*>(lParam);
        LONG_PTR result = 0;
        switch (header.code) {
        case PSN_APPLY:
            // A refusal brings this page to the front and keeps the sheet open.
            result = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID;
            break;
        case PSN_WIZFINISH:
            result = OnFinish() ? 0 : 1;
            break;
        case PSN_SETACTIVE:
            OnSetActive();
            break;
        case PSN_HELP:
            if (HelpTopic()) OpenHelpTopic(page_, HelpTopic());
            break;
        default: {
            // The page's own controls' notifications.
            INT_PTR handled = 0;
            return OnMessage(message, wParam, lParam, handled) ? handled : FALSE;
        }
        }
        ::SetWindowLongPtrW(page_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    default: {
        INT_PTR result = 0;
        if (OnMessage(message, wParam, lParam, result)) return result;
        return FALSE;
    }
    }
}

}  // namespace kx
