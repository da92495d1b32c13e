// The "Kestrix Options" window: the General, Shared Shortcuts, Auto
// Complete and Programs pages in one property sheet.
#pragma once

#include <windows.h>

#include "app/main/app_services.h"
#include "app/options/autocomplete_page.h"

namespace kx {

enum class OptionsPage : int { General = 0, SharedShortcuts = 1, AutoComplete = 2, Programs = 3 };

// Shows the sheet at `start` and returns once it is closed, by whatever
// button. `memoryLimit` goes to the Auto Complete page.
void RunOptionsSheet(HWND owner, AppServices& services, OptionsPage start, MemoryLimitAccess memoryLimit);

}  // namespace kx
