#include "app/engine_host/engine_host.h"

#include "app/engine_host/engine_parts.h"
#include "engine/hooklink/companion_link_win32.h"
#include "engine/hooklink/expander_sink.h"
#include "engine/hooklink/hook_link_win32.h"
#include "engine/hooklink/hook_protocol.h"
#include "engine/hooklink/window_program_win32.h"
#include "engine/macro/macro_machine_win32.h"
#include "engine/macro/macro_runner.h"
#include "engine/macro/macro_system_win32.h"
#include "engine/output/keystroke_output.h"
#include "engine/output/png_cache.h"
#include "learn/autocomplete_feed.h"
#include "learn/phrase_dictionary.h"
#include "picture/codec_png_encoder.h"
#include "platform/stream_file.h"
#include "platform/win32/clipboard_keeper_win32.h"
#include "platform/win32/clipboard_win32.h"
#include "platform/win32/key_injector_win32.h"
#include "platform/win32/process_bitness_win32.h"

namespace kx {

struct EngineHost::Parts {
    Parts(SettingsStore& settings, AppLink& app, std::function<void(uintptr_t, uint32_t)> onStarted)
        : learning(ReadDictionaryOptions(settings, TotalVirtualBytes())),
          shortcutText(ReadDictionaryOptions(settings, TotalVirtualBytes())),
          output(OutputPorts{injector, clipboard, SystemClock(), windows, &hooks, 0, &keeper, &settings, {}, &pictures}),
          expander(ExpanderPorts{settings, windows, SystemClock(), output, macros, autoComplete, app, hotkeys, nullptr,
                                 &programs}),
          sink(expander, app, std::move(onStarted)),
          link(sink),
          companion(link) {}

    Win32WindowQuery windows;
    // The program in front and whether our input reaches it, for the rules
    // per program.
    Win32ProgramQuery programs;
    Win32Clipboard clipboard;
    // Owns the clipboard for expansions and renders them on request.
    ClipboardKeeper keeper;
    // A picture's PNG for a browser, rendered when it is first expanded and
    // kept for the next times.
    CodecPngEncoder pictureRenderer;
    CachedPngEncoder pictures{pictureRenderer};
    Win32KeyInjector injector;
    Win32ProcessBitness bitness;
    LoadedModuleHooks hooks;
    Win32MacroMachine macroMachine{injector, &hooks};
    MacroRunner macros{macroMachine, WindowsMacroSystem()};
    // The learning dictionary and the shortcut-text dictionary, fed by the
    // key stream through the Auto Complete feed.
    PhraseDictionary learning;
    PhraseDictionary shortcutText;
    AutoCompleteFeed autoComplete{&learning, &shortcutText, windows};
    HotkeyConfig hotkeys;
    KeystrokeOutput output;
    Expander expander;
    ExpanderFeedSwitches feedSwitches{expander};
    ExpanderSink sink;
    HookLink link;
    CompanionLink companion;
    bool started = false;
};

EngineHost::EngineHost(SettingsStore& settings)
    : parts_(std::make_unique<Parts>(settings, *this,
                                     [this](uintptr_t, uint32_t message) { notices_.Adopt(UINT(message)); })) {
    parts_->autoComplete.SetSwitches(&parts_->feedSwitches);
    // The shortcut-text dictionary keeps a typing ring but learns nothing.
    parts_->shortcutText.SetLearningEnabled(false);
}

EngineHost::~EngineHost() {
    if (parts_->started) Stop();
}

void EngineHost::SetApplicationWindow(HWND window, PostedInbox<EngineBalloon>& balloons) {
    balloons_ = &balloons;
    window_ = window;
    notices_.SetWindow(window);
    parts_->output.SetApplicationWindow(reinterpret_cast<WindowHandle>(window));
}

void EngineHost::SetStores(StoreRef local, StoreRef shared) { parts_->expander.SetStores(local, shared); }

void EngineHost::LoadSwitches() {
    parts_->expander.LoadSwitches();
    parts_->hotkeys.LoadFrom(parts_->expander.Ports().settings);
}

bool EngineHost::Start(const std::wstring& moduleFolder) {
    const std::wstring module = moduleFolder + L"kxhook.dll";
    parts_->hooks.SetModulePath(module);
    parts_->started = parts_->link.StartEngine(window_.load(), module);
    if (parts_->started) parts_->link.SetHooksEnabled(parts_->expander.Ports().settings.ReadBool(settings::ExpansionOn));
    return parts_->started;
}

bool EngineHost::Stop() {
    if (!parts_->started) return true;
    parts_->started = false;
    // Every playing macro stops and is waited for before the hooks go.
    parts_->macros.StopAll();
    return parts_->link.StopEngine();
}

bool EngineHost::Running() const { return parts_->started; }

void EngineHost::SetHooksEnabled(bool on) {
    if (parts_->started) parts_->link.SetHooksEnabled(on);
}

unsigned EngineHost::StartCompanion(const std::wstring& exeFolder) {
    return parts_->companion.StartOrAdopt(parts_->bitness, window_.load(), exeFolder);
}

unsigned EngineHost::RefreshCompanion() { return parts_->companion.OnRefreshTimer(window_.load()); }

LRESULT EngineHost::OnCompanionRecord(WPARAM type) { return parts_->companion.OnCompanionRecord(type); }

void EngineHost::TerminateCompanion() {
    if (parts_->companion.HoldsProcess()) parts_->companion.Terminate();
}

Expander& EngineHost::Engine() { return parts_->expander; }

bool EngineHost::InsertPhrase(const std::u16string& text, unsigned replaceCount) {
    const EntryRef phrase = ShortcutEntry::Make(ShortcutKind::SimpleText, text);
    return parts_->output.InsertPhrase(parts_->expander.State(), phrase, replaceCount) == notice::kExpanded;
}

void EngineHost::SetAutoCompleteOpen(bool open) {
    if (parts_->started) parts_->hooks.EnableHook(hookproto::kSwitchAltArrows, open);
}

void EngineHost::RunOnEngineThread(std::function<void()> work) {
    if (parts_->started) {
        parts_->link.RunOnLinkThread(std::move(work));
        return;
    }
    work();
}

void EngineHost::ForgetEngineWork() { parts_->link.DropPendingWork(); }
PhraseDictionary& EngineHost::LearningDictionary() { return parts_->learning; }
PhraseDictionary& EngineHost::ShortcutTextDictionary() { return parts_->shortcutText; }
AutoCompleteFeed& EngineHost::AutoComplete() { return parts_->autoComplete; }

void EngineHost::StopDictionaries() {
    parts_->learning.StopWorkers();
    parts_->shortcutText.StopWorkers();
}
HotkeyConfig& EngineHost::Hotkeys() { return parts_->hotkeys; }

void EngineHost::PostNotice(int kind, intptr_t value) {
    notices_.Post(kind, value);
}

void EngineHost::ShowBalloon(const std::u16string& title, const std::u16string& text, unsigned ms) {
    HWND w = window_.load();
    if (!w) return;
    balloons_->Push(EngineBalloon{title, text, ms});
    ::PostMessageW(w, kEngineBalloonMessage, 0, 0);
}

void EngineHost::SetTrayIcon(int iconResource) {
    if (HWND w = window_.load()) ::PostMessageW(w, kEngineTrayIconMessage, WPARAM(iconResource), 0);
}

void EngineHost::RefreshOnOffTexts() {
    if (HWND w = window_.load()) ::PostMessageW(w, kEngineRefreshMessage, 0, 0);
}

void EngineHost::RefreshAutoCompleteState() { RefreshOnOffTexts(); }

}  // namespace kx
