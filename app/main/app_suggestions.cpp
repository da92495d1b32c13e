// Pending shortcut suggestions: taken out of the suggestion file and shown
// in the Suggestions window whenever the main window is brought up.
#include "app/main/app_core.h"
#include "app/suggestions/suggestions_window_win32.h"
#include "learn/suggestion_take.h"

namespace kx {

void AppCore::ShowPendingSuggestions() {
    // While a modal window holds the main window (an editor, the options, a
    // Suggestions window already open) the suggestions stay in the file for
    // the next time the window is brought up.
    if (!window_ || !::IsWindowEnabled(window_)) return;
    SettingsStore& settings = services_->settings;
    if (!settings.ReadBool(settings::SuggestShortcuts)) return;
    const std::vector<std::u16string> taken = TakePendingSuggestions(services_->ctx.fs, services_->folders.user);
    if (taken.empty()) return;
    SuggestionActions actions;
    actions.simpleText = [this](const std::u16string& phrase) { return NewShortcut(ShortcutKind::SimpleText, phrase); };
    actions.richText = [this](const std::u16string& phrase) { return NewShortcut(ShortcutKind::RichText, phrase); };
    SuggestionsWindow(settings, std::move(actions)).Open(window_, taken);
    RefreshState();
}

}  // namespace kx
