// The output half of the engine: puts an expansion on the clipboard in the
// formats that suit the target, erases (or selects) the typed keyword and
// its delimiter with injected keys, and pastes with Ctrl+V, or through the
// paste command of a console window.
//
// Runs on the thread that processes key events, while that thread's message
// loop waits. Keeps nothing between expansions; skipNextV lives in the
// engine state.
#pragma once

#include <string_view>

#include "engine/matcher/engine_ports.h"
#include "engine/output/clipboard_put.h"
#include "engine/output/hook_control.h"
#include "engine/output/key_sequences.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/key_injector.h"
#include "platform/window_query.h"

namespace kx {

inline constexpr std::u16string_view kRichTextFormatName = u"Rich Text Format";
inline constexpr std::u16string_view kHtmlFormatName = u"HTML Format";
inline constexpr std::u16string_view kPictureText = u"[This application does not support images]";
// The paste command of a console window's system menu.
inline constexpr uintptr_t kConsolePasteCommand = 0xFFF1;
inline constexpr uint32_t kConsolePasteDelayMs = 1000;

struct OutputPorts {
    KeyInjector& injector;
    Clipboard& clipboard;
    Clock& clock;
    WindowQuery& windows;    // the target's class name, for the browser rule
    HookControl* hooks = nullptr;  // none until the hook module is linked
    WindowHandle applicationWindow = 0;  // owns the clipboard during an expansion
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
    int Deliver(EngineState& state, const ExpandRequest& request);
    bool PutRichData(const ShortcutEntry& entry, WindowHandle target, unsigned rtfFormat, unsigned htmlFormat);
    bool PutText(const EngineState& state, const ShortcutEntry& entry, char16_t trailing);
    int ErasePaste(EngineState& state, const ExpandRequest& request, size_t keywordLength);
    int ConsolePaste(WindowHandle target);

    OutputPorts p_;
};

}  // namespace kx
