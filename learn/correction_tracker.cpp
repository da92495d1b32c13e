#include "learn/correction_tracker.h"

#include "learn/phrase_dictionary.h"

namespace kx {

namespace {
constexpr uint32_t kVkBack = 0x08, kVkLeft = 0x25, kVkUp = 0x26, kVkRight = 0x27, kVkDown = 0x28, kVkDelete = 0x2E;
}

void CorrectionTracker::Begin(std::u16string_view inserted) {
    inserted_.assign(inserted);
    edited_ = inserted_;
    cursor_ = int32_t(edited_.size());
    tracking_ = true;
}

void CorrectionTracker::Finish(PhraseDictionary* learning, bool learn) {
    if (learn && learning && edited_ != inserted_) learning->LearnCorrection(inserted_, edited_);
    tracking_ = false;
    inserted_.clear();
    edited_.clear();
    cursor_ = 0;
}

void CorrectionTracker::OnKey(const KeyEvent& e, PhraseDictionary* learning) {
    if (!tracking_ || !e.isDown) return;
    if (e.vk == kVkLeft) --cursor_;
    if (e.vk == kVkRight) ++cursor_;
    const char16_t ch = e.ch;
    const bool lineOrTab = ch == u'\n' || ch == u'\r' || ch == u'\t';
    const bool atEnd = cursor_ >= int32_t(edited_.size());
    if (cursor_ < 0 || ((e.vk == kVkUp || e.vk == kVkDown) && ch == 0) || (atEnd && (lineOrTab || ch == u' '))) {
        Finish(learning, true);
        return;
    }
    if (lineOrTab) {
        // A line break inside the phrase: it is no longer one phrase.
        Finish(learning, false);
        return;
    }
    if (e.vk == kVkDelete) {
        if (cursor_ < int32_t(edited_.size())) edited_.erase(size_t(cursor_), 1);
        return;
    }
    if (ch == 8 || e.vk == kVkBack) {
        --cursor_;
        if (cursor_ >= 0 && cursor_ < int32_t(edited_.size())) edited_.erase(size_t(cursor_), 1);
        return;
    }
    if (ch == 0) return;
    if (cursor_ > int32_t(edited_.size())) cursor_ = int32_t(edited_.size());
    edited_.insert(edited_.begin() + cursor_, ch);
    ++cursor_;
}

}  // namespace kx
