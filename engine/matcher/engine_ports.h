// What the matcher reaches outside itself: the output side that erases and
// pastes, the macro runner, Auto Complete, and the application window. Each
// is a small interface so the matcher can run with recording fakes.
#pragma once

#include <cstdint>
#include <string>

#include "core/shortcut_store.h"
#include "engine/matcher/key_event.h"
#include "platform/window_query.h"

namespace kx {

struct EngineState;

// EngineNotice kinds and the values of kind 3.
namespace notice {
inline constexpr int kHookState = 1;
inline constexpr int kCharacter = 2;
inline constexpr int kWord = 3;
inline constexpr intptr_t kDiscarded = 10;
inline constexpr intptr_t kExpanded = 11;
inline constexpr intptr_t kExpandFailed = 12;
inline constexpr intptr_t kNoShortcut = 13;
// Kind 4 is about the program in front (Expander::CurrentProgram); the
// program a value names comes with Expander::TakeProgramNotices.
inline constexpr int kProgram = 4;
// Another program came to the front, or the rule of the one in front changed.
inline constexpr intptr_t kProgramChanged = 20;
// A Type rule typed the plain text of rich text or a picture (once per program).
inline constexpr intptr_t kProgramPlainText = 21;
// The program runs elevated and we do not: nothing was erased or typed
// (once per program and session).
inline constexpr intptr_t kProgramElevated = 22;
}  // namespace notice

struct ExpandRequest {
    WindowHandle target = 0;
    bool lastOverwrite = false;  // the delimiter replaced a character in place
    bool isConsole = false;
    EntryRef entry;
    char16_t trailing = 0;       // the delimiter typed, pasted after simple text
    unsigned selectCount = 0;    // characters to select first (Auto Complete)
    bool pasteOnly = false;      // paste without erasing (Auto Complete)
};

// The output half of the engine: erase the keyword, paste the expansion.
class ExpansionOutput {
public:
    virtual ~ExpansionOutput() = default;
    // 11 when the expansion was delivered, 12 when a step failed. Reads the
    // typed keyword length and casing flags, and sets skipNextV, in `state`.
    virtual int ExpandShortcut(EngineState& state, const ExpandRequest& request) = 0;
    // n + 1 taps of Backspace.
    virtual bool SendBackspaces(unsigned n) = 0;
    // Two typed spaces become a full stop and one space.
    virtual bool SendDoubleSpaceFix() = 0;
};

// What a macro may do, by the store its shortcut came from.
struct MacroRights {
    // A "command" line starts its program; when false the line is left out.
    bool startPrograms = true;
};

// What Launch did.
struct MacroStart {
    bool started = false;          // a job plays (only a macro shortcut plays)
    bool firstIsKeyboard = false;  // the script's first command is a keyboard command
    bool programRefused = false;   // a "command" line was left out
};

// Macro shortcuts triggered by key combinations.
class MacroLauncher {
public:
    virtual ~MacroLauncher() = default;
    // Whether a macro job is playing; the matcher ignores typing meanwhile.
    virtual bool AnyRunning() = 0;
    // Replaces any prepared job with one made from the entry's script and
    // starts it, with the commands `rights` allow. An entry of another kind
    // plays nothing: its text is no script.
    virtual MacroStart Launch(const ShortcutEntry& entry, MacroRights rights) = 0;
    // The user pressed ESC while a macro plays: each playing job stops before
    // its next command. A launcher that never plays has nothing to stop.
    virtual void StopPlaying() {}
};

// Auto Complete's view of the key stream.
class AutoCompleteLink {
public:
    virtual ~AutoCompleteLink() = default;
    virtual void TrackEdit(const KeyEvent& e) = 0;
    virtual void FeedKey(const KeyEvent& e) = 0;
    virtual void CancelDoubleCtrl() = 0;
    // The learning dictionary exists and is not paused.
    virtual bool LearningAvailable() = 0;
    virtual bool IsAutoCompleteWindow(WindowHandle w) = 0;
};

// The application's main window and notification-area icon.
class AppLink {
public:
    virtual ~AppLink() = default;
    // Posted, never sent.
    virtual void PostNotice(int kind, intptr_t value) = 0;
    virtual void ShowBalloon(const std::u16string& title, const std::u16string& text, unsigned ms) = 0;
    // Application icon resource 1 (on) or 23 (off).
    virtual void SetTrayIcon(int iconResource) = 0;
    virtual void RefreshOnOffTexts() = 0;
    virtual void RefreshAutoCompleteState() = 0;
};

// Sees every store lookup (kxtool replay prints them).
class LookupTrace {
public:
    virtual ~LookupTrace() = default;
    virtual void OnLookup(std::u16string_view key, bool hit) = 0;
};

}  // namespace kx
