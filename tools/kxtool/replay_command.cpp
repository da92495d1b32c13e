// kxtool replay: key events through the real matcher, with the settings in
// memory and recording stand-ins for everything outside the matcher.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "settings/settings_store.h"
#include "core/shortcut_store.h"
#include "base/text.h"
#include "engine/fake/recording_ports.h"
#include "engine/matcher/expander.h"
#include "engine/output/keystroke_output.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_windows.h"
#include "platform/fake/memory_registry.h"
#include "platform/fake/recording_clipboard.h"
#include "platform/fake/recording_key_injector.h"
#include "tools/kxtool/commands.h"
#include "tools/kxtool/key_script.h"

namespace kx {
namespace {

// "\n", "\r", "\t" and "\\" in a command-line expansion text.
std::u16string Unescape(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            char n = s[i + 1];
            if (n == 'n') { out += '\n'; ++i; continue; }
            if (n == 'r') { out += '\r'; ++i; continue; }
            if (n == 't') { out += '\t'; ++i; continue; }
            if (n == '\\') { out += '\\'; ++i; continue; }
        }
        out += s[i];
    }
    return Utf8ToUtf16(out);
}

bool SplitAt(std::string_view arg, char sep, std::string_view& a, std::string_view& b, bool last = false) {
    size_t p = last ? arg.rfind(sep) : arg.find(sep);
    if (p == std::string_view::npos || p == 0) return false;
    a = arg.substr(0, p);
    b = arg.substr(p + 1);
    return true;
}

// The real output over a recording clipboard and key injector: a summary
// line for each expansion, then every clipboard call and injected record.
class ReplayOutput final : public ExpansionOutput {
public:
    ReplayOutput(EventLog& log, Clock& clock, WindowQuery& windows)
        : summary_(log),
          keys_([&log](const std::string& l) { log.Add(l); }),
          clipboard_([&log](const std::string& l) { log.Add(l); }),
          real_(OutputPorts{keys_, clipboard_, clock, windows, nullptr, kMainWindow}) {}

    int ExpandShortcut(EngineState& state, const ExpandRequest& r) override {
        summary_.ExpandShortcut(state, r);
        return real_.ExpandShortcut(state, r);
    }
    bool SendBackspaces(unsigned n) override { return real_.SendBackspaces(n); }
    bool SendDoubleSpaceFix() override { return real_.SendDoubleSpaceFix(); }

private:
    static constexpr WindowHandle kMainWindow = 0x9000;
    RecordingOutput summary_;
    RecordingKeyInjector keys_;
    RecordingClipboard clipboard_;
    KeystrokeOutput real_;
};

int Fail(const std::string& msg) {
    std::fprintf(stderr, "kxtool replay: %s\n", msg.c_str());
    return 2;
}

}  // namespace

int RunReplayCommand(int argc, char** argv) {
    MemoryRegistry registry;
    SettingsStore settings(registry);
    StoreRef local = ShortcutStore::Create(), shared = ShortcutStore::Create();
    FakeWindows windows;
    const char* file = nullptr;

    for (int i = 0; i < argc; ++i) {
        std::string_view a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (a == "--shortcut" || a == "--shared" || a == "--macro") {
            const char* v = value();
            std::string_view key, text;
            if (!v || !SplitAt(v, '=', key, text)) return Fail(std::string(a) + " needs KEY=TEXT");
            // Keywords are kept in upper case, as the shortcut editors store them.
            auto entry = ShortcutEntry::Make(a == "--macro" ? ShortcutKind::Macro : ShortcutKind::SimpleText, Unescape(text));
            (a == "--shared" ? shared : local)->Insert(AsciiUpper(Utf8ToUtf16(key)), entry);
        } else if (a == "--setting") {
            const char* v = value();
            std::string_view path, val, section, name;
            if (!v || !SplitAt(v, '=', path, val) || !SplitAt(path, '/', section, name, /*last=*/true))
                return Fail("--setting needs SECTION/NAME=VALUE");
            settings.WriteString(Utf8ToUtf16(section), Utf8ToUtf16(name), Utf8ToUtf16(val));
        } else if (a == "--window") {
            const char* v = value();
            if (!v) return Fail("--window needs a class name");
            windows.SetForeground(0x2000, Utf8ToUtf16(v));
        } else if (a.size() > 1 && a[0] == '-') {
            return Fail("unknown option " + std::string(a));
        } else if (!file) {
            file = argv[i];
        } else {
            return Fail("only one input file");
        }
    }

    std::ifstream in;
    if (file) {
        in.open(file, std::ios::binary);
        if (!in) return Fail(std::string("cannot open ") + file);
    }
    std::istream& input = file ? in : std::cin;

    EventLog log;
    log.onLine = [](const std::string& l) { std::fwrite(l.data(), 1, l.size(), stdout); std::fputc('\n', stdout); };
    FakeClock clock;
    ReplayOutput output(log, clock, windows);
    RecordingMacros macros(log);
    RecordingAutoComplete autoComplete;
    RecordingApp app(log);
    RecordingTrace trace(log);
    HotkeyConfig hotkeys;
    hotkeys.LoadFrom(settings);
    Expander expander({settings, windows, clock, output, macros, autoComplete, app, hotkeys, &trace});
    expander.SetStores(local, shared);
    expander.LoadSwitches();

    std::string line;
    int lineNo = 0;
    while (std::getline(input, line)) {
        ++lineNo;
        std::vector<ScriptStep> steps;
        std::string error;
        if (!ParseScriptLine(line, steps, error)) {
            std::fflush(stdout);
            std::fprintf(stderr, "kxtool replay: line %d: %s\n", lineNo, error.c_str());
            return 2;
        }
        for (const ScriptStep& s : steps) {
            if (s.kind == ScriptStep::Sleep) clock.Advance(s.sleepMs);
            else expander.OnKeyEvent(s.event);
        }
    }
    log.lines.clear();
    return 0;
}

}  // namespace kx
