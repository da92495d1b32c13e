// The engine's keyboard half: turns the hook module's key events into typed
// words, finds the shortcut a delimiter completes, works the on/off hotkeys
// and the double-space rule, and tells the application what happened.
//
// Everything runs inside the processing of one event, one event at a time:
// the word state has no lock and must only be touched by the thread that
// delivers events.
#pragma once

#include <array>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "settings/settings_store.h"
#include "core/program_rules.h"
#include "core/shortcut_store.h"
#include "engine/matcher/classify.h"
#include "engine/matcher/engine_ports.h"
#include "engine/matcher/hotkey_config.h"
#include "engine/matcher/key_event.h"
#include "platform/clock.h"
#include "platform/program_query.h"
#include "platform/window_query.h"

namespace kx {

// The state the matcher keeps and the output side reads.
struct EngineState {
    std::u16string typed;          // the word being typed, upper-cased
    std::u16string previousWord;   // the word a delimiter ended; Backspace restores it
    int32_t breakCount = 0;        // delimiters typed since the last word character
    bool firstCapital = false;
    bool allCapitals = false;
    WindowHandle foregroundWindow = 0;
    std::u16string foregroundClass;
    bool isConsole = false;
    bool isWordLike = false;
    // The rule of the program in front: how the output delivers.
    ProgramRule programRule;
    // Set before the program's own Ctrl+V; the next V event is dropped.
    std::atomic<bool> skipNextV{false};
    bool spacePending = false;
    bool periodInserted = false;
    uint32_t lastToggleTick = 0;
    bool lastToggleTickValid = false;
    // Which keys are down, and with which modifiers they went down, from the
    // presses and releases seen: the hook reports auto-repeat as presses.
    struct HeldKey { bool down = false; uint8_t modifiers = 0; };
    std::array<HeldKey, 256> heldKeys{};
};

struct ExpanderPorts {
    SettingsStore& settings;
    WindowQuery& windows;
    Clock& clock;
    ExpansionOutput& output;
    MacroLauncher& macros;
    AutoCompleteLink& autoComplete;
    AppLink& app;
    const HotkeyConfig& hotkeys;
    LookupTrace* trace = nullptr;
    // Who owns the window in front, for the rules per program; none: no
    // program is known and no rule applies.
    ProgramQuery* programs = nullptr;
};

// The program in front, as the matcher learned it at the last foreground
// change.
struct ForegroundProgram {
    std::u16string program;  // file name; empty when unknown
    ProgramRule rule;
    bool blocksOurInput = false;  // elevated while we are not
};

// A notice of kind notice::kProgram with the program it is about.
struct ProgramNotice {
    intptr_t what = 0;  // notice::kProgramPlainText or notice::kProgramElevated
    std::u16string program;
};

class Expander {
public:
    explicit Expander(ExpanderPorts ports) : p_(ports) {}
    Expander(const Expander&) = delete;
    Expander& operator=(const Expander&) = delete;

    void OnKeyEvent(const KeyEvent& e);
    // Forgets the word being typed (not the previous word) and says so.
    void ResetTypedBuffer();

    // The stores to search; either may be empty. Called from the UI thread.
    void SetStores(StoreRef local, StoreRef shared);
    // Reloads "ExpansionCasing" and "DoubleSpace" (start-up, after Options).
    void LoadSwitches();

    bool ShortcutsEnabled() const { return shortcutsEnabled_; }
    void SetShortcutsEnabled(bool on) { shortcutsEnabled_ = on; }
    bool AutoCompleteEnabled() const { return autoCompleteEnabled_; }
    void SetAutoCompleteEnabled(bool on) { autoCompleteEnabled_ = on; }
    bool CasingEnabled() const { return casingEnabled_; }
    bool DoubleSpaceEnabled() const { return doubleSpaceEnabled_; }

    // Looks a key up in the stores in the order the shared settings give.
    bool Lookup(std::u16string_view key, EntryRef& out);

    // The program in front and its rule; any thread.
    ForegroundProgram CurrentProgram() const;
    // The plain-text and elevated notices since the last call, oldest first;
    // any thread.
    std::vector<ProgramNotice> TakeProgramNotices();

    EngineState& State() { return s_; }
    const EngineState& State() const { return s_; }
    const ExpanderPorts& Ports() const { return p_; }

private:
    // Where a lookup found its entry, and whether its macro may start programs.
    struct Origin {
        bool shared = false;
        bool startsPrograms = true;
    };
    // As Lookup; the shared store is searched only when `sharedAllowed`.
    bool Lookup(std::u16string_view key, EntryRef& out, Origin& origin, bool sharedAllowed);
    void ProcessToggles(const KeyEvent& e);
    // True for a press of a key that is already down with the same
    // modifiers: the keyboard's auto-repeat. Records every event's key state.
    bool TrackRepeat(const KeyEvent& e);
    // The caret left the word, or the text around it changed in a way we
    // cannot follow: neither the word being typed nor the one before it is
    // where we think. Forgets both, with the notice of a discarded word.
    void ForgetWords();
    void MatchEvent(const KeyEvent& e);
    void OnBreakPress(const KeyEvent& e, const Classified& k);
    void OnCharacter(const KeyEvent& e, const Classified& k);
    // True when a hotkey macro started; `noticeValue` may become 11.
    bool MatchHotkey(const KeyEvent& e, uint32_t& noticeValue);
    void UpdateForeground();
    // The program behind the window in front, and its rule: asked once per
    // foreground change (program_rules_matcher.cpp).
    void LearnProgram();
    // The rule of the program learned, from rules read again when they
    // changed; `reload` when the registry says they did.
    void ApplyProgramRule(bool reload);
    // Posts a notice of kind notice::kProgram once per program.
    void TellOncePerProgram(std::vector<std::u16string>& told, intptr_t what);

    ExpanderPorts p_;
    EngineState s_;
    std::atomic<bool> shortcutsEnabled_{true};
    std::atomic<bool> autoCompleteEnabled_{true};
    std::atomic<bool> casingEnabled_{false};
    std::atomic<bool> doubleSpaceEnabled_{false};
    std::mutex storesLock_;
    StoreRef local_, shared_;
    // The shared-shortcut switches, read again whenever their section changes.
    std::unique_ptr<RegistryWatch> sharedWatch_;
    bool sharedEnabled_ = false;
    bool sharedFirst_ = false;
    // The user was told that a shared macro may not start programs.
    bool toldProgramRefused_ = false;
    // The rules per program as last read, and what says they changed: the
    // registry's notification, looked at on a foreground change, and the
    // count of this process's own writes, looked at on every key.
    std::unique_ptr<RegistryWatch> rulesWatch_;
    ProgramRuleTable rules_;
    uint64_t rulesWrites_ = 0;
    bool rulesRead_ = false;
    WindowHandle programWindow_ = 0;
    WindowProgram learned_;
    std::vector<std::u16string> toldPlainText_, toldElevated_;
    // The program in front, for other threads.
    mutable std::mutex programLock_;
    ForegroundProgram program_;
    std::vector<ProgramNotice> programNotices_;
};

// Whether the rule delivers rich text or a picture as its plain text: Type
// always, Chat when the text has more than one line.
bool PlainTextOnly(const ProgramRule& rule, const ShortcutEntry& entry);

// "CTRL+", "SHIFT+", "ALT+" for the modifiers held, in that order.
std::u16string ModifierPrefix(const KeyEvent& e);

}  // namespace kx
