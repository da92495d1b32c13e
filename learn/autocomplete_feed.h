// The key stream's way into Auto Complete: the engine hands every key event
// here (TrackEdit before the hotkeys, FeedKey after them). Typed characters
// are queued for both dictionaries; the keys that drive the Auto Complete
// window (ALT+UP, ALT+DOWN, the double CTRL tap) go to the window's side,
// which the window plugs in; after an insertion the correction tracker
// follows the user's edits of the inserted phrase.
//
// All of it runs on the thread that processes keystrokes and never waits on
// a dictionary's lock, except when a correction is learned (the end of
// tracking, once per insertion).
#pragma once

#include <atomic>
#include <string>

#include "engine/matcher/engine_ports.h"
#include "engine/matcher/expander.h"
#include "engine/matcher/key_event.h"
#include "learn/correction_tracker.h"
#include "platform/window_query.h"

namespace kx {

class PhraseDictionary;

// The Auto Complete window's side of the key stream.
class AutoCompleteKeys {
public:
    virtual ~AutoCompleteKeys() = default;
    // Every key event, before its character is fed.
    virtual void OnKey(const KeyEvent& e) = 0;
    virtual void CancelDoubleCtrl() = 0;
    virtual bool IsAutoCompleteWindow(WindowHandle w) = 0;
    // The typing rings were cleared (the foreground window changed, or the
    // engine lost track of the typed text): the window hides.
    virtual void OnTypingContextLost() = 0;
};

// Whether the user switched both expansion and Auto Complete off with
// their hotkeys; every key event then feeds a line break instead.
class FeedSwitches {
public:
    virtual ~FeedSwitches() = default;
    virtual bool BothOff() = 0;
};

// The engine's own switches.
class ExpanderFeedSwitches final : public FeedSwitches {
public:
    explicit ExpanderFeedSwitches(const Expander& engine) : engine_(engine) {}
    bool BothOff() override { return !engine_.ShortcutsEnabled() && !engine_.AutoCompleteEnabled(); }

private:
    const Expander& engine_;
};

class AutoCompleteFeed final : public AutoCompleteLink {
public:
    // Either dictionary may be null (not created).
    AutoCompleteFeed(PhraseDictionary* learning, PhraseDictionary* shortcutText, WindowQuery& windows);

    // Plugged in on the user-interface thread before the hooks start, and
    // taken out (null) after they stop.
    void SetWindowKeys(AutoCompleteKeys* keys) { keys_.store(keys, std::memory_order_release); }
    void SetSwitches(FeedSwitches* switches) { switches_.store(switches, std::memory_order_release); }

    // After an insertion: follow the user's edits of `inserted` (the whole
    // phrase) from the caret at its end.
    void BeginCorrection(std::u16string_view inserted) { tracker_.Begin(inserted); }
    // Clears both typing rings and tells the window.
    void TypingReset();

    // AutoCompleteLink
    void TrackEdit(const KeyEvent& e) override;
    void FeedKey(const KeyEvent& e) override;
    void CancelDoubleCtrl() override;
    bool LearningAvailable() override;
    bool IsAutoCompleteWindow(WindowHandle w) override;

    const CorrectionTracker& Tracker() const { return tracker_; }

private:
    void Feed(char16_t unit);

    PhraseDictionary* learning_;
    PhraseDictionary* shortcutText_;
    WindowQuery& windows_;
    std::atomic<AutoCompleteKeys*> keys_{nullptr};
    std::atomic<FeedSwitches*> switches_{nullptr};
    WindowHandle lastForeground_ = 0;
    std::atomic<bool> afterTab_{false};  // a TAB was typed and its line has not ended
    CorrectionTracker tracker_;
};

// The code unit a key event feeds to the dictionaries, or 0 for none:
// characters typed with CTRL, control characters other than Backspace, Tab,
// the line breaks and form feed, and DEL are not fed; Enter is a line feed.
// FeedKey feeds no Tab itself: a line with a TAB is never learned.
char16_t FedUnit(const KeyEvent& e);

}  // namespace kx
