// The application object: one for the life of the process. It owns the
// main window and everything in it, the stores, the engine and the tray
// icon, and answers the main window's messages. The dialog procedure of the
// main window calls its operations.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/autocomplete/autocomplete_host_win32.h"
#include "app/engine_host/engine_host.h"
#include "app/lifecycle/sent_mail_scans.h"
#include "app/main/app_services.h"
#include "app/main/filter_box.h"
#include "app/main/main_list.h"
#include "app/main/main_menus.h"
#include "app/main/main_toolbar.h"
#include "app/main/status_bar.h"
#include "app/options/options_sheet.h"
#include "app/shell/foreground_watch.h"
#include "app/shell/tray_icon.h"
#include "app/win/balloon_tip.h"
#include "core/shared_file_watch.h"
#include "app/win/posted_inbox.h"
#include "learn/shortcut_reminder.h"
#include "learn/shortcut_text.h"
#include "platform/win32/handles.h"
#include "app/win/window.h"

namespace kx {

// Messages of the program, posted or sent to the main window. None carries
// an address: a forwarded command line waits in the window's inbox.
inline constexpr UINT kForwardedCommandLineMessage = WM_USER + 6;
inline constexpr UINT kQuitMessage = WM_USER + 0x66;
// The shared file's watcher saw it change. Anyone may post it: it only makes
// the shared store load again.
inline constexpr UINT kSharedFileChangedMessage = WM_APP + 0x74;

// Timers of the main window; each fires once and is re-armed by its action.
enum AppTimer : UINT_PTR {
    kTimerStartEngine = 1,
    kTimerReminders = 3,
    kTimerCompanion = 4,
    kTimerWelcome = 5,
    // Re-armed every 100 ms: Auto Complete's candidates reach the window.
    kTimerAutoComplete = 6,
    // Pending shortcut suggestions are shown once the current message is
    // done, so a start or a forwarded command line is never held up by them.
    kTimerSuggestions = 7,
};

class AppCore {
public:
    explicit AppCore(std::vector<std::u16string> args);
    virtual ~AppCore();
    AppCore(const AppCore&) = delete;
    AppCore& operator=(const AppCore&) = delete;

    virtual bool OnInit();
    virtual void OnExit();
    virtual bool CanAccept();
    virtual bool ConfirmStop();
    virtual void ShowHelp();
    virtual void RefreshState();
    virtual void OnCommand(int id, int code);
    virtual void Close();
    virtual void EndDialog(int code);
    virtual void SaveWindowPlacement(std::u16string_view section);
    virtual bool IsVistaOrSeven();
    virtual bool PumpMessages();
    virtual INT_PTR WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnCommandLine(const std::vector<std::u16string>& args);
    virtual void ShowTrayMenu();
    virtual void OnBalloonClick();

    // Creates the main window from template 1; null when that fails.
    HWND CreateMainWindow();
    HWND Window() const { return window_; }
    HACCEL Accelerators() const { return menus_.Accelerators(); }
    // Restores the stored placement and shows the window (hidden at log-on).
    void PlaceWindow(bool hidden);

private:
    static INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR FrameworkHandle(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    void Layout();
    INT_PTR OnNotify(NMHDR& header);
    void OnTrayCallback(LPARAM lParam);
    void OnTimer(UINT_PTR id);
    void Arm(AppTimer id, UINT ms) { ::SetTimer(window_, id, ms, nullptr); }
    bool OnCopyData(const COPYDATASTRUCT& data);

    // Lifecycle pieces.
    void StartEngine();
    // Loads the shared store again after its watcher saw the file change.
    void ReloadSharedFile();
    // Watches the shared file that the settings name, if shared shortcuts are on.
    void WatchSharedFile();
    void ShowWelcome();
    void RunWelcomeDemo();
    void PointAtAddButton();
    void ShowMain();
    // Whether showing the window brings it back maximised.
    bool WasMaximised() const;
    void HideToTray();
    void OpenFromTray();
    // The suggestions refresh: arms the suggestions timer, which then calls
    // ShowPendingSuggestions.
    void RequestSuggestions() { Arm(kTimerSuggestions, 10); }
    void ShowPendingSuggestions();
    void ToggleShortcuts();
    void ToggleAutoComplete();
    // Auto Complete's on/off state from the setting: the dictionary's
    // search, the engine's switch, the window, then menus and bars.
    void RefreshAutoCompleteState();
    void CreateAutoCompleteWindow();
    void ToggleExpansion();
    void SetShortcutIcons(bool on);
    // Registers the rich edit control's class ("RICHEDIT50W").
    void LoadRichEdit();

    // The rules per program: the status bar's note while a program with an
    // Off rule is in front, the tray's "Off in This Program", and the
    // engine's balloons about programs.
    void StartForegroundWatch();
    void RefreshProgramNote();
    // The program of the window the user works in (before the tray was
    // clicked); empty when that is ours or unknown.
    std::u16string WorkProgram() const;
    void ToggleOffInProgram(const std::u16string& program);
    void ShowProgramNotices();

    // The options window, and what changes when it closes.
    void ShowOptions(OptionsPage page);
    void LoadSwitches();
    void ApplySettingsAfterOptions(const std::u16string& sharedPath, bool replaceLocal, bool sharedEnabled);
    void ShowFirstRunSetup();

    // Backup Data, Restore Data, Save Shortcuts and Load Shortcuts.
    void BackupData();
    void RestoreData();
    void SaveShortcuts();
    void LoadShortcuts();
    // Import from Another Program and Export to CSV.
    void ImportFromProgram();
    void ExportToCsv();

    // The list and the commands on it.
    void ReloadStores();
    void RefillList();
    void RefreshGroupView();
    void OnGroupCommand(int id);
    void ShowListContextMenu(POINT at);
    // True when a shortcut was created; `expansion` fills the editor.
    bool NewShortcut(ShortcutKind kind, std::u16string_view expansion = {});
    void EditSelected();
    void DeleteSelected();
    void TransferSelected(int id);
    bool EditorAvailable(ShortcutKind kind) const;

    // Shortcut reminders: the shortcut-text dictionary and the expansion
    // index follow the loaded shortcuts; timer 3 runs the check.
    void LoadShortcutTexts();
    void OnShortcutCreated(std::u16string_view phrase, std::u16string_view keyword, std::u16string_view expansion);
    void CheckReminders();

    std::vector<std::u16string> args_;
    std::unique_ptr<AppServices> services_;
    // What other threads and starts hand to the main window; before the
    // engine, whose thread pushes balloons until it is gone.
    PostedInbox<std::vector<std::u16string>> commandLines_;
    PostedInbox<EngineBalloon> balloons_;
    EngineHost engine_;
    // After the engine, whose learning dictionary they feed.
    SentMailScans mailScans_;
    HWND window_ = nullptr;
    MainList list_;
    FilterBox filter_;
    MainMenus menus_;
    MainToolbar toolbar_;
    StatusBar status_;
    TrayIcon tray_;
    BalloonTip balloon_;
    UniqueIcon bigIcon_, smallIcon_;
    UINT taskbarCreated_ = 0;
    // Sees other users' changes to the shared file from a thread of its own.
    SharedFileWatcher sharedWatch_;
    bool shortcutsOn_ = true;
    bool autoCompleteToggle_ = false;
    bool switches_[4] = {};  // DoubleSpace, ExpansionCasing, ToggleExpansions, ToggleAutoComplete
    std::u16string expansionsCombo_, autoCompleteCombo_;
    bool suggestShortcuts_ = true;
    bool autoCompleteEnabled_ = false;
    bool exiting_ = false;
    // Created hidden at log-on with a maximised placement: maximised when shown.
    bool maximiseWhenShown_ = false;
    HMODULE richEdit_ = nullptr;
    ExpansionIndex expansions_;
    ShortcutReminder reminder_;
    ForegroundWatch foreground_;
    // "Off in PROGRAM" while such a program is in front; empty otherwise.
    std::u16string programNote_;
    // Last: it unplugs its keys from the engine before the engine goes.
    std::unique_ptr<AutoCompleteHost> autoComplete_;
};

}  // namespace kx
