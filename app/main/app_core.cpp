#include "app/main/app_core.h"

#include <shellapi.h>

#include "app/lifecycle/dictionary_save.h"
#include "app/lifecycle/install_reboot.h"
#include "app/lifecycle/picture_update.h"
#include "app/main/placement_rule.h"
#include "app/resource_ids.h"
#include "app/shell/elevation_win32.h"
#include "app/shell/help_topics.h"
#include "app/shell/run_entries.h"
#include "app/shell/system_restart_win32.h"
#include "core/group_registry.h"
#include "core/local_store.h"
#include "base/text.h"
#include "learn/phrase_dictionary.h"
#include "learn/mail/outlook_mail_source_win32.h"
#include "platform/diagnostic_log.h"

namespace kx {

AppCore::AppCore(std::vector<std::u16string> args)
    : args_(std::move(args)),
      services_(std::make_unique<AppServices>()),
      engine_(services_->settings),
      mailScans_(services_->settings, services_->ctx.fs, services_->knownFolders, engine_.LearningDictionary(),
                 &ConnectOutlookMailSource) {}

AppCore::~AppCore() {
    if (richEdit_) ::FreeLibrary(richEdit_);
}

HWND AppCore::CreateMainWindow() {
    return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr, &DialogProcedure,
                                reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK AppCore::DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<AppCore*>(lParam)->window_ = window;
    }
    auto* core = reinterpret_cast<AppCore*>(::GetWindowLongPtrW(window, DWLP_USER));
    return core ? core->WindowProc(message, wParam, lParam) : FALSE;
}

void AppCore::OnInitDialog() {
    bigIcon_.Reset(LoadAppIcon(IDI_APP, ::GetSystemMetrics(SM_CXICON)));
    smallIcon_.Reset(LoadAppIcon(IDI_APP, ::GetSystemMetrics(SM_CXSMICON)));
    ::SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.Get()));
    ::SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.Get()));
    taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");
    tray_.Add(window_, IDI_APP);
    status_.Create(window_);
    services_->prompt.SetFallbackOwner(window_);
    services_->dialogs.SetOwner(window_);
    engine_.SetApplicationWindow(window_, balloons_);
    OnInit();
    StartForegroundWatch();
    RefreshState();
}

bool AppCore::OnInit() {
    SettingsStore& settings = services_->settings;
    const DataContext& ctx = services_->ctx;
    // 1. The user's data folder.
    RelocateDataAtStartup(ctx);
    UpdatePictureShortcuts(window_, ctx);
    // 2. A restart that the installation asked for.
    {
        Win32SystemRestart system;
        if (RebootIfInstallAsks(settings, services_->prompt, system)) {
            ::ShowWindow(window_, SW_HIDE);
            return false;
        }
    }
    // 3. The list; 4. toolbar, menus and accelerators.
    toolbar_.Create(window_);
    list_.Create(window_);
    filter_.Create(window_);
    menus_.Build(window_);
    list_.RestoreWidths(settings);
    // 5. The first group.
    ChooseStartupGroup(ctx);
    // 6.
    settings.WriteBool(settings::ExpansionOn, true);
    // 7. The shared store and the current group's.
    engine_.SetStores(services_->stores.local, services_->stores.shared);
    ReloadStores();
    RefreshGroupView();
    // 8.
    status_.DivideIntoParts();
    status_.SetText(0, u"Shortcuts are On");
    status_.SetText(1, u"Auto Complete is On");
    Layout();
    // 9.
    Arm(kTimerStartEngine, 1000);
    // 10.
    WatchSharedFile();
    Arm(kTimerReminders, 300);
    // The learned phrases load in the background; typing is learned meanwhile.
    // The error output (when captured) says when they are in, and how long
    // the load took.
    engine_.LearningDictionary().SetLoadedNotice([](const LoadReport& r) {
        WriteDiagnosticLine(r.fileFound ? "Phrases loaded: " + std::to_string(r.phrases) + " from acdata.txt in " +
                                              std::to_string(r.elapsedMs) + " ms, giving way " +
                                              std::to_string(r.giveWays) + " times"
                                        : std::string("Phrases loaded: no acdata.txt yet"));
    });
    engine_.LearningDictionary().StartLoading(AcdataPath(ctx.folders.user));
    // 11.
    if (settings.ReadBool(settings::ProgramsFirstRun)) {
        settings.WriteBool(settings::ProgramsFirstRun, false);
        Win32Elevation elevation;
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        RunEntries(services_->registry, U(path)).AddAtFirstRun(&elevation);
    }
    // 13. The sent-mail scans the user switched on.
    mailScans_.StartSwitchedOn();
    // 14.
    CreateAutoCompleteWindow();
    // 15. The switches.
    LoadSwitches();
    // 16. Pending shortcut suggestions, once the window is up.
    RequestSuggestions();
    toolbar_.SetAutoCompleteText(u"Auto");
    // 17. The welcome of a first start.
    if (settings.ReadInt(settings::Runs) < 1) {
        Arm(kTimerWelcome, 500);
        settings.WriteBool(settings::HasWelcomedThisRun, true);
    } else {
        settings.WriteBool(settings::HasWelcomedThisRun, false);
    }
    return true;
}

void AppCore::OnExit() {
    SettingsStore& settings = services_->settings;
    list_.StoreWidths(settings);
    if (engine_.Running() && !engine_.Stop())
        ::MessageBoxW(nullptr, L"Failed to remove the keyboard handler.", nullptr, MB_OK | MB_ICONERROR);
    engine_.TerminateCompanion();
    sharedWatch_.Stop();
    // What was typed up to now is learned before the dictionary is saved.
    PhraseDictionary& learning = engine_.LearningDictionary();
    learning.TypingLearnerPass();
    learning.MailLearnerPass();
    SaveLearningDictionary(nullptr, learning, services_->ctx.folders.user);
    // The scans wrote their progress after each message learned.
    mailScans_.Stop();
    engine_.StopDictionaries();
}

bool AppCore::CanAccept() { return true; }

void AppCore::ShowHelp() { OpenHelpTopic(window_, L"index"); }

void AppCore::Close() { EndDialog(2); }

void AppCore::EndDialog(int) {}

bool AppCore::IsVistaOrSeven() {
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof(v);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ::GetVersionExW(&v);
#pragma GCC diagnostic pop
    return v.dwMajorVersion == 6 && v.dwMinorVersion <= 1;
}

bool AppCore::PumpMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return !window_ || !::IsWindow(window_);
}

void AppCore::OnBalloonClick() {}

void AppCore::SaveWindowPlacement(std::u16string_view section) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    if (!::GetWindowPlacement(window_, &wp)) return;
    SettingsStore& settings = services_->settings;
    const RECT& r = wp.rcNormalPosition;
    settings.WriteInt(section, u"X", r.left);
    settings.WriteInt(section, u"Y", r.top);
    settings.WriteInt(section, u"Width", r.right - r.left);
    settings.WriteInt(section, u"Height", r.bottom - r.top);
    settings.WriteBool(section, u"Maximized", wp.showCmd == SW_SHOWMAXIMIZED || ::IsZoomed(window_));
}

void AppCore::PlaceWindow(bool hidden) {
    SettingsStore& s = services_->settings;
    const std::u16string_view section = settings::kMainWindow;
    auto stored = [&](std::u16string_view name) -> std::optional<int> {
        const std::u16string text = s.ReadString(section, name, u"");
        if (text.empty()) return std::nullopt;
        return int(ParseLeadingInt(text));
    };
    StoredPlacement p{stored(u"X"), stored(u"Y"), stored(u"Width"), stored(u"Height")};
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    PlacementMetrics m{DialogUnitsX(window_, 464), DialogUnitsY(window_, 200), DialogUnitsX(window_, 520),
                       DialogUnitsY(window_, 232), {work.left, work.top, work.right, work.bottom}};
    const PixelRect r = MainWindowRect(p, m);
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    wp.rcNormalPosition = {r.left, r.top, r.right, r.bottom};
    const bool maximized = s.ReadBool(settings::MainWindowMaximized);
    wp.showCmd = hidden ? SW_HIDE : (maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    maximiseWhenShown_ = hidden && maximized;
    ::SetWindowPlacement(window_, &wp);
    Layout();
}

void AppCore::Layout() {
    if (!window_ || !list_.Handle()) return;
    toolbar_.Layout();
    status_.Layout();
    RECT r{};
    ::GetClientRect(window_, &r);
    filter_.Place(toolbar_.Height(), r.right);
    const int top = toolbar_.Height() + filter_.Height();
    const int bottom = r.bottom - status_.Height();
    ::MoveWindow(list_.Handle(), 0, top, r.right, bottom > top ? bottom - top : 0, TRUE);
}

void AppCore::WatchSharedFile() {
    sharedWatch_.Stop();
    SettingsStore& settings = services_->settings;
    const std::u16string path = settings.Read(settings::SharedPath);
    if (path.empty() || !settings.ReadBool(settings::SharedEnabled)) return;
    std::unique_ptr<WatchedFile> file = WatchFile(path);
    if (!file) return;
    // The stamp the store was loaded at; a change since is seen at once.
    const FileStamp known = file->Stamp();
    const HWND window = window_;
    sharedWatch_.Start(std::move(file), known, [window] { ::PostMessageW(window, kSharedFileChangedMessage, 0, 0); });
}

}  // namespace kx
