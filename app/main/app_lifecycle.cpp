// The application's life around the main window: timers, the engine's
// start, the tray menu, hiding and showing, the welcome and the command
// lines of later starts.
#include <windows.h>
#include <shellapi.h>

#include "app/lifecycle/exe_path.h"
#include "app/lifecycle/switches.h"
#include "app/lifecycle/welcome.h"
#include "app/main/app_core.h"
#include "app/resource_ids.h"
#include "app/shell/help_topics.h"
#include "core/file_paths.h"
#include "core/program_rules.h"
#include "core/local_store.h"
#include "core/shared_store.h"
#include "platform/win32/module_loading.h"

namespace kx {

void AppCore::OnTimer(UINT_PTR id) {
    ::KillTimer(window_, id);
    // Every firing hands new Auto Complete candidates on.
    if (autoComplete_) autoComplete_->Poll();
    switch (id) {
    case kTimerAutoComplete:
        Arm(kTimerAutoComplete, 100);
        break;
    case kTimerStartEngine:
        StartEngine();
        break;
    case kTimerReminders:
        CheckReminders();
        Arm(kTimerReminders, 1000);
        break;
    case kTimerCompanion:
        if (const unsigned ms = engine_.RefreshCompanion()) Arm(kTimerCompanion, ms);
        break;
    case kTimerWelcome:
        ShowWelcome();
        break;
    case kTimerSuggestions:
        ShowPendingSuggestions();
        break;
    default:
        break;
    }
}

void AppCore::StartEngine() {
    wchar_t program[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::wstring folder = W(ModuleFolder(services_->settings, U(program)));
    if (!engine_.Start(folder)) {
        ::MessageBoxW(window_,
                      L"Failed to load all Kestrix modules.\r\n\r\nThe text expansion function will be disabled for "
                      L"this session.\r\n\r\nYou may need to re-log into Windows to enable the text expansion.",
                      nullptr, MB_OK | MB_ICONERROR);
    }
    if (const unsigned ms = engine_.StartCompanion(folder)) Arm(kTimerCompanion, ms);
    LoadRichEdit();
    if (list_.RowCount() == 0 || !services_->settings.ReadBool(settings::Thanks)) PointAtAddButton();
    RefreshState();
}

void AppCore::LoadRichEdit() {
    if (!richEdit_) richEdit_ = LoadSystemModule(L"Msftedit.dll");
    if (!richEdit_) richEdit_ = LoadSystemModule(L"riched20.dll");
}

void AppCore::ReloadSharedFile() {
    if (services_->settings.Read(settings::SharedPath).empty()) return;
    LoadSharedStore(services_->ctx, services_->stores);
    RefillList();
}

void AppCore::PointAtAddButton() {
    if (!::IsWindowVisible(window_)) return;
    const RECT r = toolbar_.ButtonRect(CMD_NEW_SIMPLE);
    balloon_.Show(toolbar_.Handle(), u"", u"Add a shortcut...", TTI_INFO, &r);
}

bool AppCore::WasMaximised() const {
    if (::IsZoomed(window_)) return true;
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    ::GetWindowPlacement(window_, &wp);
    return (::IsIconic(window_) && (wp.flags & WPF_RESTORETOMAXIMIZED)) || maximiseWhenShown_;
}

void AppCore::ShowMain() {
    // A window hidden or minimised while maximised comes back maximised.
    ::ShowWindow(window_, WasMaximised() ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    maximiseWhenShown_ = false;
    ::SetForegroundWindow(window_);
}

void AppCore::HideToTray() {
    balloon_.Hide();
    SettingsStore& settings = services_->settings;
    settings.WriteInt(settings::Runs, settings.ReadInt(settings::Runs) + 1);
    ::ShowWindow(window_, SW_HIDE);
}

void AppCore::OpenFromTray() {
    ShowMain();
    RequestSuggestions();
    SettingsStore& settings = services_->settings;
    if (settings.ReadInt(settings::Runs) < 5 && !settings.ReadBool(settings::HasWelcomedThisRun)) {
        Arm(kTimerWelcome, 100);
        settings.WriteBool(settings::HasWelcomedThisRun, true);
    }
}

void AppCore::SetShortcutIcons(bool on) {
    const int id = on ? IDI_APP : IDI_APP_OFF;
    tray_.SetIcon(id);
    bigIcon_.Reset(LoadAppIcon(id, ::GetSystemMetrics(SM_CXICON)));
    smallIcon_.Reset(LoadAppIcon(id, ::GetSystemMetrics(SM_CXSMICON)));
    ::SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.Get()));
    ::SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.Get()));
}

void AppCore::ToggleShortcuts() {
    shortcutsOn_ = !shortcutsOn_;
    engine_.Engine().SetShortcutsEnabled(shortcutsOn_);
    SetShortcutIcons(shortcutsOn_);
}

void AppCore::ToggleAutoComplete() {
    SettingsStore& settings = services_->settings;
    const bool on = !settings.ReadBool(settings::AutoCompleteEnabled);
    settings.WriteBool(settings::AutoCompleteEnabled, on);
    autoCompleteToggle_ = !autoCompleteToggle_;
    engine_.Engine().SetAutoCompleteEnabled(on);
    RefreshAutoCompleteState();
}

void AppCore::RefreshAutoCompleteState() {
    const bool on = services_->settings.ReadBool(settings::AutoCompleteEnabled);
    engine_.Engine().SetAutoCompleteEnabled(on);
    if (autoComplete_) autoComplete_->ApplyEnabled(on);
    RefreshState();
}

void AppCore::CreateAutoCompleteWindow() {
    AutoCompleteCallbacks callbacks;
    callbacks.createShortcut = [this](const std::u16string& phrase) {
        return NewShortcut(ShortcutKind::SimpleText, phrase);
    };
    callbacks.refreshState = [this] { RefreshAutoCompleteState(); };
    callbacks.keystrokes = [this](bool on) {
        engine_.SetHooksEnabled(on && services_->settings.ReadBool(settings::ExpansionOn));
    };
    autoComplete_ = std::make_unique<AutoCompleteHost>(engine_, services_->settings, services_->prompt, callbacks);
    if (!autoComplete_->Create(window_)) autoComplete_.reset();
    Arm(kTimerAutoComplete, 100);
}

void AppCore::ToggleExpansion() {
    SettingsStore& settings = services_->settings;
    const bool on = !settings.ReadBool(settings::ExpansionOn);
    settings.WriteBool(settings::ExpansionOn, on);
    toolbar_.SetExpansionButton(on);
    engine_.SetHooksEnabled(on);
}

bool AppCore::ConfirmStop() {
    QuestionBox q;
    q.title = u"Confirm Stop";
    q.text = u"Do you want Kestrix Text Expander Software to continue expanding text in the background?";
    q.buttons = {u"Background", u"Stop"};
    q.cancellable = true;
    q.icon = MessageIcon::Question;
    const int answer = services_->prompt.Ask(q).button;
    if (answer == 0) {
        HideToTray();
        return false;
    }
    if (answer == 1) {
        HideToTray();
        return true;
    }
    return false;
}

void AppCore::ShowTrayMenu() {
    UniqueMenu menu(::CreatePopupMenu());
    ::AppendMenuW(menu.Get(), MF_STRING, CMD_TRAY_OPEN, L"Open Kestrix");
    ::AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu.Get(), MF_STRING, CMD_TRAY_TOGGLE_SHORTCUTS,
                  shortcutsOn_ ? L"Disable Shortcuts" : L"Enable Shortcuts");
    // The program the user was in when the tray was clicked, named before
    // the menu makes our window the one in front.
    const std::u16string program = WorkProgram();
    const bool programOff =
        !program.empty() && ProgramRuleStore(services_->registry).Find(program).kind == ProgramRuleKind::Off;
    ::AppendMenuW(menu.Get(), MF_STRING | (program.empty() ? MF_GRAYED : 0u) | (programOff ? MF_CHECKED : 0u),
                  CMD_TRAY_OFF_IN_PROGRAM, L"Off in This Program");
    ::AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu.Get(), MF_STRING, CMD_TRAY_CLOSE_TO_TRAY, L"Exit Close To Tray");
    ::AppendMenuW(menu.Get(), MF_STRING, CMD_TRAY_EXIT, L"Exit (Turn Off)");
    ::SetMenuDefaultItem(menu.Get(), CMD_TRAY_OPEN, FALSE);
    POINT at{};
    ::GetCursorPos(&at);
    ::SetForegroundWindow(window_);
    const int command = int(::TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_BOTTOMALIGN, at.x,
                                             at.y, 0, window_, nullptr));
    ::PostMessageW(window_, WM_NULL, 0, 0);
    if (command == CMD_TRAY_OFF_IN_PROGRAM) ToggleOffInProgram(program);
    else if (command) OnCommand(command, 0);
    if (command) RefreshState();
}

void AppCore::OnCommandLine(const std::vector<std::u16string>& args) {
    switch (ActionForArguments(args)) {
    case StartAction::Exit:
        ::PostMessageW(window_, kQuitMessage, 0, 0);
        break;
    case StartAction::Show:
        ShowMain();
        RequestSuggestions();
        break;
    case StartAction::Hide:
        HideToTray();
        break;
    case StartAction::None:
        break;
    }
}

void AppCore::ShowWelcome() {
    const int choice = AskWelcomeChoice(window_);
    switch (choice) {
    case 0:
        break;
    case CMD_WELCOME_VIDEO:
        OpenHelpTopic(window_, L"tutorial");
        break;
    case CMD_WELCOME_GUIDE:
        OpenHelpTopic(window_, L"quickstart");
        break;
    case CMD_WELCOME_DEMO:
        RunWelcomeDemo();
        break;
    case CMD_WELCOME_OWN:
        PointAtAddButton();
        break;
    default:
        ::PostMessageW(window_, WM_COMMAND, WPARAM(choice), 0);
        break;
    }
    ShowFirstRunSetup();
}

void AppCore::RunWelcomeDemo() {
    const std::u16string& folder = services_->folders.user;
    const std::wstring demo = W(JoinPath(folder, u"demo.rtf"));
    const std::wstring copy = W(JoinPath(folder, u"KestrixDemo.rtf"));
    if (!ReplaceDemoCopy(demo, copy)) return;
    if (OpenDocument(window_, copy)) return;
    const std::wstring args = L"shell32.dll,OpenAs_RunDLL " + copy;
    ::ShellExecuteW(window_, nullptr, L"RUNDLL32.EXE", args.c_str(), nullptr, SW_SHOWNORMAL);
}

}  // namespace kx
