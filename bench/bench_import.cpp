// Moving in from another expander: an espanso match folder of 10,000 matches
// (100 files, one of them pulled in through "imports") and a Beeftext
// comboList.json of 10,000 combos, each previewed, and previewed and applied
// to a new group whose file is written. Goals: preview under 1 s, import
// under 2 s.
//
//   build/native/bench/kx_bench --benchmark_filter=Import --benchmark_min_time=1
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/text.h"
#include "core/database_io.h"
#include "core/import/import.h"

namespace kx {
namespace {

constexpr int kShortcuts = 10000;

std::filesystem::path Scratch(const char* name) {
    const std::filesystem::path p = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(p);
    std::filesystem::create_directories(p);
    return p;
}

std::string Expansion(int i) {
    return "Dear customer " + std::to_string(i) + ",\\nthank you for your message about order " +
           std::to_string(i * 7) + ". We will get back to you within two working days.";
}

// 100 files of 100 matches; base.yml imports the "_" file, which the walk
// would otherwise pass over. Every tenth match has a date variable.
const std::filesystem::path& EspansoFolder() {
    static const std::filesystem::path root = [] {
        const std::filesystem::path r = Scratch("kx-bench-espanso");
        std::filesystem::create_directories(r / "match" / "packages" / "p");
        for (int f = 0; f < 100; ++f) {
            const std::filesystem::path file = f == 0    ? r / "match" / "base.yml"
                                               : f == 1  ? r / "match" / "_imported.yml"
                                               : f < 50  ? r / "match" / ("m" + std::to_string(f) + ".yml")
                                                         : r / "match" / "packages" / "p" / ("p" + std::to_string(f) + ".yml");
            std::ofstream out(file, std::ios::binary);
            if (f == 0) out << "imports:\n  - \"_imported.yml\"\n";
            out << "matches:\n";
            for (int m = 0; m < 100; ++m) {
                const int i = f * 100 + m;
                out << "  - trigger: \":k" << i << "\"\n    replace: \"" << Expansion(i);
                if (i % 10 == 0) out << " {{today}}\"\n    vars:\n      - name: today\n        type: date\n        params:\n          format: \"%Y-%m-%d\"\n";
                else out << "\"\n";
            }
        }
        return r;
    }();
    return root;
}

const std::filesystem::path& BeeftextFile() {
    static const std::filesystem::path file = [] {
        const std::filesystem::path f = Scratch("kx-bench-beeftext") / "comboList.json";
        std::ofstream out(f, std::ios::binary);
        out << "{\"fileFormatVersion\": 10, \"groups\": [{\"uuid\": \"{g}\", \"name\": \"Work\", \"enabled\": true}],\n"
               " \"combos\": [\n";
        for (int i = 0; i < kShortcuts; ++i) {
            out << (i ? ",\n" : "") << "  {\"uuid\": \"{c" << i << "}\", \"name\": \"Combo " << i << "\", \"keyword\": \";k" << i
                << "\", \"snippet\": \"" << Expansion(i) << (i % 10 == 0 ? " #{clipboard}" : "")
                << "\", \"group\": \"{g}\", \"enabled\": true, \"matchingMode\": 0, \"caseSensitivity\": 0,"
                   " \"creationDateTime\": \"2026-12-01T10:00:00.000\", \"modificationDateTime\": \"2026-12-01T10:00:00.000\"}";
        }
        out << "\n]}\n";
        return f;
    }();
    return file;
}

std::u16string SourcePath(ImportSource source) {
    return (source == ImportSource::Espanso ? EspansoFolder() : BeeftextFile()).u16string();
}

void ImportPreviewOnly(benchmark::State& state, ImportSource source) {
    const std::u16string path = SourcePath(source);
    ImportEnvironment env;
    env.now = LocalTime{2026, 12, 7, 12, 0, 0};
    size_t items = 0;
    for (auto _ : state) {
        ImportPreview p = PreviewImport(source, path, env);
        items = p.items.size();
        benchmark::DoNotOptimize(p);
    }
    if (items != size_t(kShortcuts)) state.SkipWithError("not every shortcut was read");
    state.counters["shortcuts"] = double(items);
}

// Preview, then the shortcuts added to a new store under the editors' rule
// and the group's file written, as the dialog's Import does.
void ImportAndSave(benchmark::State& state, ImportSource source) {
    const std::u16string path = SourcePath(source);
    const std::u16string file = (Scratch("kx-bench-import-out") / "g_abbrev.dat").u16string();
    const DatabaseIo io = SystemDatabaseIo();
    ImportEnvironment env;
    env.now = LocalTime{2026, 12, 7, 12, 0, 0};
    size_t stored = 0;
    for (auto _ : state) {
        ImportPreview p = PreviewImport(source, path, env);
        StoreRef store = ShortcutStore::Create();
        ApplyImport(*store, p, ImportConflict::Skip);
        if (!ShortcutStore::Save(*store, file, io)) state.SkipWithError("the group's file was not written");
        stored = store->Size();
    }
    if (stored != size_t(kShortcuts)) state.SkipWithError("not every shortcut was stored");
}

BENCHMARK_CAPTURE(ImportPreviewOnly, Espanso, ImportSource::Espanso)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ImportPreviewOnly, Beeftext, ImportSource::Beeftext)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ImportAndSave, Espanso, ImportSource::Espanso)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ImportAndSave, Beeftext, ImportSource::Beeftext)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kx
