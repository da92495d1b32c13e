// ShortcutStore::Load: fills a store from a database file through one
// read-only view of the whole file.
#include <new>

#include "core/database_format.h"
#include "core/database_io.h"
#include "core/mapped_file.h"
#include "base/text.h"

namespace kx {

namespace {
constexpr uint32_t kOpenBudgetMs = 2000;
}  // namespace

int ShortcutStore::Load(ShortcutStore& store, std::u16string_view path, bool readPassword, uint32_t& count,
                        const DatabaseIo& io) {
    BusyScope busy(io.cursor);
    count = 0;
    store.Clear();

    MappedFile file;
    file.access = FileAccess::Read;
    file.file = OpenWithRetry(io.files, io.clock, path, FileAccess::Read, FileShare::ReadWrite,
                              FileDisposition::OpenExisting, kOpenBudgetMs);
    if (!file.file) return LoadFailed;
    uint64_t size = 0;
    if (!file.file->Size(size) || size < kFileHeaderSize) return LoadFailed;
    if (!file.Map(0)) return LoadFailed;
    const uint8_t* data = file.Data();
    size = file.Size();

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
                    if (io.clips) {
                        // A failed builder leaves htmlClip empty; the shortcut still
                        // pastes as Rich Text Format.
                        const bool built = entry->kind == ShortcutKind::RichText ? io.clips->BuildRich(*entry)
                                                                                  : io.clips->BuildPicture(*entry);
                        if (!built) entry->htmlClip.clear();
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
