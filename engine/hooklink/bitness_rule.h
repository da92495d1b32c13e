// Which applications a hook module reports. Low-level hooks see the input of
// every application, so on 64-bit Windows the 32-bit module of the program
// and the companion's 64-bit module would both report each key. Each reports
// only the applications of its own kind: kxhook64.dll the 64-bit ones, and
// kxhook.dll, when it runs under WOW64, the 32-bit ones. A kxhook.dll in a
// process of the machine's own width reports everything.
#pragma once

#include <cstdint>

namespace kx {

enum class BitnessMode { All, Wow64Only, NativeOnly };

// `companionModule`: kxhook64.dll, loaded by the companion. `selfWow64`: the
// module's own process runs under WOW64.
BitnessMode BitnessModeFor(bool companionModule, bool selfWow64);

// 1 when the process runs under WOW64, 0 when not, -1 when it cannot be
// asked (another user's, or elevated).
using AskWow64 = int (*)(uint32_t processId);

class BitnessRule {
public:
    explicit BitnessRule(BitnessMode mode) : mode_(mode) {}
    // Whether keys going to a window of process `processId` (0: no
    // foreground window) are this module's to report. The answer for the
    // last process asked is kept.
    bool Watches(uint32_t processId, AskWow64 ask);

private:
    BitnessMode mode_;
    uint32_t cachedPid_ = 0;
    bool cachedWatch_ = true;
};

}  // namespace kx
