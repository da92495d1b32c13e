// The writer's output against the file format, byte for byte, and round trips.
#include "tests/native/database_test_support.h"

#include <algorithm>

#include "core/crc32.h"
#include "core/shortcut_store.h"

namespace kx {
namespace {

using namespace kx::testing;

constexpr size_t kFirstFileSize = 262144;

struct WriterTest : ::testing::Test {
    ScratchDir dir;
    DatabaseIo io = SystemDatabaseIo();
    std::u16string path = dir.Path("abbrev.dat");
    // Loads the file back as the shared store (password included) or the local one.
    StoreRef Back(bool shared, uint32_t* count = nullptr) {
        StoreRef s = LoadedFrom(path, io, shared);
        uint32_t n = 0;
        ShortcutStore::Load(*ShortcutStore::Create(), path, shared, count ? *count : n, io);
        return s;
    }
};

// An empty store is a header and four granules of zeros; a shared one holds
// a password record of 14 bytes even with no password. Every kind of record
// is laid out as the format says, in ascending code-unit order, and reads
// back the same.
TEST_F(WriterTest, EveryRecordMatchesTheFormatAndReadsBack) {
    for (bool shared : {false, true}) {
        auto store = ShortcutStore::Create();
        store->SetCarriesPassword(shared);
        ASSERT_TRUE(ShortcutStore::Save(*store, path, io));
        Bytes expected = Header(shared ? 1 : 0, shared ? 1 : -1);
        if (shared) PutPassword(expected, "");
        Seal(expected, kFirstFileSize);
        EXPECT_EQ(ReadAll(path), expected);
        uint32_t count = 99;
        EXPECT_EQ(Back(shared, &count)->Size(), 0u);
        EXPECT_EQ(count, shared ? 1u : 0u);
    }
    auto store = ShortcutStore::Create();
    store->SetCarriesPassword(true);
    store->SetAdminPassword(u"s\u00e9cret");
    store->Insert(u"SIG", ShortcutEntry::Make(ShortcutKind::SimpleText, u"Best regards,\r\nAnn \u00c5"));
    store->Insert(u"RT", ShortcutEntry::Make(ShortcutKind::RichText, u"bold", "{\\rtf1 \\b bold\\b0}\xe9"));
    store->Insert(u"MAC", ShortcutEntry::Make(ShortcutKind::Macro, u"{WAIT 1}", "ignored rich"));
    store->Insert(u"PIC", ShortcutEntry::Make(ShortcutKind::Picture, u"", "{\\rtf1{\\pict}}"));
    store->Insert(u"EMPTYRT", ShortcutEntry::Make(ShortcutKind::RichText, u"p", ""));
    store->Insert(u"\U0001F600", ShortcutEntry::Make(ShortcutKind::SimpleText, u""));
    EXPECT_FALSE(ShortcutStore::Save(*store, u"", io)) << "no path at all";
    store->SetFilePath(u"elsewhere");
    ASSERT_TRUE(ShortcutStore::Save(*store, path, io));
    EXPECT_EQ(store->FilePath(), u"elsewhere") << "saving does not move the store";
    Bytes expected = Header(7, 1);
    PutPassword(expected, "s\xc3\xa9" "cret", 1);
    PutRecord(expected, {2, 1, "EMPTYRT", "", "p"});
    PutRecord(expected, {3, 2, "MAC", "", "{WAIT 1}"});
    PutRecord(expected, {4, 3, "PIC", "{\\rtf1{\\pict}}", ""});
    PutRecord(expected, {5, 1, "RT", "{\\rtf1 \\b bold\\b0}\xe9", "bold"});
    PutRecord(expected, {6, 0, "SIG", "", "Best regards,\r\nAnn \xc3\x85"});
    PutRecord(expected, {7, 0, "\xf0\x9f\x98\x80", "", ""});
    Seal(expected, kFirstFileSize);
    EXPECT_EQ(ReadAll(path), expected);

    // The local store takes no password; saving what was loaded, to the path
    // it was loaded from, reproduces the file.
    std::u16string pw;
    EXPECT_FALSE(Back(false)->CarriesPassword());
    StoreRef shared = Back(true);
    EXPECT_TRUE(shared->GetAdminPassword(pw));
    EXPECT_EQ(pw, u"s\u00e9cret");
    EntryRef rich;
    ASSERT_TRUE(shared->Find(u"RT", rich));
    EXPECT_EQ(std::tuple(rich->kind, rich->richText, rich->plainText),
              std::tuple(ShortcutKind::RichText, std::string("{\\rtf1 \\b bold\\b0}\xe9"), std::u16string(u"bold")));
    // (A rich text without its RTF loads as simple text: put back as it was.)
    shared->Insert(u"EMPTYRT", ShortcutEntry::Make(ShortcutKind::RichText, u"p", ""));
    std::filesystem::remove(FsPath(path));
    ASSERT_TRUE(ShortcutStore::Save(*shared, u"", io));
    EXPECT_EQ(ReadAll(path), expected);
}

TEST_F(WriterTest, PasswordIsCutTo259BytesOnACharacterBoundary) {
    auto store = ShortcutStore::Create();
    store->SetCarriesPassword(true);
    store->SetAdminPassword(std::u16string(200, u'\u00e9'));  // 400 bytes of UTF-8
    ASSERT_TRUE(ShortcutStore::Save(*store, path, io));
    EXPECT_EQ(ReadU32(ReadAll(path).data() + 58 + 4), 13u + 258 + 1);
    std::u16string pw;
    Back(true)->GetAdminPassword(pw);
    EXPECT_EQ(pw, std::u16string(129, u'\u00e9'));
}

// Fills a store whose records take exactly `recordBytes` bytes in the file.
StoreRef StoreOfRecordBytes(size_t recordBytes) {
    auto store = ShortcutStore::Create();
    for (size_t n = 0; recordBytes > 0; ++n) {
        // 21 header bytes + a 6-byte keyword + text.
        const size_t take = recordBytes >= 10000 + 27 + 27 ? 10000 : recordBytes - 27;
        char key[8];
        std::snprintf(key, sizeof key, "K%05zu", n);
        store->Insert(U16(key), ShortcutEntry::Make(ShortcutKind::SimpleText, std::u16string(take, u'x')));
        recordBytes -= take + 27;
    }
    return store;
}

// Stands for another process that creates the file, full of other bytes,
// between the writer moving the old file aside and opening the new one.
struct FileAppearsBeforeOpen final : FileMapping {
    FileMapping& inner = SystemFileMapping();
    Bytes contents;
    explicit FileAppearsBeforeOpen(Bytes b) : contents(std::move(b)) {}
    uint32_t AllocationGranularity() override { return inner.AllocationGranularity(); }
    std::unique_ptr<OpenFile> Open(std::u16string_view path, FileAccess access, FileShare share,
                                   FileDisposition disposition, FileError& error) override {
        if (access == FileAccess::ReadWrite) WriteAll(std::u16string(path), contents);
        return inner.Open(path, access, share, disposition, error);
    }
    bool Exists(std::u16string_view path) override { return inner.Exists(path); }
    bool SetNormalAttributes(std::u16string_view path) override { return inner.SetNormalAttributes(path); }
    bool Delete(std::u16string_view path) override { return inner.Delete(path); }
    bool Rename(std::u16string_view from, std::u16string_view to) override { return inner.Rename(from, to); }
};

// The mapping doubles only when no byte would be left over, and the header's
// checksum covers every byte after the header, the records and the padding.
// The padding of a new file is left to the file system's zeros; a file that
// was not empty when opened must still end in zeros and a checksum over them,
// keeping its size beyond the mapping.
TEST_F(WriterTest, MappingGrowsAndItsPaddingIsZeroEvenOverAFileFullOfOtherBytes) {
    const size_t room = kFirstFileSize - 58;
    const std::pair<size_t, size_t> cases[] = {
        {room - 1, kFirstFileSize},     // one spare byte: fits
        {room, 2 * kFirstFileSize},     // fills the mapping exactly: grows
        {1100000, 8 * kFirstFileSize},  // 256 KiB -> 512 KiB -> 1 MiB -> 2 MiB
    };
    for (const auto& [records, fileSize] : cases) {
        auto store = StoreOfRecordBytes(records);
        ASSERT_TRUE(ShortcutStore::Save(*store, path, io));
        const Bytes b = ReadAll(path);
        ASSERT_EQ(b.size(), fileSize) << records;
        EXPECT_EQ(ReadU32(b.data() + 4), crc32_paths::Portable(b.data() + 58, b.size() - 58, 0));
        uint32_t count = 0;
        StoreRef loaded = Back(false, &count);
        EXPECT_EQ(count, store->Size());
        for (auto it = store->Begin(); !it.AtEnd(); it.Next())
            ASSERT_EQ(PlainOf(*loaded, it.Keyword()), it.Entry()->plainText);
    }
    auto store = StoreOfRecordBytes(600000);  // grows to 1 MiB
    ASSERT_TRUE(ShortcutStore::Save(*store, path, io));
    const Bytes clean = ReadAll(path);
    for (size_t garbage : {size_t(100), 3 * kFirstFileSize, 5 * kFirstFileSize}) {
        FileAppearsBeforeOpen files(Bytes(garbage, 0xFF));
        ASSERT_TRUE(ShortcutStore::Save(*store, path, DatabaseIo{files, io.clock}));
        const Bytes b = ReadAll(path);
        ASSERT_EQ(b.size(), std::max(clean.size(), garbage)) << garbage;
        EXPECT_TRUE(std::equal(clean.begin(), clean.end(), b.begin())) << garbage;
    }
}

}  // namespace
}  // namespace kx
