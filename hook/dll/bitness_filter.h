// The bitness rule (engine/hooklink/bitness_rule.h) over the foreground
// window's process.
#pragma once

#include <windows.h>

#include "engine/hooklink/bitness_rule.h"

namespace kx::hook {

class BitnessFilter {
public:
    // `companionModule`: this is kxhook64.dll, loaded by the companion.
    explicit BitnessFilter(bool companionModule);
    bool Watches(HWND foreground);

private:
    BitnessRule rule_;
};

}  // namespace kx::hook
