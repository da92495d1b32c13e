// The phrase dictionary's costs: what learning adds to each typed character
// on the keystroke thread, and, on a dictionary at the 100 MiB cap built from
// generated phrases, one completion search and the load and save of its
// "acdata.txt" against reading and writing the same bytes.
//
//   build/bench/bench/kx_bench --benchmark_filter='Learning|Keystroke|Completion|Acdata|RawFile'
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/text.h"
#include "engine/matcher/expander.h"
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
    bool Launch(const ShortcutEntry&) override { return false; }
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

// Phrases of two to eight words drawn from a vocabulary with Zipf-like
// frequencies, as typed text repeats its common words.
const char* const kWords[] = {
    "the", "be", "to", "of", "and", "a", "in", "that", "have", "I", "it", "for", "not", "on", "with", "he", "as",
    "you", "do", "at", "this", "but", "his", "by", "from", "they", "we", "say", "her", "she", "or", "an", "will",
    "my", "one", "all", "would", "there", "their", "what", "so", "up", "out", "if", "about", "who", "get", "which",
    "go", "me", "when", "make", "can", "like", "time", "no", "just", "him", "know", "take", "people", "into",
    "year", "your", "good", "some", "could", "them", "see", "other", "than", "then", "now", "look", "only", "come",
    "its", "over", "think", "also", "back", "after", "use", "two", "how", "our", "work", "first", "well", "way",
    "even", "new", "want", "because", "any", "these", "give", "day", "most", "us", "meeting", "thanks", "regards",
    "please", "attached", "report", "project", "customer", "invoice", "schedule", "tomorrow", "morning",
    "afternoon", "colleagues", "question", "answer", "soon", "order", "delivery", "price", "contract", "review",
    "update", "office", "team", "manager", "weekend", "holiday", "document", "version", "release", "budget",
    "quarter", "figures", "sales", "support", "service", "account", "payment", "address", "number", "email",
    "letter", "phone", "call", "week", "month", "details", "information", "request", "approval", "change"};

std::vector<std::u16string> GeneratedPhrases(size_t count, uint32_t seed) {
    const size_t n = sizeof kWords / sizeof kWords[0];
    std::vector<double> weights(n);
    for (size_t k = 0; k < n; ++k) weights[k] = 1.0 / double(k + 1);
    std::mt19937 rng(seed);
    std::discrete_distribution<size_t> word(weights.begin(), weights.end());
    std::uniform_int_distribution<int> length(2, 8);
    std::vector<std::u16string> out;
    out.reserve(count);
    for (size_t k = 0; k < count; ++k) {
        std::string p;
        for (int w = length(rng); w > 0; --w) {
            if (!p.empty()) p += ' ';
            p += kWords[word(rng)];
        }
        if (rng() % 4 == 0) p += '.';
        out.push_back(Utf8ToUtf16(p));
    }
    return out;
}

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
        std::mt19937 rng(7);
        uint32_t seed = 1;
        while (d->MemoryUsed() < d->MemoryLimit()) {
            for (const std::u16string& p : GeneratedPhrases(10000, seed++))
                d->SetPhraseStats(p, rng() % 3, 0, 0, rng() % 50, 1);  // seen at counter 0: none is stale
        }
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
// The load is measured without the loader worker's 5 ms pause per line (it
// calls LoadFile with no pause), which the background load at start takes.
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
BENCHMARK(BM_RawFileRead)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AcdataSaveAtCap)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AcdataSaveAfterLoad)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RawFileWrite)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace kx
