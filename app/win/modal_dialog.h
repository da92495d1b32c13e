// The base of the program's modal dialogs: runs a dialog template and
// routes its messages to the virtual handlers of the object.
#pragma once

#include <windows.h>

#include "app/win/window.h"

namespace kx {

class ModalDialog {
public:
    ModalDialog() = default;
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;
    virtual ~ModalDialog() = default;

    // Runs the template; returns the code given to End (IDCANCEL for the
    // close box and Escape), or -1 when the dialog could not be created.
    INT_PTR Run(HWND owner, int templateId);
    // The same from a template in memory.
    INT_PTR RunTemplate(HWND owner, const void* dialogTemplate);

protected:
    virtual bool OnInit() { return true; }
    // OK and Cancel end the dialog unless a handler says otherwise.
    virtual void OnOk() { End(IDOK); }
    virtual void OnCancel() { End(IDCANCEL); }
    virtual void OnCommand(int id, int code) {}
    virtual INT_PTR OnNotify(NMHDR& header) { return 0; }
    // Any other message; return true when handled, with the result in `result`.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) { return false; }

    void End(INT_PTR code) { ::EndDialog(dialog_, code); }
    Window Self() const { return dialog_; }
    Window Item(int id) const { return dialog_.Item(id); }

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    Window dialog_;
};

}  // namespace kx
