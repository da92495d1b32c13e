#include "app/options/option_controls.h"

#include "app/shell/elevation_win32.h"
#include "core/hotkey_choice.h"

namespace kx {

void FillHotkeyList(Window list, std::u16string_view current) {
    list.Send(CB_RESETCONTENT);
    for (const char16_t* choice : kHotkeyChoices)
        list.Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(choice).c_str()));
    list.Send(CB_SETCURSEL, WPARAM(HotkeyChoiceIndex(current)));
}

std::u16string ChosenHotkey(Window list) {
    const LRESULT at = list.Send(CB_GETCURSEL);
    if (at < 0 || at >= kHotkeyChoiceCount) return {};
    return kHotkeyChoices[at];
}

void ShowRunChoice(Window box, Window list, RunChoice choice) {
    list.Send(CB_RESETCONTENT);
    list.Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(kRunAllUsersText).c_str()));
    list.Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(kRunThisUserText).c_str()));
    list.Send(CB_SETCURSEL, choice == RunChoice::ThisUser ? 1 : 0);
    box.Check(choice != RunChoice::Off);
    list.Enable(choice != RunChoice::Off);
}

RunChoice ChosenRun(Window box, Window list) {
    if (!box.Checked()) return RunChoice::Off;
    return list.Send(CB_GETCURSEL) == 1 ? RunChoice::ThisUser : RunChoice::AllUsers;
}

bool ApplyRunFromPage(Window box, Window list, RunEntries& entries, MessagePrompt& prompt) {
    Win32Elevation elevation;
    const RunChoiceResult result = ApplyRunChoice(entries, &elevation, ChosenRun(box, list));
    if (!result.adminNeeded) return true;
    prompt.ShowMessage(MessageIcon::Warning, u"Kestrix", kRunNeedsAdminText);
    if (result.addFailed) {
        prompt.ShowMessage(MessageIcon::Warning, u"Kestrix", kRunAddFailedText);
        box.Check(false);
        list.Enable(false);
    }
    return false;
}

bool ChooseShortcutsHotkey(SettingsStore& settings, BalloonTip& balloon, Window list) {
    const std::u16string chosen = ChosenHotkey(list);
    if (chosen.empty()) return true;
    settings.Write(settings::ToggleExpansionsCombo, chosen);
    return !ShortcutsHotkeyClashes(settings, balloon, list);
}

bool ShortcutsHotkeyClashes(SettingsStore& settings, BalloonTip& balloon, Window list) {
    if (!HotkeysClash(settings.Read(settings::ToggleExpansionsCombo), settings.Read(settings::ToggleAutoCompleteCombo)))
        return false;
    balloon.Show(list, kHotkeyUsedTitle, kHotkeyUsedByAutoComplete);
    return true;
}

bool ChooseAutoCompleteHotkey(SettingsStore& settings, BalloonTip& balloon, Window list) {
    const std::u16string chosen = ChosenHotkey(list);
    if (chosen.empty()) return true;
    settings.Write(settings::ToggleAutoCompleteCombo, chosen);
    if (!HotkeysClash(chosen, settings.Read(settings::ToggleExpansionsCombo))) return true;
    balloon.Show(list, kHotkeyUsedTitle, kHotkeyUsedByShortcuts);
    return false;
}

std::u16string ProgramPath() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return U(path);
}

}  // namespace kx
