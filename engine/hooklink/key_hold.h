// Holding the user's keys while the program may be replacing a keyword.
//
// When a key that may complete a keyword (or a macro's key combination)
// reaches the hook, the program erases the keyword and pastes the text with
// injected keys. Keys the user types meanwhile would reach the window
// between those, and the text would interleave. So from that key on, the
// hook swallows the user's keys and keeps them here, in order, until the
// program has handled the key; then they are injected again ("replayed")
// behind the program's own keys.
//
// Replayed keys come back through the hook marked as such. Each one seen
// counts the replay down, and takes the normal path: it is reported once and
// may itself start a new hold, behind which the rest of the replay is held
// again. Keys the user types while a replay is still on its way are held too,
// behind the rest of the replay, so nothing overtakes it.
//
// A SHIFT or CTRL release that arrives during a hold is not held while its
// press went through: the program types its Backspaces and Ctrl+V while the
// keys are held, and the modifier must not be down for them. When keys that
// were typed with it down are held, the replay presses it again before them
// and releases it after them.
//
// Keys that SendInput refuses to replay are held again, at their place, and
// retried; they are not dropped.
//
// A playing macro holds the user's keys the same way while it injects a
// command's keys (SetProgramHold), and lets them go after each command and
// for its pauses. Keys already replayed before it began are not held again:
// they were typed before the macro's keys.
//
// One lock guards everything; the callback's step neither allocates nor
// waits. A hold ends by itself after kLimitMs, even if the program never
// answers, and so does a replay that never comes back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "engine/hooklink/hook_protocol.h"

namespace kx {

// One key as SendInput takes it back.
struct HeldKey {
    uint16_t vk = 0;
    uint16_t scan = 0;    // for a Unicode key, the UTF-16 unit
    uint32_t flags = 0;   // heldflag::*
    friend bool operator==(const HeldKey&, const HeldKey&) = default;
};

namespace heldflag {
inline constexpr uint32_t kExtended = 0x0001;  // KEYEVENTF_EXTENDEDKEY
inline constexpr uint32_t kKeyUp = 0x0002;     // KEYEVENTF_KEYUP
inline constexpr uint32_t kUnicode = 0x0004;   // KEYEVENTF_UNICODE
}  // namespace heldflag

class KeyHold {
public:
    static constexpr size_t kCapacity = 512;
    static constexpr uint32_t kLimitMs = 1000;
    // A macro command's keys go in one call; should the program never say
    // that they went, its hold ends by itself after this.
    static constexpr uint32_t kProgramLimitMs = 10000;

    // Who typed a key, from its injected flag and extra information.
    enum class Source { Physical, Own, Replay };
    static Source Classify(bool injected, uintptr_t extraInfo, uintptr_t replaySignature);

    struct Step {
        // The callback swallows the key (it is held).
        bool swallow = false;
        // Not 0: the key started a hold; its record carries this number and
        // EndHold(trigger) follows once the program has handled it.
        uint32_t trigger = 0;
        // Held keys may go now (or a limit passed): wake the releasing thread.
        bool wake = false;
    };

    // The callback's step for one key event. `reported`: the key would be
    // reported to the program (keyboard switch on). `mayComplete`: a key-down
    // that may complete a keyword or a key combination.
    Step OnKey(Source source, const HeldKey& key, bool reported, bool mayComplete, uint32_t nowMs);

    // The program has handled the record of `trigger`: that hold is over.
    void EndHold(uint32_t trigger);
    // The program has begun handling the record of `trigger`. From now on
    // that hold does not end by itself: an expansion waits for its target
    // to take the paste, and the keys behind it must come after the paste.
    // The sender's own limit on the record ends it if the program hangs.
    void Delivering(uint32_t trigger);

    // Moves into `out` the keys that may be replayed now: those held while
    // no hold is active and no replay is on its way, or, once kLimitMs has
    // passed, all of them. They count as on their way until the hook sees
    // them; false when there is nothing to replay. The caller injects them
    // and then calls Injected.
    bool TakeReleasable(uint32_t nowMs, std::vector<HeldKey>& out);
    // Ends any hold and takes everything (the hooks are going away).
    void TakeAll(std::vector<HeldKey>& out);
    // The keys TakeReleasable gave were handed to the system and the first
    // `injected` of them accepted. The rest are held again in front of any
    // key held since, and TakeReleasable gives them once more.
    void Injected(const std::vector<HeldKey>& taken, size_t injected, uint32_t nowMs);

    // For the releasing thread's wait: something is held, held back or on its way.
    bool Pending();

    // The program injects a macro command's keys (on) or is done (off). While
    // on, the user's keys are held, whether or not they may complete anything.
    void SetProgramHold(bool on, uint32_t nowMs);

private:
    bool ExpiredLocked(uint32_t nowMs) const;
    // A hold is on: a key's or the program's.
    bool BlockedLocked(uint32_t nowMs) const;
    // A SHIFT or CTRL release whose press is not held: lets it through,
    // bracketing the held key presses with the modifier. False when it
    // must be held like any key.
    bool LiftModifierLocked(const HeldKey& key, bool replayed);
    void InsertLocked(size_t at, const HeldKey& key);

    std::mutex lock_;
    bool holding_ = false;
    uint32_t holdTrigger_ = 0;
    bool delivering_ = false;  // the program handles the hold's record
    uint32_t nextTrigger_ = 0;
    size_t inFlight_ = 0;
    // When the current hold began, or the latest replay progress.
    uint32_t sinceMs_ = 0;
    bool programHold_ = false;
    uint32_t programSinceMs_ = 0;
    HeldKey held_[kCapacity];
    size_t count_ = 0;
    // How many of the held keys, at the front, are replayed keys held again.
    size_t replayedHeld_ = 0;
};

}  // namespace kx
