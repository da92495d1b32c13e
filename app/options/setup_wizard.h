// The setup of a first start, shown once after the welcome: the short
// forms of the General and Auto Complete pages, with sent-mail scanning.
#pragma once

#include <windows.h>

#include "app/main/app_services.h"

namespace kx {

// Runs the two pages as a wizard; Finish writes them, Cancel nothing.
// Returns whether the user finished it.
bool RunFirstRunSetup(HWND owner, AppServices& services);

}  // namespace kx
