// The expansion engine as the program runs it, without the program's
// windows: the matcher and the keystroke output over the real registry,
// clipboard, key injection and window queries, fed by the hook link on the
// real hook module. Typing tests drive it from outside with real keys.
//
//   kx_test_host.exe --db PATH --ready PATH [--module PATH] [--log PATH]
//                    [--stop-file PATH] [--seconds N]
//
// The shortcuts come from the database file (rich-text shortcuts get their
// HTML Format clip as they load). The settings ("ExpansionCasing" and the
// rest) are read from the registry at start, "RestoreClipboard" at each
// expansion. The ready file is written once
// the hooks are live: "ready N" with N the number of shortcuts loaded, or
// "failed STEP ERROR". The log receives one line per word notice
// ("notice 3 11" for an expansion) and per hook state notice. The host ends
// on WM_CLOSE to its window, when the stop file appears, or after N seconds
// (120 by default), so a forgotten host never outlives its test run.
#include <windows.h>

#include <cstdio>
#include <string>

#include "settings/settings_store.h"
#include "core/database_io.h"
#include "core/shortcut_store.h"
#include "engine/hooklink/expander_sink.h"
#include "engine/hooklink/hook_link_win32.h"
#include "engine/hooklink/hook_module_win32.h"
#include "engine/matcher/expander.h"
#include "engine/matcher/idle_ports.h"
#include "engine/matcher/hotkey_config.h"
#include "engine/output/html_clip_builder.h"
#include "engine/output/keystroke_output.h"
#include "platform/clock.h"
#include "platform/win32/clipboard_keeper_win32.h"
#include "platform/win32/clipboard_win32.h"
#include "platform/win32/key_injector_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/window_query_win32.h"
#include "tests/support/win32_tool.h"

namespace {

using namespace kx;
using testprog::WriteWhole;

constexpr wchar_t kWindowClass[] = L"KxTestHostWindow";
constexpr UINT kNoticeMessage = WM_APP + 1;
constexpr UINT_PTR kStopPollTimer = 1;
constexpr UINT kStopPollMs = 50;

// Notices are posted to the host's window, as the program posts them to its
// main window, and written to the log there: the engine's thread never
// waits on the file.
class NoticeWindow final : public AppLink {
public:
    explicit NoticeWindow(HWND window) : window_(window) {}
    void PostNotice(int kind, intptr_t value) override {
        // Character notices come with every key; the tests read the others.
        if (kind != notice::kCharacter) ::PostMessageW(window_, kNoticeMessage, WPARAM(kind), LPARAM(value));
    }
    void ShowBalloon(const std::u16string&, const std::u16string&, unsigned) override {}
    void SetTrayIcon(int) override {}
    void RefreshOnOffTexts() override {}
    void RefreshAutoCompleteState() override {}

private:
    HWND window_;
};

// The host plays no macros: key combinations start nothing.
class NoMacros final : public MacroLauncher {
public:
    bool AnyRunning() override { return false; }
    MacroStart Launch(const ShortcutEntry&, MacroRights) override { return {}; }
};

// The output side's pause of the hooks, through the module's own export.
// Attached before the link starts; the link's own load of the same path
// then only counts the module up.
class ModuleHookControl final : public HookControl {
public:
    void Attach(HookLink& link, const std::wstring& path) {
        link_ = &link;
        module_.Load(path);
    }
    bool ModuleLoaded() override { return link_ && link_->ModuleLoaded() && module_.Loaded(); }
    void EnableHook(int index, bool enable) override { module_.EnableHook(index, enable ? TRUE : FALSE); }

private:
    HookLink* link_ = nullptr;
    HookModule module_;
};

FILE* g_log = nullptr;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kNoticeMessage:
            if (g_log) {
                std::fprintf(g_log, "notice %d %lld\n", int(wParam), (long long)lParam);
                std::fflush(g_log);
            }
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const testprog::Args o(argc, argv, 1);
    const std::wstring db = o.Get(L"--db"), ready = o.Get(L"--ready"), stopFile = o.Get(L"--stop-file");
    if (db.empty() || ready.empty()) {
        std::fprintf(stderr, "usage: kx_test_host --db PATH --ready PATH [--module PATH] [--log PATH] "
                             "[--stop-file PATH] [--seconds N]\n");
        return 2;
    }
    const std::wstring modulePath = o.Get(L"--module", testprog::BesideExe(L"kxhook.dll"));
    if (o.Has(L"--log")) g_log = _wfopen(o.Get(L"--log").c_str(), L"wb");
    auto fail = [&](const char* step, unsigned long error) {
        WriteWhole(ready, std::string("failed ") + step + " " + std::to_string(error) + "\n");
        return 3;
    };

    // Hidden: it owns the clipboard during expansions and receives notices.
    HWND window = testprog::MakeWindow(kWindowClass, L"kx_test_host", WindowProc, WS_OVERLAPPED);
    if (!window) return fail("window", ::GetLastError());

    Win32Registry registry;
    SettingsStore settings(registry);
    Win32WindowQuery windows;
    Win32Clipboard clipboard;
    Win32KeyInjector injector;
    // No image codec here: picture shortcuts go to a browser with an empty
    // HTML clip.
    HtmlClipBuilder clips;

    StoreRef local = ShortcutStore::Create();
    uint32_t count = 0;
    const int loaded = ShortcutStore::Load(*local, std::u16string(reinterpret_cast<const char16_t*>(db.c_str())),
                                           false, count, SystemDatabaseIo(&clips));
    if (loaded != LoadOk) return fail("database", static_cast<unsigned long>(-loaded));

    NoMacros macros;
    NoAutoComplete autoComplete;
    NoticeWindow app(window);
    HotkeyConfig hotkeys;
    hotkeys.LoadFrom(settings);

    ModuleHookControl hooks;
    // Owns the clipboard and renders the expansions, as in the program.
    ClipboardKeeper keeper;
    KeystrokeOutput output(
        OutputPorts{injector, clipboard, SystemClock(), windows, &hooks, WindowHandle(window), &keeper, &settings});
    Expander expander({settings, windows, SystemClock(), output, macros, autoComplete, app, hotkeys, nullptr});
    expander.SetStores(local, StoreRef());
    expander.LoadSwitches();

    ExpanderSink sink(expander, app);
    HookLink link(sink);
    hooks.Attach(link, modulePath);
    if (!link.StartEngine(window, modulePath)) return fail("start", ::GetLastError());
    if (!link.SetHooksEnabled(true)) {
        link.StopEngine();
        return fail("enable", ::GetLastError());
    }
    WriteWhole(ready, "ready " + std::to_string(count) + "\n");

    const ULONGLONG end = ::GetTickCount64() + unsigned(o.Int(L"--seconds", 120)) * 1000ull;
    ::SetTimer(window, kStopPollTimer, kStopPollMs, nullptr);
    MSG m;
    while (::GetMessageW(&m, nullptr, 0, 0) > 0) {
        if (m.message == WM_TIMER && m.hwnd == window && m.wParam == kStopPollTimer) {
            if (::GetTickCount64() >= end || testprog::Exists(stopFile)) ::DestroyWindow(window);
            continue;
        }
        ::TranslateMessage(&m);
        ::DispatchMessageW(&m);
    }

    link.SetHooksEnabled(false);
    const bool stopped = link.StopEngine();
    if (g_log) {
        std::fprintf(g_log, "end %d\n", stopped ? 1 : 0);
        std::fclose(g_log);
    }
    return stopped ? 0 : 4;
}
