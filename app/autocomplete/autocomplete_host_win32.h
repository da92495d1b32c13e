// Auto Complete as the application runs it: the window, its keys plugged
// into the engine's feed, the learning dictionary behind them, and the
// engine's output for insertions.
#pragma once

#include <windows.h>

#include "app/autocomplete/ac_keys.h"
#include "app/autocomplete/autocomplete_window_win32.h"
#include "app/autocomplete/phrase_dictionary_port.h"

namespace kx {

class EngineHost;

class AutoCompleteHost {
public:
    AutoCompleteHost(EngineHost& engine, SettingsStore& settings, MessagePrompt& prompt,
                     AutoCompleteCallbacks callbacks);
    // Takes the window's keys out of the feed before the window goes.
    ~AutoCompleteHost();
    AutoCompleteHost(const AutoCompleteHost&) = delete;
    AutoCompleteHost& operator=(const AutoCompleteHost&) = delete;

    // Creates the window (hidden) and plugs its keys into the feed; before
    // the hooks start.
    bool Create(HWND owner);
    // The main window's timers: new candidates go to the window while Auto
    // Complete is on.
    void Poll();
    // Auto Complete switched on or off: the dictionary searches only while
    // on, and the window goes at once when off.
    void ApplyEnabled(bool on);

    AutoCompleteWindow& Window() { return window_; }

private:
    class EngineOutput final : public AcOutput {
    public:
        explicit EngineOutput(EngineHost& engine) : engine_(engine) {}
        bool InsertPhrase(const std::u16string& text, unsigned replaceCount) override;

    private:
        EngineHost& engine_;
    };

    EngineHost& engine_;
    SettingsStore& settings_;
    PhraseDictionaryPort dictionary_;
    EngineOutput output_;
    AutoCompleteWindow window_;
    AcWindowKeys keys_;
    bool plugged_ = false;
};

}  // namespace kx
