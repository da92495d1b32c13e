// ShortcutStore::Save: writes a store to a new file beside the old one and
// keeps the old one as "%s.TEMP" until the new file is complete.
#include <cstring>
#include <mutex>

#include "core/crc32.h"
#include "core/database_format.h"
#include "core/database_io.h"
#include "core/mapped_file.h"
#include "base/text.h"
#include "core/utf8_encode.h"

namespace kx {

std::u16string SavedCopyPath(std::u16string_view path) { return FormatS(u"%s.TEMP", path); }

namespace {

// The checksum follows the records in steps of this many bytes, so that it
// reads them while they are still in the cache rather than in a second pass
// over the whole file.
constexpr uint64_t kChecksumStep = 16 * 1024;
// The disk starts on the records in steps of this many bytes while later
// ones are still being encoded: the flushes then have less to wait for.
constexpr uint64_t kWriteBackStep = 1024 * 1024;

// Writes records one after another into a mapped view that doubles whenever
// the next record would not leave a spare byte after it.
class RecordWriter {
public:
    // `zeroed`: every byte the mapping adds to the file reads as zero, so the
    // padding after the records needs no writing.
    RecordWriter(MappedFile& file, bool zeroed) : file_(file), zeroed_(zeroed) {}

    // Grows the mapping until `bytes` more fit with a byte to spare.
    bool Reserve(uint64_t bytes) {
        if (file_.Size() <= cursor_ + bytes) Checksum();
        while (file_.Size() <= cursor_ + bytes) {
            const uint64_t next = file_.Size() * 2;
            const bool flushed = file_.file->Flush();
            if (!file_.Unmap() || !flushed) return false;
            if (!file_.Map(next)) return false;
        }
        return true;
    }

    bool Password(std::string_view utf8) {
        const uint32_t size = kPasswordHeaderSize + uint32_t(utf8.size()) + 1;
        if (!Reserve(size)) return false;
        uint8_t* p = file_.Data() + cursor_;
        WriteU32(p, ++number_);
        WriteU32(p + 4, size);
        WriteU32(p + 8, 0);
        p[12] = kPasswordRecordKind;
        *Put(p + kPasswordHeaderSize, utf8) = 0;
        cursor_ += size;
        return true;
    }

    bool Shortcut(std::u16string_view keyword, uint8_t kind, std::string_view rich, std::u16string_view plain) {
        // Most records fit even at three bytes per code unit: then the strings
        // are encoded in one pass and measured after. Otherwise their exact
        // length decides whether the mapping grows first.
        const uint64_t worst = uint64_t(kRecordHeaderSize) + 3 * uint64_t(keyword.size()) + rich.size() +
                               3 * uint64_t(plain.size());
        if (file_.Size() <= cursor_ + worst) {
            const uint64_t exact = uint64_t(kRecordHeaderSize) + Utf8Length(keyword) + rich.size() + Utf8Length(plain);
            if (exact > UINT32_MAX) return false;  // the file's lengths are 32-bit
            if (!Reserve(exact)) return false;
        }
        uint8_t* p = file_.Data() + cursor_;
        uint8_t* keywordEnd = EncodeUtf8(keyword, p + kRecordHeaderSize);
        uint8_t* plainStart = Put(keywordEnd, rich);
        uint8_t* end = EncodeUtf8(plain, plainStart);
        const uint64_t size = uint64_t(end - p);
        if (size > UINT32_MAX) return false;
        WriteU32(p, ++number_);
        WriteU32(p + 4, uint32_t(size));
        WriteU32(p + 8, uint32_t(keywordEnd - p - kRecordHeaderSize));
        p[12] = kind;
        WriteU32(p + 13, uint32_t(rich.size()));
        WriteU32(p + 17, uint32_t(end - plainStart));
        cursor_ += size;
        if (cursor_ - checksummed_ >= kChecksumStep) Checksum();
        return true;
    }

    // Pads with zeros, flushes the records, then writes the header: a header
    // that counts records never precedes them on the disk.
    // The checksum covers the padding as well: zeros, counted without
    // reading them.
    bool Finish(bool carriesPassword) {
        uint8_t* data = file_.Data();
        const uint64_t size = file_.Size();
        if (!zeroed_) std::memset(data + cursor_, 0, size_t(size - cursor_));
        if (!file_.file->Flush()) return false;
        Checksum();
        FileHeader h;
        h.recordCount = number_;
        h.checksum = Crc32Zeros(size - cursor_, crc_);
        h.passwordFlag = carriesPassword ? 1 : -1;
        WriteFileHeader(data, h);
        return true;
    }

private:
    // Takes the records written since the last call into the checksum.
    void Checksum() {
        crc_ = Crc32(file_.Data() + checksummed_, size_t(cursor_ - checksummed_), crc_);
        checksummed_ = cursor_;
        // Whole steps only: the page the cursor is in is still being written.
        const uint64_t ready = cursor_ / kWriteBackStep * kWriteBackStep;
        if (ready > writtenBack_) {
            file_.file->StartWriteBack(writtenBack_, ready - writtenBack_);
            writtenBack_ = ready;
        }
    }

    // Copies `bytes` to `to` and returns the end; an empty view may have no data.
    static uint8_t* Put(uint8_t* to, std::string_view bytes) {
        if (!bytes.empty()) std::memcpy(to, bytes.data(), bytes.size());
        return to + bytes.size();
    }

    MappedFile& file_;
    const bool zeroed_;
    uint64_t cursor_ = kFileHeaderSize;
    uint64_t checksummed_ = kFileHeaderSize;  // the checksum covers [58, checksummed_)
    uint32_t crc_ = 0;
    uint64_t writtenBack_ = 0;
    uint32_t number_ = 0;
};

constexpr int kPrefetchDistance = 4;

void Prefetch(const void* p) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

// First the keyword and the entry, then (once the entry has arrived) the
// start of its text; the hardware follows a string once it is being read.
template <class Item> void PrefetchEntry(const Item& item) {
    Prefetch(item.first.data());
    Prefetch(item.second.get());
}
template <class Item> void PrefetchText(const Item& item) {
    const char16_t* text = item.second->plainText.data();
    Prefetch(text);
    Prefetch(text + 32);
}

// The password as UTF-8, cut to 259 bytes without splitting a character.
std::string PasswordBytes(std::u16string_view password) {
    std::string utf8 = Utf16ToUtf8(password);
    if (utf8.size() > kMaxPasswordBytes) {
        size_t cut = kMaxPasswordBytes;
        while (cut > 0 && (uint8_t(utf8[cut]) & 0xC0) == 0x80) --cut;
        utf8.resize(cut);
    }
    return utf8;
}

// The length the file gives rich text: up to its first NUL.
std::string_view RichBytes(const ShortcutEntry& e) {
    if (e.kind != ShortcutKind::RichText && e.kind != ShortcutKind::Picture) return {};
    std::string_view rich = e.richText;
    return rich.substr(0, rich.find('\0'));
}

}  // namespace

bool ShortcutStore::Save(const ShortcutStore& store, std::u16string_view path, const DatabaseIo& io) {
    BusyScope busy(io.cursor);
    FileMapping& files = io.files;
    const std::u16string target(path.empty() ? std::u16string_view(store.filePath_) : path);
    if (target.empty()) return false;
    const std::u16string saved = SavedCopyPath(target);

    // Move the previous file aside. Until this succeeds nothing has changed.
    bool haveSavedCopy = false;
    if (files.Exists(target)) {
        files.SetNormalAttributes(target);
        if (files.Exists(saved)) {
            files.SetNormalAttributes(saved);
            if (!files.Delete(saved)) return false;
        }
        if (!files.Rename(target, saved)) return false;
        haveSavedCopy = true;
    }

    bool created = false;
    bool written = false;
    {
        MappedFile file;
        file.access = FileAccess::ReadWrite;
        FileError error = FileError::None;
        file.file = files.Open(target, FileAccess::ReadWrite, FileShare::ReadWrite, FileDisposition::OpenAlways, error);
        created = file.file != nullptr;
        // A file we create is empty, and a file grows with zeros where the
        // platform promises it; one found in the way (created by someone else
        // after the rename) may hold anything and has its padding written.
        uint64_t oldSize = 0;
        const bool zeroed = created && file.file->GrowsWithZeros() && file.file->Size(oldSize) && oldSize == 0;
        const uint64_t firstSize = uint64_t(kFirstMappingGranules) * files.AllocationGranularity();
        if (created && file.Map(firstSize)) {
            std::lock_guard<std::mutex> lock(store.lock_);
            RecordWriter writer(file, zeroed);
            bool ok = true;
            if (store.carriesPassword_) ok = writer.Password(PasswordBytes(store.adminPassword_));
            // The entries lie scattered over the heap: ask for each one's
            // memory a few entries before it is written, so that the cache
            // misses overlap with encoding the ones in between.
            const auto end = store.entries_.end();
            auto entryAhead = store.entries_.begin(), textAhead = entryAhead;
            for (int i = 0; i < 2 * kPrefetchDistance && entryAhead != end; ++i, ++entryAhead) {
                PrefetchEntry(*entryAhead);
                if (i >= kPrefetchDistance) PrefetchText(*textAhead++);
            }
            for (auto it = store.entries_.begin(); ok && it != end; ++it) {
                if (entryAhead != end) PrefetchEntry(*entryAhead++);
                if (textAhead != end) PrefetchText(*textAhead++);
                const ShortcutEntry& e = *it->second;
                ok = writer.Shortcut(it->first, uint8_t(e.kind), RichBytes(e), e.plainText);
            }
            written = ok && writer.Finish(store.carriesPassword_);
        }
    }  // unmapped and closed here, before any file is deleted or renamed

    if (!written) {
        // A failed save leaves no partial file behind, and puts the previous
        // file back under its own name.
        if (created) files.Delete(target);
        if (haveSavedCopy) files.Rename(saved, target);
        return false;
    }
    // Should this fail, the leftover copy is removed by the next save.
    if (haveSavedCopy) files.Delete(saved);
    return true;
}

}  // namespace kx
