// The options window as the application opens it, and what the application
// takes up again when it closes; the first-run setup after the welcome.
#include "app/main/app_core.h"
#include "app/options/setup_wizard.h"
#include "base/unicode_case.h"
#include "core/shared_store.h"
#include "learn/phrase_dictionary.h"

namespace kx {

void AppCore::LoadSwitches() {
    SettingsStore& settings = services_->settings;
    switches_[0] = settings.ReadBool(settings::DoubleSpace);
    switches_[1] = settings.ReadBool(settings::ExpansionCasing);
    switches_[2] = settings.ReadBool(settings::ToggleExpansions);
    switches_[3] = settings.ReadBool(settings::ToggleAutoComplete);
    expansionsCombo_ = settings.Read(settings::ToggleExpansionsCombo);
    autoCompleteCombo_ = settings.Read(settings::ToggleAutoCompleteCombo);
    engine_.LoadSwitches();
}

void AppCore::ShowOptions(OptionsPage page) {
    SettingsStore& settings = services_->settings;
    const std::u16string sharedPath = settings.Read(settings::SharedPath);
    const bool replaceLocal = settings.ReadBool(settings::SharedReplacesLocal);
    const bool sharedEnabled = settings.ReadBool(settings::SharedEnabled);
    // The learning dictionary read "SuggestionTrackbar" as it was made; a
    // new position reaches it when OK is pressed.
    PhraseDictionary& learning = engine_.LearningDictionary();
    MemoryLimitAccess memoryLimit{[&learning] { return int(learning.MemoryLimitPosition()); },
                                  [&learning](int position) { learning.SetMemoryLimit(position); }};
    RunOptionsSheet(window_, *services_, page, std::move(memoryLimit));
    ApplySettingsAfterOptions(sharedPath, replaceLocal, sharedEnabled);
}

void AppCore::ApplySettingsAfterOptions(const std::u16string& sharedPath, bool replaceLocal, bool sharedEnabled) {
    SettingsStore& settings = services_->settings;
    LoadSwitches();
    const bool on = settings.ReadBool(settings::ExpansionOn);
    engine_.SetHooksEnabled(on);
    toolbar_.SetExpansionButton(on);
    if (!EqualsNoCase(settings.Read(settings::SharedPath), sharedPath) ||
        settings.ReadBool(settings::SharedReplacesLocal) != replaceLocal ||
        settings.ReadBool(settings::SharedEnabled) != sharedEnabled) {
        LoadSharedStore(services_->ctx, services_->stores);
        WatchSharedFile();
        RefillList();
    }
    RefreshGroupView();
    // Auto Complete follows its box both ways: the dictionary's search, the
    // engine's flag (which its hotkey flips) and the window.
    RefreshAutoCompleteState();
    mailScans_.FollowSwitches();
    // The Programs page may have given the program in front a rule.
    RefreshProgramNote();
}

void AppCore::ShowFirstRunSetup() {
    SettingsStore& settings = services_->settings;
    if (settings.ReadBool(settings::FirstRunSetupShown)) return;
    settings.WriteBool(settings::FirstRunSetupShown, true);
    const std::u16string sharedPath = settings.Read(settings::SharedPath);
    const bool replaceLocal = settings.ReadBool(settings::SharedReplacesLocal);
    const bool sharedEnabled = settings.ReadBool(settings::SharedEnabled);
    if (RunFirstRunSetup(window_, *services_)) ApplySettingsAfterOptions(sharedPath, replaceLocal, sharedEnabled);
}

}  // namespace kx
