// The reminder that the user is typing out the text of a shortcut they
// already have: run every second against the shortcut-text dictionary's
// completions of the line being typed.
#pragma once

#include <string>
#include <string_view>

namespace kx {

class ExpansionIndex;
class PhraseDictionary;

// Where the reminder shows: the tray icon's balloon, for ten seconds.
class ReminderBalloon {
public:
    virtual ~ReminderBalloon() = default;
    virtual void Show(std::u16string_view title, std::u16string_view text) = 0;
};

inline constexpr char16_t kReminderTitle[] = u"Shortcut Exists";

class ShortcutReminder {
public:
    // One run: nothing when the typed line is the one of the last run;
    // otherwise, for each completion that is a shortcut's text, "You are
    // typing shortcut '%s'" once all but three characters of it are typed,
    // or, earlier, once more than half of it is, "You seem to be typing
    // something that is already a shortcut as '%s'." (only once per text
    // until the shortcuts load again: it counts an impression).
    void CheckTypingKnownShortcut(PhraseDictionary& shortcutText, const ExpansionIndex& index,
                                  ReminderBalloon& balloon);

private:
    std::u16string lastLine_;
};

}  // namespace kx
