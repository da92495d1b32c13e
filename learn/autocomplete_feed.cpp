#include "learn/autocomplete_feed.h"

#include "learn/phrase_dictionary.h"

namespace kx {

char16_t FedUnit(const KeyEvent& e) {
    if (!e.isDown) return 0;
    if (e.vk == 0x0D) return u'\n';
    const char16_t c = e.ch;
    if (c == 0 || c == 127) return 0;
    // CTRL alone makes commands; CTRL with ALT is AltGr, which types.
    if (e.ctrl() && !e.alt()) return 0;
    if (c < 32 && !(c == 8 || c == 9 || c == 10 || c == 11 || c == 12 || c == 13)) return 0;
    return c;
}

AutoCompleteFeed::AutoCompleteFeed(PhraseDictionary* learning, PhraseDictionary* shortcutText, WindowQuery& windows)
    : learning_(learning), shortcutText_(shortcutText), windows_(windows) {}

void AutoCompleteFeed::Feed(char16_t unit) {
    if (learning_) learning_->FeedTypedUnit(unit);
    if (shortcutText_) shortcutText_->FeedTypedUnit(unit);
}

void AutoCompleteFeed::TypingReset() {
    afterTab_ = false;
    if (learning_) learning_->ClearTypingRing();
    if (shortcutText_) shortcutText_->ClearTypingRing();
    if (AutoCompleteKeys* keys = keys_.load(std::memory_order_acquire)) keys->OnTypingContextLost();
}

void AutoCompleteFeed::TrackEdit(const KeyEvent& e) {
    if (!tracker_.Tracking()) return;
    // Keys typed in another window do not edit the phrase just inserted.
    const WindowHandle fg = windows_.Foreground();
    if (fg != lastForeground_ && !IsAutoCompleteWindow(fg)) {
        tracker_.Abandon();
        return;
    }
    tracker_.OnKey(e, learning_);
}

void AutoCompleteFeed::FeedKey(const KeyEvent& e) {
    AutoCompleteKeys* keys = keys_.load(std::memory_order_acquire);
    // What was typed in another window does not continue this line.
    const WindowHandle fg = windows_.Foreground();
    if (fg != lastForeground_ && !(keys && keys->IsAutoCompleteWindow(fg))) {
        const bool first = lastForeground_ == 0;
        lastForeground_ = fg;
        if (!first) TypingReset();
    }
    if (keys) keys->OnKey(e);
    if (learning_ && learning_->FeedingPaused()) return;
    FeedSwitches* switches = switches_.load(std::memory_order_acquire);
    if (switches && switches->BothOff()) {
        Feed(u'\n');
        return;
    }
    const char16_t unit = FedUnit(e);
    if (!unit) return;
    // "user TAB password" is how a login is typed: what stands before a TAB
    // on its line is dropped unlearned, and nothing typed after it is fed
    // until the line ends (or the window or the caret's place changes).
    if (unit == u'\t') {
        TypingReset();
        afterTab_ = true;
        return;
    }
    if (afterTab_) {
        if (unit != u'\n' && unit != u'\r') return;
        afterTab_ = false;
    }
    Feed(unit);
}

void AutoCompleteFeed::CancelDoubleCtrl() {
    if (AutoCompleteKeys* keys = keys_.load(std::memory_order_acquire)) keys->CancelDoubleCtrl();
}

bool AutoCompleteFeed::LearningAvailable() { return learning_ && !learning_->FeedingPaused(); }

bool AutoCompleteFeed::IsAutoCompleteWindow(WindowHandle w) {
    AutoCompleteKeys* keys = keys_.load(std::memory_order_acquire);
    return keys && keys->IsAutoCompleteWindow(w);
}

}  // namespace kx
