#include "engine/hooklink/bitness_rule.h"

namespace kx {

BitnessMode BitnessModeFor(bool companionModule, bool selfWow64) {
    if (companionModule) return BitnessMode::NativeOnly;
    return selfWow64 ? BitnessMode::Wow64Only : BitnessMode::All;
}

bool BitnessRule::Watches(uint32_t processId, AskWow64 ask) {
    if (mode_ == BitnessMode::All) return true;
    // Keys with no foreground window go to the program's own module.
    if (processId == 0) return mode_ == BitnessMode::Wow64Only;
    if (processId != cachedPid_) {
        const int wow64 = ask(processId);
        // What cannot be asked goes to the program's own module too.
        cachedWatch_ = mode_ == BitnessMode::Wow64Only ? wow64 != 0 : wow64 == 0;
        cachedPid_ = processId;
    }
    return cachedWatch_;
}

}  // namespace kx
