// The engine as the application runs it: the Expander behind the hook
// link, the keystroke output, the 64-bit companion, and the application's
// side of the engine's ports, which posts what the engine reports to the
// main window so that the window changes only on its own thread.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/win/posted_inbox.h"
#include "settings/settings_store.h"
#include "core/shortcut_store.h"
#include "engine/matcher/engine_ports.h"
#include "engine/matcher/expander.h"
#include "engine/hooklink/notice_port_win32.h"
#include "engine/matcher/hotkey_config.h"

namespace kx {

class AutoCompleteFeed;
class PhraseDictionary;

// Messages the engine's thread posts to the main window. Its notices come as
// the hook link's registered message (NoticeMessage): wParam kind, lParam value.
inline constexpr UINT kEngineTrayIconMessage = WM_APP + 0x71;  // wParam icon resource
inline constexpr UINT kEngineRefreshMessage = WM_APP + 0x72;
inline constexpr UINT kEngineBalloonMessage = WM_APP + 0x73;  // the balloons wait in the window's inbox

struct EngineBalloon {
    std::u16string title, text;
    unsigned ms = 0;
};

class EngineHost final : public AppLink {
public:
    explicit EngineHost(SettingsStore& settings);
    ~EngineHost() override;
    EngineHost(const EngineHost&) = delete;
    EngineHost& operator=(const EngineHost&) = delete;

    // The main window, and its inbox for balloons, which outlives the engine.
    void SetApplicationWindow(HWND window, PostedInbox<EngineBalloon>& balloons);
    void SetStores(StoreRef local, StoreRef shared);
    void LoadSwitches();

    // Loads the hook module from `moduleFolder` (ending in a backslash) and
    // sets the hooks. False when the module could not be linked.
    bool Start(const std::wstring& moduleFolder);
    // Stops the link; false when something could not be cleaned up.
    bool Stop();
    bool Running() const;
    // Enables or pauses the hooks (expansion on/off, open editors).
    void SetHooksEnabled(bool on);

    // The 64-bit companion: started or adopted on 64-bit Windows. The delay
    // for timer 4, or 0 when none is needed.
    unsigned StartCompanion(const std::wstring& exeFolder);
    unsigned RefreshCompanion();
    LRESULT OnCompanionRecord(WPARAM type);
    void TerminateCompanion();

    Expander& Engine();
    // Auto Complete's paste: the rest of a phrase over the `replaceCount`
    // characters typed after the searched text. True when it was delivered.
    bool InsertPhrase(const std::u16string& text, unsigned replaceCount);
    // While the Auto Complete window is open the hook modules keep ALT+UP
    // and ALT+DOWN from the application.
    void SetAutoCompleteOpen(bool open);
    // Runs `work` on the thread that handles keystrokes, which owns the
    // engine's state; at once while the engine does not run (no keystroke
    // is handled then). ForgetEngineWork drops what has not run yet.
    void RunOnEngineThread(std::function<void()> work);
    void ForgetEngineWork();
    // The two phrase dictionaries and the key stream's way into them.
    PhraseDictionary& LearningDictionary();
    PhraseDictionary& ShortcutTextDictionary();
    AutoCompleteFeed& AutoComplete();
    // Stops both dictionaries' workers (at exit, after the save).
    void StopDictionaries();
    HotkeyConfig& Hotkeys();
    // The message number of the engine's notices, registered under the hook
    // link's name; the main window recognises its notices by it.
    UINT NoticeMessage() const { return notices_.Message(); }

    // AppLink, called on the engine's thread.
    void PostNotice(int kind, intptr_t value) override;
    void ShowBalloon(const std::u16string& title, const std::u16string& text, unsigned ms) override;
    void SetTrayIcon(int iconResource) override;
    void RefreshOnOffTexts() override;
    void RefreshAutoCompleteState() override;

private:
    // Before the parts, which post to it until they are gone.
    NoticePort notices_;
    struct Parts;
    std::unique_ptr<Parts> parts_;
    std::atomic<HWND> window_{nullptr};
    PostedInbox<EngineBalloon>* balloons_ = nullptr;
};

}  // namespace kx
