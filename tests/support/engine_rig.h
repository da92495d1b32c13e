// An Expander wired to recording stand-ins, with an in-memory registry and a
// clock that moves only when told, for driving the matcher key by key.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/settings_store.h"
#include "engine/fake/recording_ports.h"
#include "engine/matcher/expander.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_programs.h"
#include "platform/fake/fake_windows.h"
#include "platform/fake/memory_registry.h"
#include "tools/kxtool/key_script.h"

namespace kx::test {

struct EngineRig {
    MemoryRegistry registry;
    SettingsStore settings{registry};
    FakeWindows windows;
    FakePrograms programs;
    FakeClock clock;
    EventLog log;
    RecordingOutput output{log};
    RecordingMacros macros{log};
    RecordingAutoComplete autoComplete;
    RecordingApp app{log};
    RecordingTrace trace{log};
    HotkeyConfig hotkeys;
    StoreRef local = ShortcutStore::Create();
    StoreRef shared = ShortcutStore::Create();
    Expander expander{{settings, windows, clock, output, macros, autoComplete, app, hotkeys, &trace, &programs}};

    EngineRig() { expander.SetStores(local, shared); }

    void Add(const char16_t* key, const char16_t* text, StoreRef* store = nullptr,
             ShortcutKind kind = ShortcutKind::SimpleText) {
        (store ? *store : local)->Insert(key, ShortcutEntry::Make(kind, text));
    }
    // Switches these settings on and applies them, as the application does
    // after the Options window.
    void SwitchOn(std::initializer_list<SettingDef> flags) {
        for (const SettingDef& f : flags) settings.WriteBool(f, true);
        expander.LoadSwitches();
        hotkeys.LoadFrom(settings);
    }
    // Runs a key script (see kxtool replay), one instruction per line.
    void Run(const std::string& script) {
        size_t start = 0;
        while (start <= script.size()) {
            size_t end = script.find('\n', start);
            if (end == std::string::npos) end = script.size();
            std::vector<ScriptStep> steps;
            std::string error;
            ASSERT_TRUE(ParseScriptLine(script.substr(start, end - start), steps, error)) << error;
            for (const auto& s : steps) {
                if (s.kind == ScriptStep::Sleep) clock.Advance(s.sleepMs);
                else expander.OnKeyEvent(s.event);
            }
            start = end + 1;
        }
    }
    std::vector<std::string> Lines(const std::string& prefix) const { return log.With(prefix); }
};

}  // namespace kx::test
