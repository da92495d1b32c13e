#include "engine/hooklink/key_hold.h"

namespace kx {

KeyHold::Source KeyHold::Classify(bool injected, uintptr_t extraInfo, uintptr_t replaySignature) {
    if (!injected) return Source::Physical;
    if (extraInfo == hookproto::kOwnInputSignature) return Source::Own;
    if (extraInfo == replaySignature) return Source::Replay;
    // Other programs' injected keys are typing like any other.
    return Source::Physical;
}

bool KeyHold::ExpiredLocked(uint32_t nowMs) const {
    if (holding_ && delivering_) return false;
    return (holding_ || inFlight_ > 0) && uint32_t(nowMs - sinceMs_) >= kLimitMs;
}

bool KeyHold::BlockedLocked(uint32_t nowMs) const {
    return holding_ || (programHold_ && uint32_t(nowMs - programSinceMs_) < kProgramLimitMs);
}

void KeyHold::SetProgramHold(bool on, uint32_t nowMs) {
    std::lock_guard<std::mutex> g(lock_);
    if (on && !programHold_) programSinceMs_ = nowMs;
    programHold_ = on;
}

namespace {

// SHIFT and CTRL, generic and sided. ALT is left alone: a press and release
// of ALT around nothing would open the target's menu.
bool IsLiftedModifier(uint16_t vk) { return vk == 0x10 || vk == 0x11 || (vk >= 0xA0 && vk <= 0xA3); }

}  // namespace

void KeyHold::InsertLocked(size_t at, const HeldKey& key) {
    for (size_t i = count_; i > at; --i) held_[i] = held_[i - 1];
    held_[at] = key;
    ++count_;
}

bool KeyHold::LiftModifierLocked(const HeldKey& key, bool replayed) {
    if (!(key.flags & heldflag::kKeyUp) || !IsLiftedModifier(key.vk)) return false;
    bool pressHeld = false, keyDownHeld = false;
    for (size_t i = 0; i < count_; ++i) {
        if (held_[i].flags & heldflag::kKeyUp) continue;
        keyDownHeld = true;
        if (held_[i].vk == key.vk) pressHeld = true;
    }
    // Its press waits in the hold too: both go in order.
    if (pressHeld) return false;
    if (keyDownHeld) {
        if (count_ + 2 > kCapacity) return false;
        // The held presses were typed with the modifier down.
        HeldKey press = key;
        press.flags &= ~heldflag::kKeyUp;
        InsertLocked(0, press);
        ++replayedHeld_;
        if (replayed) InsertLocked(replayedHeld_++, key);
        else held_[count_++] = key;
    }
    return true;
}

KeyHold::Step KeyHold::OnKey(Source source, const HeldKey& key, bool reported, bool mayComplete, uint32_t nowMs) {
    Step step;
    // The program's own keys go straight through, even while keys are held:
    // they are the expansion the held keys wait for.
    if (source == Source::Own) return step;

    std::lock_guard<std::mutex> g(lock_);
    bool hold = holding_;
    if (source == Source::Replay) {
        if (inFlight_ > 0) --inFlight_;
        sinceMs_ = nowMs;
    } else {
        // Keys still waiting to be replayed (refused ones among them) are
        // not to be overtaken either.
        hold = hold || BlockedLocked(nowMs) || inFlight_ > 0 || count_ > 0;
    }
    if (hold && LiftModifierLocked(key, source == Source::Replay)) {
        step.wake = (!BlockedLocked(nowMs) && inFlight_ == 0 && count_ > 0) || ExpiredLocked(nowMs);
        return step;
    }
    // When full, a key goes through unheld rather than being lost.
    if (hold && count_ < kCapacity) {
        if (source == Source::Replay) {
            // Held again behind a hold that an earlier replayed key started:
            // it was typed before any key the user typed while the replay
            // was on its way, so it goes before them.
            for (size_t i = count_; i > replayedHeld_; --i) held_[i] = held_[i - 1];
            held_[replayedHeld_++] = key;
            ++count_;
        } else {
            held_[count_++] = key;
        }
        step.swallow = true;
        step.wake = (!BlockedLocked(nowMs) && inFlight_ == 0) || ExpiredLocked(nowMs);
        return step;
    }
    if (reported && mayComplete) {
        if (++nextTrigger_ == 0) ++nextTrigger_;
        holding_ = true;
        delivering_ = false;
        holdTrigger_ = nextTrigger_;
        sinceMs_ = nowMs;
        step.trigger = holdTrigger_;
    }
    step.wake = (!BlockedLocked(nowMs) && inFlight_ == 0 && count_ > 0) || ExpiredLocked(nowMs);
    return step;
}

void KeyHold::EndHold(uint32_t trigger) {
    std::lock_guard<std::mutex> g(lock_);
    if (holding_ && holdTrigger_ == trigger) holding_ = delivering_ = false;
}

void KeyHold::Delivering(uint32_t trigger) {
    std::lock_guard<std::mutex> g(lock_);
    if (holding_ && holdTrigger_ == trigger) delivering_ = true;
}

bool KeyHold::TakeReleasable(uint32_t nowMs, std::vector<HeldKey>& out) {
    std::lock_guard<std::mutex> g(lock_);
    if (ExpiredLocked(nowMs)) {
        holding_ = false;
        inFlight_ = 0;
    }
    if (BlockedLocked(nowMs) || inFlight_ > 0 || count_ == 0) return false;
    out.assign(held_, held_ + count_);
    inFlight_ = count_;
    count_ = 0;
    replayedHeld_ = 0;
    sinceMs_ = nowMs;
    return true;
}

void KeyHold::TakeAll(std::vector<HeldKey>& out) {
    std::lock_guard<std::mutex> g(lock_);
    holding_ = delivering_ = false;
    programHold_ = false;
    inFlight_ = 0;
    out.assign(held_, held_ + count_);
    count_ = 0;
    replayedHeld_ = 0;
}

void KeyHold::Injected(const std::vector<HeldKey>& taken, size_t injected, uint32_t nowMs) {
    if (injected >= taken.size()) return;
    std::lock_guard<std::mutex> g(lock_);
    const size_t refused = taken.size() - injected;
    inFlight_ = inFlight_ > refused ? inFlight_ - refused : 0;
    sinceMs_ = nowMs;
    // Behind any of the accepted ones that came back and were held again,
    // before everything the user typed since.
    for (size_t i = injected; i < taken.size() && count_ < kCapacity; ++i) InsertLocked(replayedHeld_++, taken[i]);
}

bool KeyHold::Pending() {
    std::lock_guard<std::mutex> g(lock_);
    return holding_ || inFlight_ > 0 || count_ > 0;
}

}  // namespace kx
