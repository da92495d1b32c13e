// Search/Print: the shortcuts of one store written to "TempPrint.txt" in
// the program's temporary working folder and opened in the user's viewer
// for text files, where the user searches and prints.
#pragma once

#include <windows.h>

#include <string>

#include "app/main/app_services.h"

namespace kx {

// Asks which store when shared shortcuts are loaded, writes the listing
// (replacing the one of an earlier Search/Print of this run) and opens it.
// Ends without output when the user cancels or the folder cannot be made.
void SearchAndPrint(HWND owner, AppServices& services);

}  // namespace kx
