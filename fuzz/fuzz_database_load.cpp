// Feeds arbitrary bytes to the shortcut database reader as a file's contents,
// with and without the size cap that the shared file is read under. The
// reader takes the file into a heap block of exactly its size, so the
// address sanitizer reports any read past its end. A file that loads is saved and
// loaded again, and must come back with the same shortcuts.
//
// The seeds in fuzz/corpus/database are files of our writer with their zero
// padding cut to 21 bytes, so that inputs stay small.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "core/database_io.h"
#include "core/shortcut_store.h"
#include "base/text.h"
#include "platform/fake/fake_clock.h"

namespace {

struct Blob {
    std::unique_ptr<uint8_t[]> bytes;
    uint64_t size = 0;
    void Resize(uint64_t n) {
        auto next = std::make_unique<uint8_t[]>(size_t(n));
        if (size) std::memcpy(next.get(), bytes.get(), size_t(n < size ? n : size));
        if (n > size) std::memset(next.get() + size, 0, size_t(n - size));
        bytes = std::move(next);
        size = n;
    }
};

class BlobView final : public kx::FileView {
public:
    BlobView(uint8_t* data, uint64_t size) { data_ = data; size_ = size; }
    bool Unmap() override { data_ = nullptr; size_ = 0; return true; }
};

class BlobFile final : public kx::OpenFile {
public:
    explicit BlobFile(Blob& blob) : blob_(blob) {}
    bool Size(uint64_t& out) override { out = blob_.size; return true; }
    bool Flush() override { return true; }
    bool Read(uint64_t offset, void* buffer, size_t size, size_t& got) override {
        got = offset >= blob_.size ? 0 : size_t(size < blob_.size - offset ? size : blob_.size - offset);
        if (got) std::memcpy(buffer, blob_.bytes.get() + offset, got);
        return true;
    }
    std::unique_ptr<kx::FileView> Map(uint64_t size) override {
        if (size > (uint64_t(1) << 26)) return nullptr;
        if (size > blob_.size) blob_.Resize(size);
        const uint64_t view = size ? size : blob_.size;
        if (view == 0) return nullptr;
        return std::make_unique<BlobView>(blob_.bytes.get(), view);
    }

private:
    Blob& blob_;
};

// Files in memory; one view at a time, as the reader and writer use them.
class MemoryFiles final : public kx::FileMapping {
public:
    std::map<std::u16string, Blob> files;
    uint32_t AllocationGranularity() override { return 64; }
    std::unique_ptr<kx::OpenFile> Open(std::u16string_view path, kx::FileAccess, kx::FileShare,
                                       kx::FileDisposition disposition, kx::FileError& error) override {
        auto it = files.find(std::u16string(path));
        if (it == files.end()) {
            if (disposition != kx::FileDisposition::OpenAlways) {
                error = kx::FileError::NotFound;
                return nullptr;
            }
            it = files.emplace(std::u16string(path), Blob{}).first;
        }
        return std::make_unique<BlobFile>(it->second);
    }
    bool Exists(std::u16string_view path) override { return files.count(std::u16string(path)) != 0; }
    bool SetNormalAttributes(std::u16string_view path) override { return Exists(path); }
    bool Delete(std::u16string_view path) override { return files.erase(std::u16string(path)) != 0; }
    bool Rename(std::u16string_view from, std::u16string_view to) override {
        auto it = files.find(std::u16string(from));
        if (it == files.end() || Exists(to)) return false;
        Blob b = std::move(it->second);
        files.erase(it);
        files.emplace(std::u16string(to), std::move(b));
        return true;
    }
};

// What a saved entry loads back as: rich text ends at its first NUL, and
// rich text or a picture without rich bytes becomes simple text.
bool SameAfterSave(const kx::ShortcutEntry& before, const kx::ShortcutEntry& after) {
    std::string rich = before.richText.substr(0, before.richText.find('\0'));
    kx::ShortcutKind kind = before.kind;
    const bool carriesRich = kind == kx::ShortcutKind::RichText || kind == kx::ShortcutKind::Picture;
    if (!carriesRich) rich.clear();
    if (carriesRich && rich.empty()) kind = kx::ShortcutKind::SimpleText;
    return after.kind == kind && after.richText == rich && after.plainText == before.plainText;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFiles files;
    Blob& input = files.files[u"in.dat"];
    input.Resize(size);
    if (size) std::memcpy(input.bytes.get(), data, size);
    kx::FakeClock clock;
    kx::DatabaseIo io{files, clock};

    auto store = kx::ShortcutStore::Create();
    uint32_t count = 0;
    const int result = kx::ShortcutStore::Load(*store, u"in.dat", true, count, io);
    // Under a cap, as the shared file is read: a larger file is refused
    // unread, any other loads exactly as without the cap.
    {
        kx::DatabaseIo capped = io;
        capped.maxFileBytes = 58 + (size >= 2 ? uint64_t(data[size - 2]) * 64 : 0);
        auto limited = kx::ShortcutStore::Create();
        uint32_t n = 0;
        const int r = kx::ShortcutStore::Load(*limited, u"in.dat", true, n, capped);
        if (size > capped.maxFileBytes ? r != kx::LoadTooLarge || limited->Size() != 0
                                       : r != result || n != count || limited->Size() != store->Size())
            __builtin_trap();
    }
    if (result != kx::LoadOk) {
        if (store->Size() != 0) __builtin_trap();
        return 0;
    }
    if (size >= 4 && count > (uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 |
                              uint32_t(data[3]) << 24))
        __builtin_trap();

    if (!kx::ShortcutStore::Save(*store, u"out.dat", io)) __builtin_trap();
    auto again = kx::ShortcutStore::Create();
    if (kx::ShortcutStore::Load(*again, u"out.dat", true, count, io) != kx::LoadOk) __builtin_trap();
    if (again->Size() != store->Size()) __builtin_trap();
    for (auto it = store->Begin(); !it.AtEnd(); it.Next()) {
        kx::EntryRef e;
        if (it.Keyword().empty() || !again->Find(it.Keyword(), e) || !SameAfterSave(*it.Entry(), *e))
            __builtin_trap();
    }
    // A password comes back unchanged when its UTF-8 fits the record's 259
    // bytes and it does not end inside a surrogate pair.
    std::u16string a, b;
    store->GetAdminPassword(a);
    again->GetAdminPassword(b);
    const std::string utf8 = kx::Utf16ToUtf8(a);
    if (utf8.size() <= 259 && kx::Utf8ToUtf16(utf8) == a && a != b) __builtin_trap();

    // Loaded again as a local store, no password of the earlier load stays.
    if (kx::ShortcutStore::Load(*again, u"in.dat", false, count, io) != kx::LoadOk) __builtin_trap();
    if (!again->RawAdminPassword().empty()) __builtin_trap();

    // With memory for only some of the slots the load fails cleanly, leaving
    // the store empty, or (when they all fit) loads everything.
    kx::MemoryLimit limit{size_t(size ? data[size - 1] : 0) * 64};
    auto small = kx::ShortcutStore::Create(&limit);
    const int limited = kx::ShortcutStore::Load(*small, u"in.dat", true, count, io);
    if (limited == kx::LoadOk ? small->Size() != store->Size() : (limited != kx::LoadFailed || small->Size() != 0))
        __builtin_trap();
    return 0;
}
