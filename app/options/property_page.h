// The base of the pages of the options sheet and of the first-run setup:
// creates the page from its template and routes its messages to the
// object's handlers.
#pragma once

#include <windows.h>
#include <prsht.h>

#include "app/win/window.h"

namespace kx {

class PropertyPage {
public:
    PropertyPage() = default;
    PropertyPage(const PropertyPage&) = delete;
    PropertyPage& operator=(const PropertyPage&) = delete;
    virtual ~PropertyPage() = default;

    // The page's description for the sheet; the object must outlive it.
    PROPSHEETPAGEW Describe(int templateId);
    Window Self() const { return page_; }

protected:
    virtual void OnInit() {}
    virtual void OnCommand(int id, int code) {}
    // The sheet's OK or Apply: false keeps the sheet open on this page.
    virtual bool OnApply() { return true; }
    // A wizard's Finish.
    virtual bool OnFinish() { return OnApply(); }
    virtual void OnSetActive() {}
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) { return false; }
    // The help page the sheet's Help button opens on this page; none grays
    // the button.
    virtual const wchar_t* HelpTopic() const { return nullptr; }

    Window Item(int id) const { return page_.Item(id); }
    Window Sheet() const { return ::GetParent(page_); }

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    Window page_;
};

}  // namespace kx
