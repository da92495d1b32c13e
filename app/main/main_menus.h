// The main window's menu bar, built from a table of entries, with the
// keyboard accelerators shown beside the items; the Groups submenu; and the
// Add button's menu of the four kinds.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/win32/handles.h"
#include "core/group_commands.h"

namespace kx {

class MainMenus {
public:
    // Builds the menu bar on `window` (its template's placeholder removed)
    // and the accelerator table.
    void Build(HWND window);
    HACCEL Accelerators() const { return accelerators_.Get(); }
    HMENU Bar() const { return ::GetMenu(window_); }

    void RebuildGroups(const std::vector<GroupsMenuItem>& items);
    void Enable(int command, bool on);

    // The menu of the four kinds, shown at `at` (screen coordinates) under
    // a button. Returns the command chosen, 0 for none.
    int ShowAddMenu(HWND owner, POINT at);

private:
    HWND window_ = nullptr;
    HMENU groups_ = nullptr;
    UniqueAccel accelerators_;
    std::vector<UniqueBitmap> bitmaps_;
};

}  // namespace kx
