// Follows the user's edits of a phrase Auto Complete just inserted, and when
// the user moves on, teaches the learning dictionary the edited text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/matcher/key_event.h"

namespace kx {

class PhraseDictionary;

class CorrectionTracker {
public:
    // Starts tracking with the caret at the end of `inserted`.
    void Begin(std::u16string_view inserted);
    // One key event. When the user leaves the phrase the edit is learned
    // into `learning` (when not null and the text changed).
    void OnKey(const KeyEvent& e, PhraseDictionary* learning);
    // The user went on elsewhere: nothing is learned.
    void Abandon() { Finish(nullptr, false); }

    bool Tracking() const { return tracking_; }
    const std::u16string& EditedText() const { return edited_; }
    int32_t Cursor() const { return cursor_; }

private:
    void Finish(PhraseDictionary* learning, bool learn);

    std::u16string inserted_, edited_;
    int32_t cursor_ = 0;
    bool tracking_ = false;
};

}  // namespace kx
