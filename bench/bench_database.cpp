// Loading and saving shortcut databases of 1,000, 100,000 and 1,000,000
// shortcuts (keywords of 3 to 12 characters, expansions of 20 to 2,000),
// against floors measured in the same run:
//   load: reading the file's bytes and decoding its strings from UTF-8;
//   save: writing the same bytes to a file and flushing it to the disk
//         (SaveFloor), and the same with the zero padding left to the file
//         system rather than written (SaveFloorSparse, the stricter one).
//
//   build/perf-bench/bench/kx_bench --benchmark_filter=Database --benchmark_min_time=1
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/database_format.h"
#include "core/database_io.h"
#include "base/text.h"

#include <fcntl.h>
#include <unistd.h>

namespace kx {
namespace {

// Mostly ASCII text with an occasional accented letter or euro sign.
std::u16string RandomText(std::mt19937& rng, size_t length) {
    static constexpr char16_t kExtra[] = {u'\u00e9', u'\u00fc', u'\u20ac', u'\u00c5'};
    std::uniform_int_distribution<int> pick(0, 99);
    std::u16string s(length, u' ');
    for (auto& c : s) {
        int v = pick(rng);
        c = v < 2 ? kExtra[v * 2 + (pick(rng) & 1)] : v < 17 ? u' ' : char16_t(u'a' + v % 26);
    }
    return s;
}

StoreRef MakeStore(size_t shortcuts) {
    std::mt19937 rng(20240601);
    std::uniform_int_distribution<size_t> keyLength(3, 12), textLength(20, 2000);
    std::uniform_int_distribution<int> letter(0, 35);
    auto store = ShortcutStore::Create();
    while (store->Size() < shortcuts) {
        std::u16string keyword(keyLength(rng), u'A');
        for (auto& c : keyword) {
            int v = letter(rng);
            c = v < 26 ? char16_t(u'A' + v) : char16_t(u'0' + v - 26);
        }
        store->Insert(keyword, ShortcutEntry::Make(ShortcutKind::SimpleText, RandomText(rng, textLength(rng))));
    }
    return store;
}

std::u16string BenchPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).u16string();
}

std::vector<uint8_t> ReadFileBytes(const std::u16string& path) {
    std::vector<uint8_t> bytes(std::filesystem::file_size(std::filesystem::path(path)));
    FILE* f = std::fopen(std::filesystem::path(path).string().c_str(), "rb");
    if (!f || std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) bytes.clear();
    if (f) std::fclose(f);
    return bytes;
}

std::u16string PreparedPath(size_t shortcuts) {
    return BenchPath(("kx_bench_load_" + std::to_string(shortcuts) + ".dat").c_str());
}

// A saved file of `shortcuts` shortcuts, made once for the benchmarks of that
// size; the store is released before timing.
std::u16string PrepareFile(size_t shortcuts) {
    const std::u16string path = PreparedPath(shortcuts);
    if (!std::filesystem::exists(std::filesystem::path(path))) {
        auto store = MakeStore(shortcuts);
        ShortcutStore::Save(*store, path, SystemDatabaseIo());
    }
    return path;
}

void BM_DatabaseLoad(benchmark::State& state) {
    const std::u16string path = PrepareFile(size_t(state.range(0)));
    DatabaseIo io = SystemDatabaseIo();
    for (auto _ : state) {
        auto store = ShortcutStore::Create();
        uint32_t count = 0;
        if (ShortcutStore::Load(*store, path, false, count, io) != LoadOk) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(count);
        state.PauseTiming();
        store.reset();  // freeing a million entries is not part of loading
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(std::filesystem::path(path))));
}

void BM_DatabaseLoadFloor(benchmark::State& state) {
    const std::u16string path = PrepareFile(size_t(state.range(0)));
    for (auto _ : state) {
        std::vector<uint8_t> bytes = ReadFileBytes(path);
        std::vector<std::u16string> strings;
        RecordScanner scanner(bytes.data(), bytes.size(), ReadFileHeader(bytes.data()).recordCount);
        RawRecord rec;
        while (scanner.Next(rec) == ScanStep::Record) {
            strings.push_back(Utf8ToUtf16(rec.keyword));
            strings.push_back(Utf8ToUtf16(rec.plain));
        }
        benchmark::DoNotOptimize(strings.data());
        state.PauseTiming();
        strings = {};
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(std::filesystem::path(path))));
}

void BM_DatabaseSave(benchmark::State& state) {
    auto store = MakeStore(size_t(state.range(0)));
    const std::u16string path = BenchPath("kx_bench_save.dat");
    DatabaseIo io = SystemDatabaseIo();
    for (auto _ : state)
        if (!ShortcutStore::Save(*store, path, io)) state.SkipWithError("save failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(std::filesystem::path(path))));
    std::filesystem::remove(std::filesystem::path(path));
}

void BM_DatabaseSaveFloor(benchmark::State& state) {
    const std::vector<uint8_t> bytes = ReadFileBytes(PrepareFile(size_t(state.range(0))));
    const std::string path = std::filesystem::path(BenchPath("kx_bench_save_floor.dat")).string();
    for (auto _ : state) {
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        bool ok = fd >= 0 && write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size()) && fsync(fd) == 0;
        if (fd >= 0) close(fd);
        if (!ok) state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
    std::filesystem::remove(path);
    // The last benchmark to use the prepared file of this size.
    std::filesystem::remove(std::filesystem::path(PreparedPath(size_t(state.range(0)))));
}

// A stricter save floor: the same file, but its zero padding is left to the
// file system (extended with ftruncate) instead of written, as the writer
// does for a file it creates.
void BM_DatabaseSaveFloorSparse(benchmark::State& state) {
    const std::vector<uint8_t> bytes = ReadFileBytes(PrepareFile(size_t(state.range(0))));
    size_t used = bytes.size();
    while (used > 0 && bytes[used - 1] == 0) --used;
    const std::string path = std::filesystem::path(BenchPath("kx_bench_save_floor.dat")).string();
    for (auto _ : state) {
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        bool ok = fd >= 0 && write(fd, bytes.data(), used) == ssize_t(used) &&
                  ftruncate(fd, off_t(bytes.size())) == 0 && fsync(fd) == 0;
        if (fd >= 0) close(fd);
        if (!ok) state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
    std::filesystem::remove(path);
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_DatabaseLoad)->Apply(Sizes);
BENCHMARK(BM_DatabaseLoadFloor)->Apply(Sizes);
BENCHMARK(BM_DatabaseSave)->Apply(Sizes);
BENCHMARK(BM_DatabaseSaveFloorSparse)->Apply(Sizes);
BENCHMARK(BM_DatabaseSaveFloor)->Apply(Sizes);

}  // namespace
}  // namespace kx
