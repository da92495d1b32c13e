// The phrase dictionary's costs: what learning adds to each typed character
// on the keystroke thread, and, on a dictionary at the 100 MiB cap built from
// generated phrases, one completion search and the load and save of its
// "acdata.txt" against reading and writing the same bytes.
//
//   build/bench/bench/kx_bench --benchmark_filter='Learning|Keystroke|Completion|Acdata|RawFile'
//   build/bench/bench/kx_bench --benchmark_filter='AcdataPaced'
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/text.h"
#include "engine/matcher/expander.h"
#include "learn/acdata_sample.h"
#include "learn/autocomplete_feed.h"
#include "learn/phrase_dictionary.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_windows.h"
#include "platform/fake/memory_registry.h"
#include "settings/settings_store.h"

namespace kx {
namespace {

struct QuietOutput final : ExpansionOutput {
    int ExpandShortcut(EngineState&, const ExpandRequest&) override { return 11; }
    bool SendBackspaces(unsigned) override { return true; }
    bool SendDoubleSpaceFix() override { return true; }
};
struct QuietMacros final : MacroLauncher {
    bool AnyRunning() override { return false; }
    MacroStart Launch(const ShortcutEntry&, MacroRights) override { return {}; }
};
// The engine's port with nothing behind it: learning off.
struct NoLearning final : AutoCompleteLink {
    void TrackEdit(const KeyEvent&) override {}
    void FeedKey(const KeyEvent&) override {}
    void CancelDoubleCtrl() override {}
    bool LearningAvailable() override { return false; }
    bool IsAutoCompleteWindow(WindowHandle) override { return false; }
};
struct QuietApp final : AppLink {
    void PostNotice(int, intptr_t) override {}
    void ShowBalloon(const std::u16string&, const std::u16string&, unsigned) override {}
    void SetTrayIcon(int) override {}
    void RefreshOnOffTexts() override {}
    void RefreshAutoCompleteState() override {}
};

KeyEvent Press(char16_t ch) {
    KeyEvent e;
    e.vk = ch >= u'a' && ch <= u'z' ? uint32_t(ch - u'a' + 'A') : uint32_t(ch);
    e.ch = ch;
    e.isDown = 1;
    return e;
}

// The keystroke thread's whole event, learning off and on, in one run. With
// learning on, both dictionaries run their workers as in the program.
void BM_KeystrokeCost(benchmark::State& state) {
    const bool learning = state.range(0) != 0;
    MemoryRegistry registry;
    SettingsStore settings{registry};
    FakeWindows windows;
    FakeClock clock;
    QuietOutput output;
    QuietMacros macros;
    QuietApp app;
    HotkeyConfig hotkeys;
    DictionaryOptions options = ReadDictionaryOptions(settings, 0x80000000ull);
    PhraseDictionary dictionary(options), shortcutText(options);
    shortcutText.SetLearningEnabled(false);
    NoLearning off;
    AutoCompleteFeed on(&dictionary, &shortcutText, windows);
    AutoCompleteLink& port = learning ? static_cast<AutoCompleteLink&>(on) : off;
    Expander expander{{settings, windows, clock, output, macros, port, app, hotkeys, nullptr}};
    expander.SetStores(ShortcutStore::Create(), ShortcutStore::Create());
    const std::u16string text = u"thank you very much for the letter\n";
    std::vector<KeyEvent> keys;
    for (char16_t c : text) keys.push_back(Press(c));
    for (auto _ : state)
        for (const KeyEvent& k : keys) expander.OnKeyEvent(k);
    state.counters["ns_per_char"] = benchmark::Counter(double(state.iterations()) * double(keys.size()),
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_KeystrokeCost)->ArgName("learning")->Arg(0)->Arg(1);

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

DictionaryOptions Quiet() {
    DictionaryOptions o;
    o.startWorkers = false;
    o.totalVirtual = 0x7FFFFFFE0000ull;
    return o;
}

// One dictionary at the cap for the benchmarks below, and its file.
struct AtCap {
    std::unique_ptr<PhraseDictionary> d;
    std::string path = "/tmp/kx_bench_acdata.txt";
    long builtKiB = 0;
    AtCap() {
        const long before = ResidentKiB();
        d = std::make_unique<PhraseDictionary>(Quiet());
        FillToMemoryLimit(*d);
        builtKiB = ResidentKiB() - before;
        d->LoadFile(u"/nonexistent/acdata.txt");  // marks it loaded: nothing to read
        std::remove(path.c_str());
        d->Save(Utf8ToUtf16(path));
    }
    static AtCap& Get() {
        static AtCap cap;
        return cap;
    }
};

void Type(PhraseDictionary& d, std::u16string_view text) {
    for (char16_t u : text) d.FeedTypedUnit(u);
    d.TypingLearnerPass();
}

void BM_CompletionSearchAtCap(benchmark::State& state) {
    AtCap& cap = AtCap::Get();
    PhraseDictionary& d = *cap.d;
    Type(d, u"\nplease find the attached report for the t");
    for (auto _ : state) {
        Type(d, u"h");
        d.SearchPass();
        Type(d, u"\b");
        d.SearchPass();
    }
    state.counters["searches"] = double(state.iterations()) * 2;
    state.counters["ms_per_search"] = benchmark::Counter(double(state.iterations()) * 2 * 1000,
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["phrases"] = d.PhraseCount();
    state.counters["memoryUsed_MiB"] = double(d.MemoryUsed()) / 1048576.0;
    state.counters["resident_MiB"] = double(cap.builtKiB) / 1024.0;
}
BENCHMARK(BM_CompletionSearchAtCap)->Unit(benchmark::kMillisecond);

void BM_AcdataLoadAtCap(benchmark::State& state) {
    AtCap& cap = AtCap::Get();
    std::ifstream size(cap.path, std::ios::binary | std::ios::ate);
    for (auto _ : state) {
        auto d = std::make_unique<PhraseDictionary>(Quiet());
        d->LoadFile(Utf8ToUtf16(cap.path));
        benchmark::DoNotOptimize(d->PhraseCount());
        state.PauseTiming();  // freeing the trie is not loading
        d.reset();
        state.ResumeTiming();
    }
    state.counters["file_MiB"] = double(size.tellg()) / 1048576.0;
}

// The load as the program runs it at start: the loader worker gives way
// after each slice of work while the learners and the searcher poll. Wall
// time until the dictionary reports itself loaded, how often the loader gave
// way (on Windows each give-way lasts up to a 15.6 ms tick, on Linux and
// under Wine about 1 ms), and the longest that another caller, asking every
// 2 ms, waited for the dictionary's lock meanwhile.
void BM_AcdataPacedLoadAtCap(benchmark::State& state) {
    using namespace std::chrono;
    AtCap& cap = AtCap::Get();
    double longestWait = 0, giveWays = 0, phrases = 0;
    for (auto _ : state) {
        DictionaryOptions o = Quiet();
        o.startWorkers = true;
        auto d = std::make_unique<PhraseDictionary>(o);
        LoadReport report;
        std::atomic<bool> done{false};
        d->SetLoadedNotice([&](const LoadReport& r) {
            report = r;
            done = true;
        });
        const auto start = steady_clock::now();
        d->StartLoading(Utf8ToUtf16(cap.path));
        while (!done) {
            const auto asked = steady_clock::now();
            benchmark::DoNotOptimize(d->MemoryUsed());
            longestWait = std::max(longestWait, duration<double, std::milli>(steady_clock::now() - asked).count());
            std::this_thread::sleep_for(milliseconds(2));
        }
        state.SetIterationTime(duration<double>(steady_clock::now() - start).count());
        giveWays = report.giveWays;
        phrases = report.phrases;
    }
    state.counters["phrases"] = phrases;
    state.counters["give_ways"] = giveWays;
    state.counters["longest_lock_wait_ms"] = longestWait;
}

// The dictionary as built above: every phrase learned in random order, so
// the save's walk visits nodes scattered over the whole pool.
void BM_AcdataSaveAtCap(benchmark::State& state) {
    AtCap& cap = AtCap::Get();
    const std::u16string out = u"/tmp/kx_bench_acdataTEMP.txt";
    for (auto _ : state) {
        std::remove("/tmp/kx_bench_acdataTEMP.txt");
        benchmark::DoNotOptimize(cap.d->Save(out));
    }
}

// The program's case at exit: the dictionary was loaded from the file at
// start, so its nodes lie in the pool in the order the walk visits them.
void BM_AcdataSaveAfterLoad(benchmark::State& state) {
    AtCap& cap = AtCap::Get();
    auto d = std::make_unique<PhraseDictionary>(Quiet());
    d->LoadFile(Utf8ToUtf16(cap.path));
    const std::u16string out = u"/tmp/kx_bench_acdataTEMP.txt";
    for (auto _ : state) {
        std::remove("/tmp/kx_bench_acdataTEMP.txt");
        benchmark::DoNotOptimize(d->Save(out));
    }
    state.counters["phrases"] = d->PhraseCount();
}

// Reading and writing the same bytes through the same 16 MiB buffer size.
// The load above calls LoadFile without giving way, as the paced load at
// start does after each slice.
void BM_RawFileRead(benchmark::State& state) {
    AtCap& cap = AtCap::Get();
    std::vector<char> buffer(16777215);
    for (auto _ : state) {
        std::FILE* f = std::fopen(cap.path.c_str(), "rb");
        size_t total = 0, got = 0;
        while ((got = std::fread(buffer.data(), 1, buffer.size(), f)) > 0) total += got;
        std::fclose(f);
        benchmark::DoNotOptimize(total);
    }
}

void BM_RawFileWrite(benchmark::State& state) {
    AtCap& cap = AtCap::Get();
    std::ifstream in(cap.path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (auto _ : state) {
        std::remove("/tmp/kx_bench_raw.txt");
        std::FILE* f = std::fopen("/tmp/kx_bench_raw.txt", "wb");
        for (size_t at = 0; at < bytes.size(); at += 16777215)
            std::fwrite(bytes.data() + at, 1, std::min<size_t>(16777215, bytes.size() - at), f);
        std::fclose(f);
    }
}

BENCHMARK(BM_AcdataLoadAtCap)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AcdataPacedLoadAtCap)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_RawFileRead)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AcdataSaveAtCap)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AcdataSaveAfterLoad)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RawFileWrite)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace kx
