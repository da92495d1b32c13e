// Search/Print: the shortcuts of one store written to "TempPrint.txt" in
// the program's temporary working folder and opened in the user's viewer
// for text files, where the user searches and prints.
#pragma once

#include <windows.h>

#include <string>

#include "app/main/app_services.h"

namespace kx {

// The working folder under the system's temporary folder, named after the
// calling thread; empty when it cannot be made.
std::wstring PrintWorkingFolder();

// Asks which store when shared shortcuts are loaded, writes the listing
// (replacing an earlier one) and opens it. Ends without output when the
// user cancels or the scratch file cannot be made.
void SearchAndPrint(HWND owner, AppServices& services);

}  // namespace kx
