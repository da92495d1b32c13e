#include <windows.h>

#include "hook/companion/companion.h"
#include "platform/win32/module_loading.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    // kxhook64.dll is loaded by its full path in our own folder; anything
    // loaded by name comes from the system folder only.
    kx::RestrictModuleSearch();
    kx::companion::Companion companion;
    return companion.Run(kx::companion::ParseCommandLine(commandLine));
}
