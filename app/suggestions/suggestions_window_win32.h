// "Shortcut Suggestions": the phrases just taken out of the suggestion file,
// each with a button that makes it a simple-text shortcut and one that makes
// it a rich-text shortcut, and a check box that stops further suggestions.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "settings/settings_store.h"

namespace kx {

// Control ids of the window.
enum SuggestionsControl : int {
    kSuggestHeading = 100,
    kSuggestPhrase1 = 101,        // 101 to 103
    kSuggestSimpleButton1 = 104,  // 104 to 106
    kSuggestRichButton1 = 107,    // 107 to 109
    kSuggestClose = 110,
    kSuggestStop = 111,
    kSuggestIcon = 112,
};

// What the buttons do, given by the application: each opens the shortcut
// editor of its kind on the phrase and says whether a shortcut was created.
struct SuggestionActions {
    std::function<bool(const std::u16string&)> simpleText;
    std::function<bool(const std::u16string&)> richText;
};

class SuggestionsWindow {
public:
    SuggestionsWindow(SettingsStore& settings, SuggestionActions actions)
        : settings_(settings), actions_(std::move(actions)) {}

    // Builds the window over `owner` on up to three phrases and runs it
    // modally; returns once it is closed, "SuggestShortcuts" written.
    void Open(HWND owner, const std::vector<std::u16string>& suggestions);

private:
    SettingsStore& settings_;
    SuggestionActions actions_;
};

}  // namespace kx
