#include "app/options/general_page.h"

#include "app/options/option_controls.h"
#include "app/resource_ids.h"

namespace kx {
namespace {

struct CheckSetting {
    int control;
    const SettingDef& setting;
};

// The check boxes the page writes as it is accepted, each with its setting.
const CheckSetting kChecks[] = {
    {IDC_OPT_TOGGLE_SHORTCUTS, settings::ToggleExpansions},
    {IDC_OPT_SUGGEST, settings::SuggestShortcuts},
    {IDC_OPT_PLAY_SOUND, settings::PlaySound},
    {IDC_OPT_DOUBLE_SPACE, settings::DoubleSpace},
    {IDC_OPT_CASING, settings::ExpansionCasing},
    {IDC_OPT_RESTORE_CLIPBOARD, settings::RestoreClipboard},
};

}  // namespace

void GeneralPage::OnInit() {
    SettingsStore& settings = services_.settings;
    RunEntries entries(services_.registry, ProgramPath());
    ShowRunChoice(Item(IDC_OPT_RUN_AT_STARTUP), Item(IDC_OPT_RUN_WHEN), CurrentRunChoice(entries));
    FillHotkeyList(Item(IDC_OPT_SHORTCUTS_COMBO), settings.Read(settings::ToggleExpansionsCombo));
    for (const CheckSetting& c : kChecks) Item(c.control).Check(settings.ReadBool(c.setting));
    EnableLists();
}

void GeneralPage::EnableLists() {
    Item(IDC_OPT_RUN_WHEN).Enable(Item(IDC_OPT_RUN_AT_STARTUP).Checked());
    Item(IDC_OPT_SHORTCUTS_COMBO).Enable(Item(IDC_OPT_TOGGLE_SHORTCUTS).Checked());
}

void GeneralPage::OnCommand(int id, int code) {
    if (id == IDC_OPT_RUN_AT_STARTUP || id == IDC_OPT_TOGGLE_SHORTCUTS) EnableLists();
    if (id == IDC_OPT_SHORTCUTS_COMBO && code == CBN_SELCHANGE)
        ChooseShortcutsHotkey(services_.settings, balloon_, Item(IDC_OPT_SHORTCUTS_COMBO));
    if (id != 0 && code == BN_CLICKED) ::SendMessageW(Sheet(), PSM_CHANGED, WPARAM(Self().Handle()), 0);
}

bool GeneralPage::OnApply() {
    RunEntries entries(services_.registry, ProgramPath());
    if (!ApplyRunFromPage(Item(IDC_OPT_RUN_AT_STARTUP), Item(IDC_OPT_RUN_WHEN), entries, services_.prompt)) return false;
    // A refused page writes none of its boxes.
    if (ShortcutsHotkeyClashes(services_.settings, balloon_, Item(IDC_OPT_SHORTCUTS_COMBO))) return false;
    for (const CheckSetting& c : kChecks) services_.settings.WriteBool(c.setting, Item(c.control).Checked());
    return true;
}

}  // namespace kx
