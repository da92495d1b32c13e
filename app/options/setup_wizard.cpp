#include "app/options/setup_wizard.h"

#include <commctrl.h>

#include "app/options/option_controls.h"
#include "app/options/property_page.h"
#include "app/resource_ids.h"
#include "core/hotkey_choice.h"

namespace kx {
namespace {

// The two hotkeys as chosen on the wizard's pages. Nothing is written
// before Finish, so Cancel leaves the settings as they were, even after a
// clash was shown.
struct WizardHotkeys {
    std::u16string shortcuts, autoComplete;
};

// Shows the clash balloon at `list` when the two choices clash.
bool ShowClash(const WizardHotkeys& keys, BalloonTip& balloon, Window list, const char16_t* text) {
    if (!HotkeysClash(keys.shortcuts, keys.autoComplete)) return false;
    balloon.Show(list, kHotkeyUsedTitle, text);
    return true;
}

// "General Setup": starting with Windows and the shortcuts' on/off hotkey.
class GeneralSetupPage final : public PropertyPage {
public:
    GeneralSetupPage(AppServices& services, WizardHotkeys& keys) : services_(services), keys_(keys) {}

private:
    void OnInit() override {
        RunEntries entries(services_.registry, ProgramPath());
        ShowRunChoice(Item(IDC_OPT_RUN_AT_STARTUP), Item(IDC_OPT_RUN_WHEN), CurrentRunChoice(entries));
        Item(IDC_OPT_TOGGLE_SHORTCUTS).Check(services_.settings.ReadBool(settings::ToggleExpansions));
        FillHotkeyList(Item(IDC_OPT_SHORTCUTS_COMBO), keys_.shortcuts);
        EnableLists();
    }
    void OnSetActive() override { ::SendMessageW(Sheet(), PSM_SETWIZBUTTONS, 0, PSWIZB_NEXT); }
    void EnableLists() {
        Item(IDC_OPT_RUN_WHEN).Enable(Item(IDC_OPT_RUN_AT_STARTUP).Checked());
        Item(IDC_OPT_SHORTCUTS_COMBO).Enable(Item(IDC_OPT_TOGGLE_SHORTCUTS).Checked());
    }
    void OnCommand(int id, int code) override {
        if (id == IDC_OPT_RUN_AT_STARTUP || id == IDC_OPT_TOGGLE_SHORTCUTS) EnableLists();
        if (id == IDC_OPT_SHORTCUTS_COMBO && code == CBN_SELCHANGE) {
            if (const std::u16string chosen = ChosenHotkey(Item(IDC_OPT_SHORTCUTS_COMBO)); !chosen.empty())
                keys_.shortcuts = chosen;
            ShowClash(keys_, balloon_, Item(IDC_OPT_SHORTCUTS_COMBO), kHotkeyUsedByAutoComplete);
        }
    }
public:
    // Finish reaches only the wizard's last page, which applies this one first.
    bool Apply() {
        RunEntries entries(services_.registry, ProgramPath());
        if (!ApplyRunFromPage(Item(IDC_OPT_RUN_AT_STARTUP), Item(IDC_OPT_RUN_WHEN), entries, services_.prompt))
            return false;
        if (ShowClash(keys_, balloon_, Item(IDC_OPT_SHORTCUTS_COMBO), kHotkeyUsedByAutoComplete)) return false;
        services_.settings.WriteBool(settings::ToggleExpansions, Item(IDC_OPT_TOGGLE_SHORTCUTS).Checked());
        services_.settings.Write(settings::ToggleExpansionsCombo, keys_.shortcuts);
        services_.settings.Write(settings::ToggleAutoCompleteCombo, keys_.autoComplete);
        return true;
    }

private:
    AppServices& services_;
    WizardHotkeys& keys_;
    BalloonTip balloon_;
};

// "Auto Complete Setup": Auto Complete, its hotkey, and learning from the
// mail already sent.
class AutoCompleteSetupPage final : public PropertyPage {
public:
    AutoCompleteSetupPage(AppServices& services, GeneralSetupPage& first, WizardHotkeys& keys)
        : services_(services), first_(first), keys_(keys) {}

private:
    void OnInit() override {
        SettingsStore& s = services_.settings;
        Item(IDC_OPT_AC_ENABLE).Check(s.ReadBool(settings::AutoCompleteEnabled));
        Item(IDC_OPT_TOGGLE_AC).Check(s.ReadBool(settings::ToggleAutoComplete));
        FillHotkeyList(Item(IDC_OPT_AC_COMBO), keys_.autoComplete);
        Item(IDC_OPT_AC_COMBO).Enable(Item(IDC_OPT_TOGGLE_AC).Checked());
        Item(IDC_SETUP_OUTLOOK).Check(s.ReadBool(settings::ScanOutlookSentItems));
        Item(IDC_SETUP_THUNDERBIRD).Check(s.ReadBool(settings::ScanThunderbirdSentItems));
    }
    void OnSetActive() override { ::SendMessageW(Sheet(), PSM_SETWIZBUTTONS, 0, PSWIZB_BACK | PSWIZB_FINISH); }
    void OnCommand(int id, int code) override {
        if (id == IDC_OPT_TOGGLE_AC) Item(IDC_OPT_AC_COMBO).Enable(Item(IDC_OPT_TOGGLE_AC).Checked());
        if (id == IDC_OPT_AC_COMBO && code == CBN_SELCHANGE) {
            if (const std::u16string chosen = ChosenHotkey(Item(IDC_OPT_AC_COMBO)); !chosen.empty())
                keys_.autoComplete = chosen;
            ShowClash(keys_, balloon_, Item(IDC_OPT_AC_COMBO), kHotkeyUsedByShortcuts);
        }
    }
    bool OnFinish() override {
        if (!first_.Apply()) {
            ::SendMessageW(Sheet(), PSM_SETCURSEL, 0, 0);
            return false;
        }
        SettingsStore& s = services_.settings;
        s.WriteBool(settings::AutoCompleteEnabled, Item(IDC_OPT_AC_ENABLE).Checked());
        s.WriteBool(settings::ToggleAutoComplete, Item(IDC_OPT_TOGGLE_AC).Checked());
        s.WriteBool(settings::ScanOutlookSentItems, Item(IDC_SETUP_OUTLOOK).Checked());
        s.WriteBool(settings::ScanThunderbirdSentItems, Item(IDC_SETUP_THUNDERBIRD).Checked());
        return true;
    }

    AppServices& services_;
    GeneralSetupPage& first_;
    WizardHotkeys& keys_;
    BalloonTip balloon_;
};

}  // namespace

bool RunFirstRunSetup(HWND owner, AppServices& services) {
    WizardHotkeys keys{services.settings.Read(settings::ToggleExpansionsCombo),
                       services.settings.Read(settings::ToggleAutoCompleteCombo)};
    GeneralSetupPage general(services, keys);
    AutoCompleteSetupPage autoComplete(services, general, keys);
    PROPSHEETPAGEW pages[] = {general.Describe(IDD_SETUP_GENERAL), autoComplete.Describe(IDD_SETUP_AUTOCOMPLETE)};
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_WIZARD | PSH_NOCONTEXTHELP;
    header.hwndParent = owner;
    header.hInstance = ::GetModuleHandleW(nullptr);
    header.pszCaption = L"Kestrix Setup";
    header.nPages = UINT(std::size(pages));
    header.ppsp = pages;
    return ::PropertySheetW(&header) > 0;
}

}  // namespace kx
