// One side of the two-process test of the shared shortcuts file:
//   shared_file_peer write <file> <seconds>  saves new versions over and over
//   shared_file_peer read <file> <seconds>   loads it over and over
//   shared_file_peer check <file> <version>  the file holds that version
//   shared_file_peer watch <file> <seconds> <changes>
//                                            the program's watcher sees each of
//                                            that many changes, within 1 s of
//                                            the change's write
// Every version has its own number of records, each of whose texts names the
// version, so a load that mixed two versions or saw a half-written file shows.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <set>
#include <string>

#include "core/database_io.h"
#include "core/shared_file_watch.h"
#include "core/shared_store.h"
#include "base/text.h"
#include "platform/file_system.h"

namespace kx {
namespace {

using Clock = std::chrono::steady_clock;

size_t RecordsOf(uint32_t version) { return 5 + (version * 7) % 60; }
// Every tenth version is big enough to double the file's first mapping size.
bool IsBig(uint32_t version) { return version % 10 == 0; }

std::u16string Keyword(size_t i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "K%04zu", i);
    return U16(buf);
}
std::u16string TextOf(uint32_t version, size_t i) { return U16("v" + std::to_string(version) + "/" + std::to_string(i)); }
std::u16string PasswordOf(uint32_t version) { return U16("pw" + std::to_string(version)); }

StoreRef Version(uint32_t version) {
    StoreRef s = ShortcutStore::Create();
    s->SetCarriesPassword(true);
    s->SetAdminPassword(PasswordOf(version));
    for (size_t i = 0; i < RecordsOf(version); ++i)
        s->Insert(Keyword(i), ShortcutEntry::Make(ShortcutKind::SimpleText, TextOf(version, i)));
    if (IsBig(version)) {
        std::u16string big(300000, u'x');
        big += TextOf(version, 9999);
        s->Insert(u"ZBIG", ShortcutEntry::Make(ShortcutKind::SimpleText, big));
    }
    return s;
}

// The version a loaded store holds, or 0 when it is not exactly one version.
uint32_t Consistent(const ShortcutStore& s) {
    EntryRef first;
    if (!s.Find(Keyword(0), first)) return 0;
    const std::string t = U8(first->plainText);
    if (t.size() < 2 || t[0] != 'v') return 0;
    const uint32_t v = uint32_t(std::stoul(t.substr(1)));
    if (v == 0) return 0;
    if (s.Size() != RecordsOf(v) + (IsBig(v) ? 1 : 0)) return 0;
    for (size_t i = 0; i < RecordsOf(v); ++i) {
        EntryRef e;
        if (!s.Find(Keyword(i), e) || e->plainText != TextOf(v, i)) return 0;
    }
    if (IsBig(v)) {
        EntryRef e;
        const std::u16string tail = TextOf(v, 9999);
        if (!s.Find(u"ZBIG", e) || e->plainText.size() != 300000 + tail.size() ||
            e->plainText.compare(300000, tail.size(), tail) != 0)
            return 0;
    }
    std::u16string pw;
    if (!s.GetAdminPassword(pw) || pw != PasswordOf(v)) return 0;
    return v;
}

int Write(const std::u16string& path, double seconds) {
    const DatabaseIo io = SystemDatabaseIo();
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    uint32_t version = 0, failed = 0, last = 0;
    // At least one save, so that a first run creates the file.
    do {
        ++version;
        if (SaveSharedFile(*Version(version), path, io, SystemFileSystem())) last = version;
        else ++failed;
    } while (Clock::now() < end);
    std::printf("writer: saves=%u failed=%u last=%u\n", version, failed, last);
    return failed == 0 && last > 0 ? 0 : 1;
}

int Read(const std::u16string& path, double seconds) {
    const DatabaseIo io = SystemDatabaseIo();
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    unsigned loads = 0, ok = 0, torn = 0, failed = 0, corrupt = 0, backwards = 0;
    double longestMs = 0;
    uint32_t previous = 0;
    std::set<uint32_t> versions;
    StoreRef s = ShortcutStore::Create();
    while (Clock::now() < end) {
        const auto start = Clock::now();
        uint32_t count = 0;
        const int r = ShortcutStore::Load(*s, path, true, count, io);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (ms > longestMs) longestMs = ms;
        ++loads;
        if (r == LoadFailed) { ++failed; continue; }
        if (r == LoadCorrupt) { ++corrupt; continue; }
        const uint32_t v = Consistent(*s);
        if (v == 0 || count != s->Size() + 1) { ++torn; continue; }
        ++ok;
        if (v < previous) ++backwards;
        previous = v;
        versions.insert(v);
    }
    std::printf("reader: loads=%u ok=%u torn=%u failed=%u corrupt=%u backwards=%u versions=%zu longest=%.0fms\n",
                loads, ok, torn, failed, corrupt, backwards, versions.size(), longestMs);
    return ok > 0 && torn == 0 && failed == 0 && corrupt == 0 && backwards == 0 ? 0 : 1;
}

int Check(const std::u16string& path, uint32_t version) {
    StoreRef s = ShortcutStore::Create();
    uint32_t count = 0;
    const int r = ShortcutStore::Load(*s, path, true, count, SystemDatabaseIo());
    const uint32_t v = r == LoadOk ? Consistent(*s) : 0;
    std::printf("check: result=%d version=%u expected=%u\n", r, v, version);
    return v == version ? 0 : 1;
}

// Milliseconds from the file's last write to now, on the system's clock,
// which every process on the machine shares.
double SinceWrite(const std::u16string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(reinterpret_cast<const wchar_t*>(path.c_str()), GetFileExInfoStandard, &data)) return -1;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    auto ticks = [](FILETIME t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return double(int64_t(ticks(now) - ticks(data.ftLastWriteTime))) / 10000.0;
}

int Watch(const std::u16string& path, double seconds, unsigned expected) {
    std::unique_ptr<WatchedFile> file = WatchFile(path);
    if (!file) return 1;
    const bool notices = file->Arm();
    const FileStamp known = file->Stamp();
    std::atomic<unsigned> seen{0}, late{0};
    std::atomic<double> longest{0};
    SharedFileWatcher watcher;
    if (!watcher.Start(std::move(file), known, [&] {
            const double ms = SinceWrite(path);
            ++seen;
            if (ms < 0 || ms > 1000) ++late;
            if (ms > longest) longest = ms;
            std::printf("watch: change seen %.0f ms after its write\n", ms);
            std::fflush(stdout);
        }))
        return 1;
    std::printf("watch: ready, notices=%d\n", notices ? 1 : 0);
    std::fflush(stdout);
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end && seen < expected) Sleep(50);
    watcher.Stop();
    std::printf("watch: changes=%u expected=%u late=%u longest=%.0fms\n", seen.load(), expected, late.load(),
                longest.load());
    return seen == expected && late == 0 ? 0 : 1;
}

}  // namespace
}  // namespace kx

int main(int argc, char** argv) {
    if (argc != 4 && !(argc == 5 && std::string(argv[1]) == "watch")) {
        std::fprintf(stderr,
                     "usage: shared_file_peer write|read <file> <seconds> | check <file> <version> | "
                     "watch <file> <seconds> <changes>\n");
        return 2;
    }
    const std::string mode = argv[1];
    const std::u16string path = kx::U16(argv[2]);
    if (mode == "write") return kx::Write(path, std::stod(argv[3]));
    if (mode == "read") return kx::Read(path, std::stod(argv[3]));
    if (mode == "check") return kx::Check(path, uint32_t(std::stoul(argv[3])));
    if (mode == "watch") return kx::Watch(path, std::stod(argv[3]), unsigned(std::stoul(argv[4])));
    std::fprintf(stderr, "unknown mode %s\n", argv[1]);
    return 2;
}
