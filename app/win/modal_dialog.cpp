#include "app/win/modal_dialog.h"

namespace kx {

INT_PTR ModalDialog::Run(HWND owner, int templateId) {
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, &Procedure,
                             reinterpret_cast<LPARAM>(this));
}

INT_PTR ModalDialog::RunTemplate(HWND owner, const void* dialogTemplate) {
    return ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), static_cast<LPCDLGTEMPLATEW>(dialogTemplate), owner,
                                     &Procedure, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK ModalDialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<ModalDialog*>(lParam)->dialog_ = window;
    }
    auto* self = reinterpret_cast<ModalDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    return self ? self->Dispatch(message, wParam, lParam) : FALSE;
}

INT_PTR ModalDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    INT_PTR result = 0;
    if (OnMessage(message, wParam, lParam, result)) {
        if (message != WM_INITDIALOG) ::SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    switch (message) {
    case WM_INITDIALOG:
        return OnInit() ? TRUE : FALSE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id == IDOK) OnOk();
        else if (id == IDCANCEL) OnCancel();
        else OnCommand(id, HIWORD(wParam));
        return TRUE;
    }
    case WM_NOTIFY:
        ::SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, OnNotify(*reinterpret_cast<NMHDR*>(lParam)));
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace kx
