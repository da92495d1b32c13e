// The Auto Complete window's keys, run by the thread that processes key
// events: ALT+UP and ALT+DOWN move the selection, and tapping CTRL twice
// inserts the selected row, after which the feed follows the user's
// corrections of the inserted phrase.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/matcher/key_event.h"
#include "learn/autocomplete_feed.h"
#include "platform/clock.h"
#include "platform/window_query.h"

namespace kx {

// What the keys ask of the window.
class AcWindowPort {
public:
    virtual ~AcWindowPort() = default;
    // The window is shown ("AutoCompleteWindowOpen").
    virtual bool IsOpen() = 0;
    virtual bool IsReady() = 0;
    virtual void SelectStep(bool up) = 0;
    virtual bool InsertSelected() = 0;
    virtual std::u16string GetLastInserted() = 0;
    virtual void Hide() = 0;
};

inline constexpr uint32_t kDoubleCtrlMs = 300;
inline constexpr uint32_t kSelectStepMs = 150;

// What an insertion by the double tap starts on the feed's side: tracking
// the corrections of `inserted`, and clearing both typing rings.
struct AcInsertedHooks {
    std::function<void(const std::u16string& inserted)> beginCorrection;
    std::function<void()> clearTypingRings;
};

class AcWindowKeys final : public AutoCompleteKeys {
public:
    AcWindowKeys(AcWindowPort& window, Clock& clock, AcInsertedHooks hooks)
        : window_(window), clock_(clock), hooks_(std::move(hooks)) {}

    void OnKey(const KeyEvent& e) override;
    // An expansion typed between the two taps: they no longer count.
    void CancelDoubleCtrl() override { ctrlPending_ = false; }
    bool IsAutoCompleteWindow(WindowHandle w) override { return w != 0 && w == handle_.load(); }
    void OnTypingContextLost() override;

    void SetWindowHandle(WindowHandle w) { handle_ = w; }
    bool CtrlPending() const { return ctrlPending_; }

private:
    AcWindowPort& window_;
    Clock& clock_;
    AcInsertedHooks hooks_;
    std::atomic<WindowHandle> handle_{0};
    bool ctrlPending_ = false;
    uint32_t ctrlTime_ = 0;
    // CTRL is down and nothing else was pressed since: its release is a tap.
    bool ctrlAlone_ = false;
    bool ctrlDown_ = false;
    bool selectStepped_ = false;
    uint32_t lastSelectTime_ = 0;
};

}  // namespace kx
