// The "Kestrix Options" window: the General, Shared Shortcuts and Auto
// Complete pages in one property sheet.
#pragma once

#include <windows.h>

#include <functional>

#include "app/main/app_services.h"

namespace kx {

enum class OptionsPage : int { General = 0, SharedShortcuts = 1, AutoComplete = 2 };

// Shows the sheet at `start` and returns once it is closed, by whatever
// button. `applyMemoryLimit` goes to the Auto Complete page.
void RunOptionsSheet(HWND owner, AppServices& services, OptionsPage start,
                     std::function<void(int)> applyMemoryLimit);

}  // namespace kx
