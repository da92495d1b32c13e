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
};

// An empty store is a header and four granules of zeros; a shared one holds
// a password record of 14 bytes even with no password.
TEST_F(WriterTest, EmptyStoreIsFourGranulesOfZerosAndLoadsBack) {
    for (bool shared : {false, true}) {
        auto store = ShortcutStore::Create();
        store->SetCarriesPassword(shared);
        ASSERT_TRUE(ShortcutStore::Save(*store, path, io));
        Bytes expected = Header(shared ? 1 : 0, shared ? 1 : -1);
        if (shared) PutPassword(expected, "");
        Seal(expected, kFirstFileSize);
        EXPECT_EQ(ReadAll(path), expected);
        EXPECT_EQ(ReadAll(path)[58 + 4], shared ? 14 : 0);

        auto loaded = ShortcutStore::Create();
        uint32_t count = 99;
        EXPECT_EQ(ShortcutStore::Load(*loaded, path, shared, count, io), LoadOk);
        EXPECT_EQ(count, shared ? 1u : 0u);
        EXPECT_EQ(loaded->Size(), 0u);
        EXPECT_EQ(loaded->FilePath(), path);
    }
}

TEST_F(WriterTest, EveryKindMatchesTheFormatTable) {
    auto store = ShortcutStore::Create();
    store->SetCarriesPassword(true);
    store->SetAdminPassword(u"s\u00e9cret");
    store->Insert(u"SIG", ShortcutEntry::Make(ShortcutKind::SimpleText, u"Best regards,\r\nAnn \u00c5"));
    store->Insert(u"RT", ShortcutEntry::Make(ShortcutKind::RichText, u"bold", "{\\rtf1 \\b bold\\b0}\xe9"));
    store->Insert(u"MAC", ShortcutEntry::Make(ShortcutKind::Macro, u"{WAIT 1}", "ignored rich"));
    store->Insert(u"PIC", ShortcutEntry::Make(ShortcutKind::Picture, u"", "{\\rtf1{\\pict}}"));
    store->Insert(u"EMPTYRT", ShortcutEntry::Make(ShortcutKind::RichText, u"p", ""));
    store->Insert(u"\U0001F600", ShortcutEntry::Make(ShortcutKind::SimpleText, u""));
    ASSERT_TRUE(ShortcutStore::Save(*store, path, io));

    // Ascending code-unit order: EMPTYRT, MAC, PIC, RT, SIG, then the surrogate pair.
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
}

TEST_F(WriterTest, RoundTripKeepsEveryFieldAndThePasswordOnlyWhenAsked) {
    auto store = ShortcutStore::Create();
    store->SetCarriesPassword(true);
    store->SetAdminPassword(u"pw");
    store->Insert(u"abc", ShortcutEntry::Make(ShortcutKind::SimpleText, u"x\u20ac\U0001F600y"));
    store->Insert(u"ABC", ShortcutEntry::Make(ShortcutKind::RichText, u"plain", "{\\rtf1 x}"));
    store->Insert(u"M", ShortcutEntry::Make(ShortcutKind::Macro, u"{ENTER}"));
    EXPECT_FALSE(ShortcutStore::Save(*store, u"", io)) << "no path at all";
    store->SetFilePath(u"elsewhere");
    ASSERT_TRUE(ShortcutStore::Save(*store, path, io));
    EXPECT_EQ(store->FilePath(), u"elsewhere");  // saving does not move the store

    uint32_t count = 0;
    auto shared = ShortcutStore::Create();
    ASSERT_EQ(ShortcutStore::Load(*shared, path, true, count, io), LoadOk);
    EXPECT_EQ(count, 4u);
    std::u16string pw;
    EXPECT_TRUE(shared->GetAdminPassword(pw));
    EXPECT_EQ(pw, u"pw");
    EXPECT_EQ(PlainOf(*shared, u"abc"), u"x\u20ac\U0001F600y");
    EntryRef rich;
    ASSERT_TRUE(shared->Find(u"ABC", rich));
    EXPECT_EQ(rich->kind, ShortcutKind::RichText);
    EXPECT_EQ(rich->richText, "{\\rtf1 x}");
    EXPECT_EQ(rich->plainText, u"plain");

    auto local = LoadedFrom(path, io);
    EXPECT_FALSE(local->GetAdminPassword(pw));
    EXPECT_EQ(pw, u"");
    EXPECT_FALSE(local->CarriesPassword());
    EXPECT_EQ(local->Size(), 3u);

    // Saving what was loaded, to the path it was loaded from, reproduces the file.
    const Bytes before = ReadAll(path);
    std::filesystem::remove(FsPath(path));
    ASSERT_TRUE(ShortcutStore::Save(*shared, u"", io));
    EXPECT_EQ(ReadAll(path), before);
}

TEST_F(WriterTest, PasswordIsCutTo259BytesOnACharacterBoundary) {
    auto store = ShortcutStore::Create();
    store->SetCarriesPassword(true);
    store->SetAdminPassword(std::u16string(200, u'\u00e9'));  // 400 bytes of UTF-8
    ASSERT_TRUE(ShortcutStore::Save(*store, path, io));
    Bytes b = ReadAll(path);
    EXPECT_EQ(ReadU32(b.data() + 58 + 4), 13u + 258 + 1);
    auto loaded = ShortcutStore::Create();
    uint32_t count = 0;
    ASSERT_EQ(ShortcutStore::Load(*loaded, path, true, count, io), LoadOk);
    std::u16string pw;
    loaded->GetAdminPassword(pw);
    EXPECT_EQ(pw, std::u16string(129, u'\u00e9'));
}

// Fills a store whose records take exactly `recordBytes` bytes in the file.
StoreRef StoreOfRecordBytes(size_t recordBytes) {
    auto store = ShortcutStore::Create();
    const size_t chunk = 10000;
    size_t n = 0;
    while (recordBytes > 0) {
        // 21 header bytes + a 6-byte keyword + text.
        size_t take = recordBytes >= chunk + 27 + 27 ? chunk : recordBytes - 27;
        char key[8];
        std::snprintf(key, sizeof key, "K%05zu", n++);
        store->Insert(U16(key), ShortcutEntry::Make(ShortcutKind::SimpleText, std::u16string(take, u'x')));
        recordBytes -= take + 27;
    }
    return store;
}

// The header's checksum covers every byte after the header, the records and
// the padding, in a file that needed its mapping grown as well as in one
// that did not.
TEST_F(WriterTest, MappingDoublesOnlyWhenNoByteWouldBeLeftOver) {
    const size_t room = kFirstFileSize - 58;
    struct Case { size_t records; size_t fileSize; } cases[] = {
        {room - 1, kFirstFileSize},      // one spare byte: fits
        {room, 2 * kFirstFileSize},      // fills the mapping exactly: grows
        {1100000, 8 * kFirstFileSize},   // over 1 MiB: 256 KiB -> 512 KiB -> 1 MiB -> 2 MiB
    };
    for (const Case& c : cases) {
        auto store = StoreOfRecordBytes(c.records);
        ASSERT_TRUE(ShortcutStore::Save(*store, path, io));
        Bytes b = ReadAll(path);
        ASSERT_EQ(b.size(), c.fileSize) << c.records;
        EXPECT_EQ(ReadU32(b.data() + 4), Crc32(b.data() + 58, b.size() - 58));
        auto loaded = ShortcutStore::Create();
        uint32_t count = 0;
        ASSERT_EQ(ShortcutStore::Load(*loaded, path, false, count, io), LoadOk);
        EXPECT_EQ(loaded->Size(), store->Size());
        EXPECT_EQ(count, store->Size());
        for (auto it = store->Begin(); !it.AtEnd(); it.Next())
            ASSERT_EQ(PlainOf(*loaded, it.Keyword()), it.Entry()->plainText);
    }
}

// Stands for another process that creates the file, full of other bytes,
// between the writer moving the old file aside and opening the new one.
class FileAppearsBeforeOpen final : public FileMapping {
public:
    FileAppearsBeforeOpen(FileMapping& inner, Bytes contents) : inner_(inner), contents_(std::move(contents)) {}
    uint32_t AllocationGranularity() override { return inner_.AllocationGranularity(); }
    std::unique_ptr<OpenFile> Open(std::u16string_view path, FileAccess access, FileShare share,
                                   FileDisposition disposition, FileError& error) override {
        if (access == FileAccess::ReadWrite) WriteAll(std::u16string(path), contents_);
        return inner_.Open(path, access, share, disposition, error);
    }
    bool Exists(std::u16string_view path) override { return inner_.Exists(path); }
    bool SetNormalAttributes(std::u16string_view path) override { return inner_.SetNormalAttributes(path); }
    bool Delete(std::u16string_view path) override { return inner_.Delete(path); }
    bool Rename(std::u16string_view from, std::u16string_view to) override { return inner_.Rename(from, to); }

private:
    FileMapping& inner_;
    Bytes contents_;
};

// The padding of a new file is left to the file system's zeros; a file that
// was not empty when opened must still end in zeros and a checksum over them.
TEST_F(WriterTest, PaddingIsZeroEvenOverAFileFoundFullOfOtherBytes) {
    auto store = StoreOfRecordBytes(600000);  // grows to 1 MiB
    ASSERT_TRUE(ShortcutStore::Save(*store, path, io));
    const Bytes clean = ReadAll(path);
    ASSERT_EQ(clean.size(), 4 * kFirstFileSize);
    EXPECT_EQ(ReadU32(clean.data() + 4), crc32_paths::Portable(clean.data() + 58, clean.size() - 58, 0));

    for (size_t garbage : {size_t(100), 3 * kFirstFileSize, 5 * kFirstFileSize}) {
        FileAppearsBeforeOpen files(SystemFileMapping(), Bytes(garbage, 0xFF));
        DatabaseIo racing{files, io.clock};
        ASSERT_TRUE(ShortcutStore::Save(*store, path, racing));
        const Bytes b = ReadAll(path);
        // A file found larger than the mapping keeps its size beyond it.
        ASSERT_EQ(b.size(), std::max(clean.size(), garbage)) << garbage;
        EXPECT_TRUE(std::equal(clean.begin(), clean.end(), b.begin())) << garbage;
    }
}

}  // namespace
}  // namespace kx
