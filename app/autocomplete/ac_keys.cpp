#include "app/autocomplete/ac_keys.h"

namespace kx {
namespace {

constexpr uint32_t kVkControl = 0x11, kVkUp = 0x26, kVkDown = 0x28;

}  // namespace

void AcWindowKeys::OnTypingContextLost() {
    if (window_.IsOpen()) window_.Hide();
}

void AcWindowKeys::OnKey(const KeyEvent& e) {
    const uint32_t now = clock_.TickMs();
    if (ctrlPending_ && now - ctrlTime_ >= kDoubleCtrlMs) ctrlPending_ = false;

    if (e.vk == kVkControl) {
        if (e.isDown) {
            // A held CTRL repeats its press; only the first one starts a tap.
            if (!ctrlDown_) ctrlAlone_ = true;
            ctrlDown_ = true;
            return;
        }
        ctrlDown_ = false;
        const bool tap = ctrlAlone_ && !e.alt();
        ctrlAlone_ = false;
        if (!tap) {
            ctrlPending_ = false;
            return;
        }
        if (!ctrlPending_) {
            ctrlPending_ = true;
            ctrlTime_ = now;
            return;
        }
        ctrlPending_ = false;
        if (!window_.IsOpen() || !window_.IsReady()) return;
        if (!window_.InsertSelected()) return;
        const std::u16string inserted = window_.GetLastInserted();
        if (hooks_.beginCorrection && !inserted.empty()) hooks_.beginCorrection(inserted);
        if (hooks_.clearTypingRings) hooks_.clearTypingRings();
        window_.Hide();
        return;
    }
    if (!e.isDown) return;
    // Any other key pressed between the taps, or while CTRL is down, is
    // typing or a key combination, not a tap.
    ctrlPending_ = false;
    ctrlAlone_ = false;

    if ((e.vk == kVkUp || e.vk == kVkDown) && e.alt() && e.ch == 0 && window_.IsOpen()) {
        // A held ALT+DOWN repeats fast; one row per 150 ms keeps it usable.
        if (selectStepped_ && now - lastSelectTime_ < kSelectStepMs) return;
        selectStepped_ = true;
        lastSelectTime_ = now;
        window_.SelectStep(e.vk == kVkUp);
    }
}

}  // namespace kx
