// Any byte string as a run of WM_COPYDATA records from a hook module: each
// record passes the checks of the program's message window or is refused,
// and what passes goes through the matcher of a quiet engine (recording
// output, no Windows). Nothing may crash or trip a sanitizer.
//
// An input is a run of records, each written as
//   type (1 byte; bit 7 set: the descriptor has no data pointer),
//   size (1 byte), then up to that many data bytes (fewer at the end).
// Every record's data sits in a heap block of exactly its size, so the
// address sanitizer reports any read past it. The seeds in
// fuzz/corpus/copydata_record type keywords, combinations and discards.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "engine/fake/recording_ports.h"
#include "engine/hooklink/expander_sink.h"
#include "engine/hooklink/hook_record.h"
#include "engine/matcher/expander.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_windows.h"
#include "platform/fake/memory_registry.h"
#include "settings/settings_store.h"
#include "settings/settings_table.h"

namespace {

struct QuietEngine {
    kx::MemoryRegistry registry;
    kx::SettingsStore settings{registry};
    kx::FakeWindows windows;
    kx::FakeClock clock;
    kx::EventLog log;
    kx::RecordingOutput output{log};
    kx::RecordingMacros macros{log};
    kx::RecordingAutoComplete autoComplete;
    kx::RecordingApp app{log};
    kx::HotkeyConfig hotkeys;
    kx::StoreRef local = kx::ShortcutStore::Create();
    kx::StoreRef shared = kx::ShortcutStore::Create();
    kx::Expander expander{{settings, windows, clock, output, macros, autoComplete, app, hotkeys, nullptr}};
    kx::ExpanderSink sink{expander, app};

    QuietEngine() {
        // The rules that make the most of a key stream: casing, the double
        // space, both hotkeys, a keyword, a combination and a shared store.
        settings.WriteBool(kx::settings::ExpansionCasing, true);
        settings.WriteBool(kx::settings::DoubleSpace, true);
        settings.WriteBool(kx::settings::ToggleExpansions, true);
        settings.WriteBool(kx::settings::ToggleAutoComplete, true);
        local->Insert(u"SIG", kx::ShortcutEntry::Make(kx::ShortcutKind::SimpleText, u"Kind regards"));
        local->Insert(u"CTRL+ALT+M", kx::ShortcutEntry::Make(kx::ShortcutKind::Macro, u"kbrd_input(x)"));
        shared->Insert(u"TY", kx::ShortcutEntry::Make(kx::ShortcutKind::RichText, u"thanks"));
        expander.SetStores(local, shared);
        expander.LoadSwitches();
        hotkeys.LoadFrom(settings);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QuietEngine engine;
    size_t at = 0;
    while (at + 2 <= size) {
        const uintptr_t type = data[at] & 0x7F;
        const bool noData = data[at] & 0x80;
        size_t length = data[at + 1];
        at += 2;
        if (length > size - at) length = size - at;
        std::unique_ptr<uint8_t[]> block(new uint8_t[length ? length : 1]);
        if (length) std::memcpy(block.get(), data + at, length);
        at += length;
        const kx::HookRecord record = kx::ParseHookRecord(type, noData ? nullptr : block.get(), length);
        kx::DeliverHookRecord(record, engine.sink);
        engine.clock.Advance(7);
        if (engine.log.lines.size() > 4096) engine.log.Clear();
    }
    return 0;
}
