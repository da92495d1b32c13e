// The main window's toolbar: Add (with the drop-down of the four kinds),
// Edit, Delete, the Auto Complete switch and Options, each with a tooltip,
// and the expansion switch, hidden.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "platform/win32/handles.h"

namespace kx {

class MainToolbar {
public:
    void Create(HWND parent);
    HWND Handle() const { return toolbar_; }
    int Height() const;
    void Layout();

    void Enable(int command, bool on);
    void SetAutoCompleteButton(bool on, std::u16string_view tooltip);
    void SetAutoCompleteText(std::u16string_view text);
    // The expansion switch: image and "Expand" or "No Expand".
    void SetExpansionButton(bool on);
    // The button's rectangle in the toolbar's client coordinates.
    RECT ButtonRect(int command) const;

    // TBN_GETINFOTIPW: fills the tooltip of a button. True when handled.
    bool OnInfoTip(NMTBGETINFOTIPW& tip) const;

private:
    HWND toolbar_ = nullptr;
    std::wstring autoTooltip_;
    std::wstring autoText_;
    std::wstring expandText_;
};

}  // namespace kx
