// Recording stand-ins for what the matcher reaches outside itself. They write
// one line per call into an EventLog, in the order calls happen; the tests
// read the lines back and kxtool replay prints them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/matcher/engine_ports.h"

namespace kx {

class EventLog {
public:
    void Add(std::string line) {
        if (onLine) onLine(line);
        lines.push_back(std::move(line));
    }
    void Clear() { lines.clear(); }
    // Lines that begin with `prefix`.
    std::vector<std::string> With(const std::string& prefix) const;

    std::vector<std::string> lines;
    std::function<void(const std::string&)> onLine;
};

// "SIG", "U+0020" style renderings used in the log.
std::string LogText(std::u16string_view s);
std::string LogChar(char16_t c);

class RecordingOutput final : public ExpansionOutput {
public:
    explicit RecordingOutput(EventLog& log) : log_(log) {}
    int ExpandShortcut(EngineState& state, const ExpandRequest& r) override;
    bool SendBackspaces(unsigned n) override;
    bool SendDoubleSpaceFix() override;

    int result = 11;
    EntryRef last;  // the entry of the latest expansion, as handed over

private:
    EventLog& log_;
};

class RecordingMacros final : public MacroLauncher {
public:
    explicit RecordingMacros(EventLog& log) : log_(log) {}
    bool AnyRunning() override { return running; }
    MacroStart Launch(const ShortcutEntry& entry, MacroRights rights) override;
    void StopPlaying() override { ++stops; }

    bool running = false;
    int stops = 0;
    bool firstIsKeyboard = true;
    // Reported as left out whenever programs may not start.
    bool hasProgram = false;

private:
    EventLog& log_;
};

class RecordingAutoComplete final : public AutoCompleteLink {
public:
    void TrackEdit(const KeyEvent&) override {}
    void FeedKey(const KeyEvent&) override { ++fed; }
    void CancelDoubleCtrl() override {}
    bool LearningAvailable() override { return learningAvailable; }
    bool IsAutoCompleteWindow(WindowHandle w) override { return w != 0 && w == window; }

    bool learningAvailable = true;
    WindowHandle window = 0;
    int fed = 0;
};

class RecordingApp final : public AppLink {
public:
    explicit RecordingApp(EventLog& log) : log_(log) {}
    void PostNotice(int kind, intptr_t value) override;
    void ShowBalloon(const std::u16string& title, const std::u16string& text, unsigned ms) override;
    void SetTrayIcon(int iconResource) override;
    void RefreshOnOffTexts() override { ++menuRefreshes; }
    void RefreshAutoCompleteState() override { ++autoCompleteRefreshes; }

    int menuRefreshes = 0, autoCompleteRefreshes = 0;

private:
    EventLog& log_;
};

class RecordingTrace final : public LookupTrace {
public:
    explicit RecordingTrace(EventLog& log) : log_(log) {}
    void OnLookup(std::u16string_view key, bool hit) override;

private:
    EventLog& log_;
};

}  // namespace kx
