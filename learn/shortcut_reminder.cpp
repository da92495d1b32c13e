#include "learn/shortcut_reminder.h"

#include "learn/completion_candidate.h"
#include "learn/phrase_dictionary.h"
#include "learn/shortcut_text.h"

namespace kx {
namespace {

std::u16string WithKeyword(std::u16string_view format, std::u16string_view keyword) {
    std::u16string text(format);
    const size_t at = text.find(u"%s");
    if (at != std::u16string::npos) text.replace(at, 2, keyword);
    return text;
}

}  // namespace

void ShortcutReminder::CheckTypingKnownShortcut(PhraseDictionary& shortcutText, const ExpansionIndex& index,
                                                ReminderBalloon& balloon) {
    CandidateList candidates;
    shortcutText.TakeCandidates(candidates);
    std::u16string line;
    shortcutText.GetCurrentLine(line);
    if (line == lastLine_) return;
    for (const CompletionCandidate& c : candidates) {
        const std::u16string* keyword = index.Find(c.phrase);
        if (!keyword) continue;
        const size_t typed = c.typedText.size(), length = c.phrase.size();
        if (typed + 3 >= length) {
            balloon.Show(kReminderTitle, WithKeyword(u"You are typing shortcut '%s'", *keyword));
        } else if (c.impressions == 0 && length >= 5 && length / 2 < typed) {
            balloon.Show(kReminderTitle,
                         WithKeyword(u"You seem to be typing something that is already a shortcut as '%s'.", *keyword));
            shortcutText.CountImpression(c.phrase);
        }
    }
    lastLine_ = std::move(line);
}

}  // namespace kx
