// The matcher's cost per key event, against a bare std::map lookup of the
// same keyword in a map of the same size, measured in the same run; and
// with 100 rules per program against none, also in the same run.
//
//   build/native/bench/kx_bench --benchmark_filter=Matcher
#include <benchmark/benchmark.h>

#include <map>
#include <random>

#include "settings/settings_store.h"
#include "engine/matcher/expander.h"
#include "core/program_rules.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_programs.h"
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
    FakePrograms programs;
    const bool withRules;
    Expander expander{{settings, windows, clock, output, macros, autoComplete, app, hotkeys, nullptr,
                       withRules ? &programs : nullptr}};
    StoreRef store = ShortcutStore::Create();

    // With `rules`, 100 rules per program, and the program in front has a
    // Type rule: every key still goes the whole way through the matcher.
    explicit Bench(size_t n, bool rules = false) : withRules(rules) {
        auto entry = ShortcutEntry::Make(ShortcutKind::SimpleText, u"expansion");
        for (const auto& k : Keywords(n)) store->Insert(k, entry);
        expander.SetStores(store, ShortcutStore::Create());
        // A realistic profile: shared shortcuts on, as on a managed desk.
        settings.WriteBool(settings::SharedEnabled, true);
        if (!rules) return;
        ProgramRuleStore ruleStore(registry, [](std::string_view) {});
        for (int i = 0; i < 100; ++i) {
            std::u16string name = u"program000.exe";
            name[7] = char16_t(u'0' + i / 100);
            name[8] = char16_t(u'0' + i / 10 % 10);
            name[9] = char16_t(u'0' + i % 10);
            ruleStore.Set(name, {i % 3 == 0 ? ProgramRuleKind::Chat : ProgramRuleKind::Off, 0});
        }
        ruleStore.Set(u"program050.exe", {ProgramRuleKind::Type, 0});
        programs.Set(windows.Foreground(), u"Program050.exe");
    }
};

KeyEvent Press(uint32_t vk, char16_t ch) {
    KeyEvent e;
    e.vk = vk;
    e.ch = ch;
    e.isDown = 1;
    return e;
}

// Arguments: shortcuts, and 1 for 100 rules per program.
void BM_MatcherWordCharacter(benchmark::State& state) {
    Bench b(size_t(state.range(0)), state.range(1) != 0);
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
    Bench b(size_t(state.range(0)), state.range(1) != 0);
    const KeyEvent space = Press(0x20, u' ');
    EngineState& s = b.expander.State();
    for (auto _ : state) {
        s.typed = u"SIGN";  // the word as the letters left it
        s.breakCount = 0;
        b.expander.OnKeyEvent(space);
    }
}

// A key typed into another window each time: the program is asked for and
// its rule looked up among the 100 (the rules are not read again: nothing
// was written).
void BM_MatcherForegroundChange(benchmark::State& state) {
    Bench b(10000, true);
    const WindowHandle first = b.windows.Foreground(), second = first + 1;
    b.programs.Set(second, u"program051.exe");
    b.windows.SetForeground(second, u"Edit");
    const KeyEvent letter = Press(0x41, u'a');
    bool flip = false;
    for (auto _ : state) {
        b.windows.SetForeground((flip = !flip) ? first : second, u"Edit");
        b.expander.OnKeyEvent(letter);
        b.expander.State().typed.clear();
    }
}

// Reading the 100 rules, as the matcher does once a write was reported.
void BM_ProgramRulesRead(benchmark::State& state) {
    Bench b(10, true);
    ProgramRuleStore store(b.registry);
    for (auto _ : state) benchmark::DoNotOptimize(store.Load());
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

BENCHMARK(BM_MatcherWordCharacter)->Args({10, 0})->Args({10000, 0})->Args({1000000, 0})->Args({10000, 1});
BENCHMARK(BM_MatcherDelimiterHit)->Args({10, 0})->Args({10000, 0})->Args({1000000, 0})->Args({10000, 1});
BENCHMARK(BM_MatcherForegroundChange);
BENCHMARK(BM_ProgramRulesRead);
BENCHMARK(BM_BareMapLookup)->Arg(10)->Arg(10000)->Arg(1000000);

}  // namespace
}  // namespace kx
