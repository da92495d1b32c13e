// The matcher's cost per key event, against a bare std::map lookup of the
// same keyword in a map of the same size, measured in the same run.
//
//   build/native/bench/kx_bench --benchmark_filter=Matcher
#include <benchmark/benchmark.h>

#include <map>
#include <random>

#include "settings/settings_store.h"
#include "engine/matcher/expander.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_windows.h"
#include "platform/fake/memory_registry.h"

namespace kx {
namespace {

// Stand-ins that do nothing, so only the matcher is measured.
struct QuietOutput final : ExpansionOutput {
    int ExpandShortcut(EngineState&, const ExpandRequest&) override { return 11; }
    bool SendBackspaces(unsigned) override { return true; }
    bool SendDoubleSpaceFix() override { return true; }
};
struct QuietMacros final : MacroLauncher {
    bool AnyRunning() override { return false; }
    MacroStart Launch(const ShortcutEntry&, MacroRights) override { return {}; }
};
struct QuietAutoComplete final : AutoCompleteLink {
    void TrackEdit(const KeyEvent&) override {}
    void FeedKey(const KeyEvent&) override {}
    void CancelDoubleCtrl() override {}
    bool LearningAvailable() override { return true; }
    bool IsAutoCompleteWindow(WindowHandle) override { return false; }
};
struct QuietApp final : AppLink {
    void PostNotice(int, intptr_t) override {}
    void ShowBalloon(const std::u16string&, const std::u16string&, unsigned) override {}
    void SetTrayIcon(int) override {}
    void RefreshOnOffTexts() override {}
    void RefreshAutoCompleteState() override {}
};

// Keywords of 3 to 12 capitals, and the one the benchmarks type.
std::vector<std::u16string> Keywords(size_t n) {
    std::mt19937 rng(42);
    std::vector<std::u16string> out;
    out.reserve(n);
    for (size_t i = 0; i + 1 < n; ++i) {
        std::u16string k(3 + rng() % 10, u'A');
        for (auto& c : k) c = char16_t(u'A' + rng() % 26);
        out.push_back(std::move(k));
    }
    out.push_back(u"SIGN");
    return out;
}

struct Bench {
    MemoryRegistry registry;
    SettingsStore settings{registry};
    FakeWindows windows;
    FakeClock clock;
    QuietOutput output;
    QuietMacros macros;
    QuietAutoComplete autoComplete;
    QuietApp app;
    HotkeyConfig hotkeys;
    Expander expander{{settings, windows, clock, output, macros, autoComplete, app, hotkeys, nullptr}};
    StoreRef store = ShortcutStore::Create();

    explicit Bench(size_t n) {
        auto entry = ShortcutEntry::Make(ShortcutKind::SimpleText, u"expansion");
        for (const auto& k : Keywords(n)) store->Insert(k, entry);
        expander.SetStores(store, ShortcutStore::Create());
        // A realistic profile: shared shortcuts on, as on a managed desk.
        settings.WriteBool(settings::SharedEnabled, true);
    }
};

KeyEvent Press(uint32_t vk, char16_t ch) {
    KeyEvent e;
    e.vk = vk;
    e.ch = ch;
    e.isDown = 1;
    return e;
}

void BM_MatcherWordCharacter(benchmark::State& state) {
    Bench b(size_t(state.range(0)));
    const KeyEvent letter = Press(0x41, u'a');
    for (auto _ : state) {
        // Eight letters make a word; then the word is dropped so the buffer
        // stays the size of a real word.
        for (int i = 0; i < 8; ++i) b.expander.OnKeyEvent(letter);
        b.expander.State().typed.clear();
    }
    state.SetItemsProcessed(state.iterations() * 8);
    state.counters["ns_per_char"] =
        benchmark::Counter(double(state.iterations()) * 8, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_MatcherDelimiterHit(benchmark::State& state) {
    Bench b(size_t(state.range(0)));
    const KeyEvent space = Press(0x20, u' ');
    EngineState& s = b.expander.State();
    for (auto _ : state) {
        s.typed = u"SIGN";  // the word as the letters left it
        s.breakCount = 0;
        b.expander.OnKeyEvent(space);
    }
}

void BM_BareMapLookup(benchmark::State& state) {
    std::map<std::u16string, int> map;
    for (const auto& k : Keywords(size_t(state.range(0)))) map.emplace(k, 1);
    const std::u16string key = u"SIGN";
    for (auto _ : state) {
        auto it = map.find(key);
        benchmark::DoNotOptimize(it);
    }
}

BENCHMARK(BM_MatcherWordCharacter)->Arg(10)->Arg(10000)->Arg(1000000);
BENCHMARK(BM_MatcherDelimiterHit)->Arg(10)->Arg(10000)->Arg(1000000);
BENCHMARK(BM_BareMapLookup)->Arg(10)->Arg(10000)->Arg(1000000);

}  // namespace
}  // namespace kx
