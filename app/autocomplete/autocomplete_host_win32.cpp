#include "app/autocomplete/autocomplete_host_win32.h"

#include "app/engine_host/engine_host.h"
#include "learn/autocomplete_feed.h"
#include "learn/phrase_dictionary.h"

namespace kx {

bool AutoCompleteHost::EngineOutput::InsertPhrase(const std::u16string& text, unsigned replaceCount) {
    return engine_.InsertPhrase(text, replaceCount);
}

namespace {

AutoCompleteCallbacks WithEngine(EngineHost& engine, AutoCompleteCallbacks callbacks) {
    // While the window is open the hook modules keep ALT+UP and ALT+DOWN
    // from the application: they choose a row instead.
    callbacks.openChanged = [&engine](bool open) { engine.SetAutoCompleteOpen(open); };
    // A row chosen with the mouse is typed from the keystroke thread, like
    // one chosen with the keys: the engine's state is that thread's alone.
    callbacks.onKeystrokeThread = [&engine](std::function<void()> work) { engine.RunOnEngineThread(std::move(work)); };
    return callbacks;
}

}  // namespace

AutoCompleteHost::AutoCompleteHost(EngineHost& engine, SettingsStore& settings, MessagePrompt& prompt,
                                   AutoCompleteCallbacks callbacks)
    : engine_(engine),
      settings_(settings),
      dictionary_(engine.LearningDictionary()),
      output_(engine),
      window_(dictionary_, output_, settings, prompt, WithEngine(engine, std::move(callbacks))),
      keys_(window_, SystemClock(),
            {[&engine](const std::u16string& inserted) { engine.AutoComplete().BeginCorrection(inserted); },
             [&engine] { engine.AutoComplete().TypingReset(); }}) {}

AutoCompleteHost::~AutoCompleteHost() {
    if (plugged_) engine_.AutoComplete().SetWindowKeys(nullptr);
    // An insertion not yet typed would find the window gone.
    engine_.ForgetEngineWork();
}

bool AutoCompleteHost::Create(HWND owner) {
    if (!window_.Create(owner)) return false;
    keys_.SetWindowHandle(reinterpret_cast<WindowHandle>(window_.Handle()));
    engine_.AutoComplete().SetWindowKeys(&keys_);
    plugged_ = true;
    ApplyEnabled(settings_.ReadBool(settings::AutoCompleteEnabled));
    return true;
}

void AutoCompleteHost::Poll() {
    std::vector<AcCandidate> list;
    if (!dictionary_.TakeCandidates(list)) return;
    if (settings_.ReadBool(settings::AutoCompleteEnabled)) window_.ShowCandidates(list, true);
}

void AutoCompleteHost::ApplyEnabled(bool on) {
    engine_.LearningDictionary().SetSearchSuspended(!on);
    if (!on) window_.HideAtOnce();
}

}  // namespace kx
