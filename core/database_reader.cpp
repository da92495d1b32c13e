// ShortcutStore::Load: fills a store from a database file read whole into
// memory.
#include <memory>
#include <new>

#include "core/database_format.h"
#include "core/database_io.h"
#include "core/mapped_file.h"
#include "base/text.h"

namespace kx {

namespace {
constexpr uint32_t kOpenBudgetMs = 2000;
// Large enough that a file takes a handful of calls, small enough that no
// one call asks a server for more than it sends in one go.
constexpr size_t kReadChunkBytes = size_t(4) << 20;

enum class ReadOutcome { Ok, Failed, TooLarge };

// The whole file, through ReadFile rather than a mapped view: a view of a
// file on a server that fails faults at the first page touched, and nothing
// here could catch that. A failing read is an error returned instead.
ReadOutcome ReadWhole(OpenFile& file, uint64_t cap, std::unique_ptr<uint8_t[]>& bytes, uint64_t& size) {
    if (!file.Size(size) || size < kFileHeaderSize) return ReadOutcome::Failed;
    if (cap && size > cap) return ReadOutcome::TooLarge;
    if (size > SIZE_MAX) return ReadOutcome::Failed;
    try {
        bytes.reset(new uint8_t[size_t(size)]);
    } catch (const std::bad_alloc&) {
        return ReadOutcome::Failed;
    }
    // A file that shrinks meanwhile ends where its reads end; one that grows
    // is read up to the size taken above.
    uint64_t done = 0;
    while (done < size) {
        size_t got = 0;
        const size_t ask = size - done < kReadChunkBytes ? size_t(size - done) : kReadChunkBytes;
        if (!file.Read(done, bytes.get() + done, ask, got)) return ReadOutcome::Failed;
        if (got == 0) break;
        done += got;
    }
    size = done;
    return size < kFileHeaderSize ? ReadOutcome::Failed : ReadOutcome::Ok;
}

}  // namespace

int ShortcutStore::Load(ShortcutStore& store, std::u16string_view path, bool readPassword, uint32_t& count,
                        const DatabaseIo& io) {
    BusyScope busy(io.cursor);
    count = 0;
    store.Clear();

    std::unique_ptr<uint8_t[]> bytes;
    uint64_t size = 0;
    {
        auto file = OpenWithRetry(io.files, io.clock, path, FileAccess::Read, FileShare::ReadWrite,
                                  FileDisposition::OpenExisting, kOpenBudgetMs);
        if (!file) return LoadFailed;
        switch (ReadWhole(*file, io.maxFileBytes, bytes, size)) {
        case ReadOutcome::Ok: break;
        case ReadOutcome::TooLarge: return LoadTooLarge;
        case ReadOutcome::Failed: return LoadFailed;
        }
    }
    const uint8_t* data = bytes.get();

    // The header's checksum is not compared: a mismatch changes nothing about
    // the load, so the reader does not spend a pass over the file on it.
    // "kxtool db check" reports it.
    const FileHeader header = ReadFileHeader(data);
    RecordScanner scanner(data, size, header.recordCount);
    std::u16string password;
    // A file too large for the memory left (a huge shared file on a small
    // machine) must not end the program: the load fails like one of a file
    // that cannot be read, and the store is left empty.
    try {
        RawRecord rec;
        for (;;) {
            const ScanStep step = scanner.Next(rec);
            if (step == ScanStep::End) break;
            if (step == ScanStep::Corrupt) {
                store.Clear();
                return LoadCorrupt;
            }
            ++count;
            if (rec.isPassword) {
                if (readPassword) password = CutToField(Utf8ToUtf16(rec.password));
                continue;
            }
            auto entry = MakeRef<ShortcutEntry>();
            entry->kind = ShortcutKind(rec.kind);
            if (entry->kind == ShortcutKind::RichText || entry->kind == ShortcutKind::Picture) {
                if (rec.rich.empty()) {
                    entry->kind = ShortcutKind::SimpleText;
                } else {
                    entry->richText.assign(rec.rich);
                    if (io.clips && entry->kind == ShortcutKind::RichText) {
                        // A failed builder leaves htmlClip empty; the shortcut still
                        // pastes as Rich Text Format.
                        if (!io.clips->BuildRich(*entry)) entry->htmlClip.clear();
                    }
                }
            }
            entry->plainText = Utf8ToUtf16(rec.plain);
            // The keyword is never empty here, so a refused insert means the
            // memory ran out.
            if (!store.Insert(Utf8ToUtf16(rec.keyword), entry)) throw std::bad_alloc();
        }
    } catch (const std::bad_alloc&) {
        store.Clear();
        count = 0;
        return LoadFailed;
    }

    store.filePath_ = CutToField(path);
    store.carriesPassword_ = readPassword;
    // Every load sets the password afresh: a file without a password record
    // has none, and keeping the one of an earlier load would write it into
    // this file at the next save.
    store.adminPassword_ = std::move(password);
    return LoadOk;
}

}  // namespace kx
