// The shortcut-text dictionary and the expansion index beside the loaded
// shortcuts, the hook for a shortcut made from a phrase, and the reminder
// that timer 3 runs every second.
#include "app/main/app_core.h"
#include "learn/phrase_dictionary.h"

namespace kx {
namespace {

class TrayReminderBalloon final : public ReminderBalloon {
public:
    explicit TrayReminderBalloon(TrayIcon& tray) : tray_(tray) {}
    void Show(std::u16string_view title, std::u16string_view text) override { tray_.ShowBalloon(title, text, 10000); }

private:
    TrayIcon& tray_;
};

}  // namespace

void AppCore::LoadShortcutTexts() {
    const LoadedStores& stores = services_->stores;
    const SettingsStore& settings = services_->settings;
    const bool shared = stores.sharedLoaded && settings.ReadBool(settings::SharedEnabled);
    // The keyword named for a text that both stores hold is the one whose
    // shortcut expands.
    const bool sharedFirst = shared && settings.ReadBool(settings::SharedReplacesLocal);
    const ShortcutStore& first = sharedFirst ? *stores.shared : *stores.local;
    const ShortcutStore* second = !shared ? nullptr : sharedFirst ? stores.local.get() : stores.shared.get();
    RebuildShortcutText(engine_.ShortcutTextDictionary(), expansions_, first, second);
}

void AppCore::OnShortcutCreated(std::u16string_view phrase, std::u16string_view keyword,
                                std::u16string_view expansion) {
    OnShortcutCreatedFromPhrase(engine_.LearningDictionary(), engine_.ShortcutTextDictionary(), expansions_, phrase,
                                keyword, expansion);
}

void AppCore::CheckReminders() {
    TrayReminderBalloon balloon(tray_);
    reminder_.CheckTypingKnownShortcut(engine_.ShortcutTextDictionary(), expansions_, balloon);
}

}  // namespace kx
