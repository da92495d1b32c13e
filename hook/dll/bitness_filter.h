// Which applications a hook module reports. Low-level hooks see the input of
// every application, so on 64-bit Windows the 32-bit module of the program
// and the companion's 64-bit module would both report each key. Each reports
// only the applications of its own kind: kxhook64.dll the 64-bit ones, and
// kxhook.dll, when it runs under WOW64, the 32-bit ones. A kxhook.dll in a
// process of the machine's own width reports everything.
#pragma once

#include <windows.h>

namespace kx::hook {

class BitnessFilter {
public:
    // `companionModule`: this is kxhook64.dll, loaded by the companion.
    explicit BitnessFilter(bool companionModule);
    bool Watches(HWND foreground);

private:
    enum class Mode { All, Wow64Only, NativeOnly };
    Mode mode_;
    DWORD cachedPid_ = 0;
    bool cachedWatch_ = true;
};

}  // namespace kx::hook
