#include <windows.h>

#include "hook/companion/companion.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    kx::companion::Companion companion;
    return companion.Run(kx::companion::ParseCommandLine(commandLine));
}
