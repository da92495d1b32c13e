// The output half of the engine: puts an expansion on the clipboard in the
// formats that suit the target, beside the formats that keep it out of
// clipboard history and the cloud clipboard, all in one opening, erases (or selects) the typed keyword and
// its delimiter with injected keys, and pastes with Ctrl+V, or through the
// paste command of a console window.
//
// With a clipboard owner window, the formats are offered for delayed
// rendering and the owner renders them for every program that asks: the
// first request after the paste keys is how we know the target pastes. The
// expansion waits for it, and for the paste's reads to be over, before it
// returns, so the next expansion cannot replace the clipboard under a
// target that has not pasted yet, and the hook module keeps holding the
// user's next keys until the paste is in. With "RestoreClipboard" on, the
// clipboard the user had is saved first (within bounds of size and time)
// and put back once the paste is over; whatever fails after the clipboard
// was emptied puts it back at once.
//
// Runs on the thread that processes key events, while that thread's message
// loop waits. Keeps nothing between expansions; skipNextV lives in the
// engine state.
#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string_view>

#include "engine/matcher/engine_ports.h"
#include "engine/output/clipboard_put.h"
#include "engine/output/clipboard_snapshot.h"
#include "engine/output/hook_control.h"
#include "engine/output/key_sequences.h"
#include "engine/output/png_encoder.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/key_injector.h"
#include "platform/window_query.h"
#include "settings/settings_store.h"

namespace kx {

inline constexpr std::u16string_view kRichTextFormatName = u"Rich Text Format";
inline constexpr std::u16string_view kHtmlFormatName = u"HTML Format";
inline constexpr std::u16string_view kPictureText = u"[This application does not support images]";
// The paste command of a console window's system menu.
inline constexpr uintptr_t kConsolePasteCommand = 0xFFF1;
inline constexpr uint32_t kConsolePasteDelayMs = 1000;
// How long after its Ctrl+V (or paste command) a target may take to ask for
// the expansion. Past it the expansion stays on the clipboard and the next
// one may replace it. Measured under Wine (docs/PERFORMANCE.md): an idle
// notepad asks within a few milliseconds of the keystroke, but with both
// cores taken by busy loops beside other work the request often came more
// than 600 ms after it. The hook module holds the user's next keys for as
// long as the expansion waits, so a long limit costs nothing while targets
// paste; it is paid only, once per expansion, in a window that never
// pastes.
inline constexpr uint32_t kPasteRequestLimitMs = 2000;
// A paste may read several times, one format after another (text, then
// HTML or RTF): the paste is over once no request has come for this long and
// nobody holds the clipboard open. Chosen by measurement under Wine with a
// target that reads twice, 50 ms apart (docs/PERFORMANCE.md).
inline constexpr uint32_t kPasteQuietMs = 150;
// When the target's own program has not been seen asking (a viewer had the
// expansion rendered before the paste keys, and Windows asks us only once
// per format; or the reader was another process), its paste cannot be
// seen; the expansion then counts it over this long after the paste keys.
// Measured under Wine with a history tool reading every change beside
// notepad (docs/PERFORMANCE.md).
inline constexpr uint32_t kUnseenPasteMs = 800;
// How often the quiet and the clipboard are looked at.
inline constexpr uint32_t kPasteClosePollMs = 2;
// From the paste's first request to the end of its quiet: a reader that
// keeps asking, or holds the clipboard open, for longer gets the expansion
// left on the clipboard.
inline constexpr uint32_t kPasteCloseLimitMs = kUnseenPasteMs + 400;
// Saving the user's clipboard runs while the hook module holds the user's
// keys, and the hook gives the handling of one key 5 s in all. The other
// waits take up to 125 + 2000 + 1200 ms, and a console's paste 1 s more:
// half a second is what is left, with a little room to spare. A format larger
// than 16 MiB (a full screenshot of a 2560 x 1440 screen is 14.1 MiB) is bulk
// data, such as a large spreadsheet's own formats: copying it twice would
// cost this 32-bit program that much address space and time in the hold.
inline constexpr uint32_t kSaveLimitMs = 500;
inline constexpr size_t kSaveFormatLimitBytes = size_t(16) << 20;

struct OutputPorts {
    KeyInjector& injector;
    Clipboard& clipboard;
    Clock& clock;
    WindowQuery& windows;    // the target's class name, for the browser rule
    HookControl* hooks = nullptr;  // none until the hook module is linked
    WindowHandle applicationWindow = 0;  // owns the clipboard during an expansion without `owner`
    // Owns the clipboard and renders on request; without it the data goes
    // on the clipboard at once and nothing waits for the paste.
    ClipboardOwner* owner = nullptr;
    // "RestoreClipboard", read at each expansion; none: off.
    const SettingsStore* settings = nullptr;
    // Where a line about a clipboard not given back goes; none: the
    // program's diagnostic output.
    std::function<void(std::string_view)> log = {};
    // Renders a picture's browser clip as it is expanded; none: a picture
    // goes to a browser with an empty one.
    PngEncoder* pictures = nullptr;
};

class KeystrokeOutput final : public ExpansionOutput {
public:
    explicit KeystrokeOutput(OutputPorts ports) : p_(ports) {}
    KeystrokeOutput(const KeystrokeOutput&) = delete;
    KeystrokeOutput& operator=(const KeystrokeOutput&) = delete;

    // 11 delivered, 12 a step failed. Steps already taken are not undone.
    int ExpandShortcut(EngineState& state, const ExpandRequest& request) override;
    bool SendBackspaces(unsigned n) override { return keys::SendBackspaces(Keys(), n); }
    bool SendDoubleSpaceFix() override { return keys::SendDoubleSpaceFix(Keys()); }

    // Auto Complete's paste: brings the window that was typed in back to the
    // front, selects the `selectCount` characters of the partly typed word
    // and pastes the phrase over them. The console paste goes to that window.
    int InsertPhrase(EngineState& state, const EntryRef& phrase, unsigned selectCount);

    // The main window, once it exists.
    void SetApplicationWindow(WindowHandle w) { p_.applicationWindow = w; }

private:
    KeyPorts Keys() const { return {p_.injector, p_.clock}; }
    // The entry's "HTML Format" clip: a picture's is rendered now.
    std::string HtmlClipOf(const ShortcutEntry& entry);
    int Deliver(EngineState& state, const ExpandRequest& request);
    // The expansion through the owner window: offered, pasted, waited for,
    // and the user's clipboard given back when the setting asks for it.
    int DeliverDelayed(EngineState& state, const ExpandRequest& request);
    // Everything the expansion puts on the clipboard, in order; false when a
    // rich format cannot be registered.
    bool BuildFormats(EngineState& state, const ShortcutEntry& entry, const ExpandRequest& request, unsigned rtfFormat,
                      unsigned htmlFormat, std::vector<ClipFormat>& out);
    // Waits for the target's paste and for its quiet, then gives back
    // `saved` when there is one; true when the paste was taken and the
    // clipboard could be had again.
    bool AwaitPaste(const ClipboardSnapshot* saved);
    // Something failed after the clipboard was emptied: nothing will paste,
    // and `saved` goes back on the clipboard.
    void GiveBack(std::optional<ClipboardSnapshot>& saved);
    bool OpenWithin(ClipboardSession& session, WindowHandle owner) {
        return OpenClipboardWithin(session, p_.clock, owner, kClipboardOpenLimitMs);
    }
    // The paste keys (or command) go now.
    void PasteSent() {
        pasteSentMs_ = p_.clock.TickMs();
        if (p_.owner) p_.owner->PasteSent();
    }
    void Log(std::string_view line);
    int ErasePaste(EngineState& state, const ExpandRequest& request, size_t keywordLength);
    // Takes the keyword (and its delimiter) away as the target needs it;
    // nothing for a paste-only request.
    bool Erase(EngineState& state, const ExpandRequest& request, size_t keywordLength);
    // Through the owner window when there is one.
    int DeliverEither(EngineState& state, const ExpandRequest& request) {
        return p_.owner && p_.owner->Window() ? DeliverDelayed(state, request) : Deliver(state, request);
    }
    // The rules per program (program_rule_output.cpp): the expansion typed
    // as characters with the clipboard untouched, or pasted line by line
    // with SHIFT+Enter between the lines.
    int TypeOut(EngineState& state, const ExpandRequest& request);
    int ChatOut(EngineState& state, const ExpandRequest& request);
    int ConsolePaste(WindowHandle target);

    OutputPorts p_;
    // Auto Complete pastes from another thread than the engine's.
    std::mutex expansionLock_;
    // The user's clipboard of an expansion that the target did not take in
    // time: the expansion still stands on the clipboard, so the next
    // expansion gives this back instead of saving its own text.
    std::optional<ClipboardSnapshot> unrestored_;
    uint32_t pasteSentMs_ = 0;
};

}  // namespace kx
