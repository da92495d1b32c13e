// The reader against hand-made files, including damaged and foreign ones.
#include "tests/native/database_test_support.h"

#include "core/shortcut_store.h"
#include "platform/fake/faulty_file_mapping.h"

#include <new>

namespace kx {
namespace {

using namespace kx::testing;

struct ReaderTest : ::testing::Test {
    ScratchDir dir;
    DatabaseIo io = SystemDatabaseIo();
    std::u16string path = dir.Path("abbrev.dat");
    StoreRef store = ShortcutStore::Create();
    uint32_t count = 0;

    void SetUp() override {
        // A store that was in use: a failed load must empty it but keep its file.
        store->SetFilePath(u"previous.dat");
        store->Insert(u"OLD", ShortcutEntry::Make(ShortcutKind::SimpleText, u"old"));
    }
    int LoadBytes(const Bytes& bytes, bool readPassword = false) {
        WriteAll(path, bytes);
        return ShortcutStore::Load(*store, path, readPassword, count, io);
    }
    void ExpectUntouchedButEmpty() {
        EXPECT_EQ(store->Size(), 0u);
        EXPECT_EQ(store->FilePath(), u"previous.dat");
        EXPECT_FALSE(store->CarriesPassword());
    }
};

TEST_F(ReaderTest, ShortFilesAndMissingFilesFail) {
    Bytes b = Header(0);
    b.pop_back();
    EXPECT_EQ(LoadBytes(b), LoadFailed);
    ExpectUntouchedButEmpty();
    EXPECT_EQ(ShortcutStore::Load(*store, dir.Path("missing.dat"), false, count, io), LoadFailed);

    EXPECT_EQ(LoadBytes(Header(0)), LoadOk);  // exactly 58 bytes
    EXPECT_EQ(store->Size(), 0u);
    EXPECT_EQ(store->FilePath(), path);
}

// A file on a server that fails mid-read: the read reports an error (where a
// mapped view would have faulted) and the load fails cleanly; a file shorter
// than its size said ends where its reads end.
TEST_F(ReaderTest, AFailedReadFailsTheLoad) {
    Bytes b = Header(1);
    PutRecord(b, {1, 0, "A", "", "a"});
    Seal(b, 6u << 20);  // more than one read
    WriteAll(path, b);
    FaultyFileMapping files(SystemFileMapping());
    const DatabaseIo faulty{files, io.clock};
    for (uint32_t step : {2u, 3u}) {  // open, read, read
        files.FailAt(step);
        EXPECT_EQ(ShortcutStore::Load(*store, path, false, count, faulty), LoadFailed) << step;
        ExpectUntouchedButEmpty();
    }
    files.FailAt(0);
    ASSERT_EQ(ShortcutStore::Load(*store, path, false, count, faulty), LoadOk);
    EXPECT_EQ(files.Log(), (std::vector<std::string>{"open", "read", "read"}));
    EXPECT_EQ(PlainOf(*store, u"A"), u"a");

    DatabaseIo capped = io;
    capped.maxFileBytes = b.size() - 1;
    EXPECT_EQ(ShortcutStore::Load(*store, path, false, count, capped), LoadTooLarge);
    EXPECT_EQ(store->Size(), 0u);
    capped.maxFileBytes = b.size();
    EXPECT_EQ(ShortcutStore::Load(*store, path, false, count, capped), LoadOk);
}

TEST_F(ReaderTest, InvalidRecordsAreCorruptAndDiscardWhatWasRead) {
    const Rec bad[] = {
        {2, 4, "B", "", "b"},                                   // kind 4
        {2, 0, "B", "", "b", 0, 30},                            // k above the size
        {2, 1, "B", "r", "b", 0, -1, 40},                       // r above the size
        {2, 0, "B", "", "b", 0, -1, -1, 40},                    // t above the size
    };
    for (const Rec& r : bad) {
        Bytes b = Header(2);
        PutRecord(b, {1, 0, "A", "", "a"});
        PutRecord(b, r);
        Seal(b, 4096);
        EXPECT_EQ(LoadBytes(b), LoadCorrupt) << int(r.kind);
        ExpectUntouchedButEmpty();
    }
}

TEST_F(ReaderTest, RecordRulesOfTheReader) {
    Bytes b = Header(6);
    PutRecord(b, {1, 1, "EMPTYRICH", "", "plain"});              // r = 0: becomes simple text
    PutRecord(b, {2, 0, "DUP", "", "first"});
    PutRecord(b, {3, 0, "DUP", "", "second"});                   // later record wins
    PutRecord(b, {4, 2, "MAC", "", "{ENTER}", 0, -1, 5});        // r not used for a macro
    PutRecord(b, {5, 0, "BAD\xff", "", "\xc3("});                // invalid UTF-8
    PutRecord(b, {6, 3, "PIC", "{\\pict}", ""});
    Seal(b, 4096);
    ASSERT_EQ(LoadBytes(b), LoadOk);
    EXPECT_EQ(count, 6u);
    EXPECT_EQ(store->Size(), 5u);
    EntryRef e;
    ASSERT_TRUE(store->Find(u"EMPTYRICH", e));
    EXPECT_EQ(e->kind, ShortcutKind::SimpleText);
    EXPECT_EQ(PlainOf(*store, u"DUP"), u"second");
    ASSERT_TRUE(store->Find(u"MAC", e));
    EXPECT_EQ(e->plainText, u"{ENTER}");
    EXPECT_TRUE(e->richText.empty());
    EXPECT_EQ(PlainOf(*store, u"BAD\uFFFD"), u"\uFFFD(");
    ASSERT_TRUE(store->Find(u"PIC", e));
    EXPECT_EQ(e->kind, ShortcutKind::Picture);
    EXPECT_EQ(e->richText, "{\\pict}");
    EXPECT_FALSE(store->Contains(u"OLD"));
}

TEST_F(ReaderTest, RecordCountAndPaddingEndTheRecords) {
    Bytes b = Header(50);  // more than present: the padding's empty keyword ends it
    PutRecord(b, {1, 0, "A", "", "a"});
    PutRecord(b, {2, 0, "B", "", "b"});
    Seal(b, 1000);
    ASSERT_EQ(LoadBytes(b), LoadOk);
    EXPECT_EQ(count, 2u);
    b[0] = 1;  // fewer than present: only that many are read
    ASSERT_EQ(LoadBytes(b), LoadOk);
    EXPECT_EQ(count, 1u);
    EXPECT_FALSE(store->Contains(u"B"));
}

// A file that ends without padding: the last record runs to the end or beyond.
TEST_F(ReaderTest, FileEndingInsideOrAfterARecordNeverReadsPastIt) {
    Bytes whole = Header(3);
    PutRecord(whole, {1, 0, "A", "", "a"});
    const size_t afterFirst = whole.size();
    PutRecord(whole, {2, 0, "LONGER", "", "text"});
    const size_t afterSecond = whole.size();

    // Ends exactly after the second record: both load.
    ASSERT_EQ(LoadBytes(Bytes(whole.begin(), whole.begin() + afterSecond)), LoadOk);
    EXPECT_EQ(store->Size(), 2u);
    // Ends inside the second record's header, or inside its strings with a
    // size field past the end: reading stops after the first.
    for (size_t cut : {afterFirst + 3, afterFirst + 12, afterFirst + 20, afterSecond - 1}) {
        ASSERT_EQ(LoadBytes(Bytes(whole.begin(), whole.begin() + cut)), LoadOk) << cut;
        EXPECT_EQ(count, 1u) << cut;
        EXPECT_EQ(PlainOf(*store, u"A"), u"a");
    }
}

TEST_F(ReaderTest, StringsPastTheSizeFieldAreReadInsideTheFileAndCorruptBeyondIt) {
    // Size field 22 (below k + t = 2 + 3 + 21) but the strings lie in the file:
    // read as they lie, and the next record follows them.
    Bytes b = Header(2);
    PutRecord(b, {1, 0, "AB", "", "abc", 22});
    PutRecord(b, {2, 0, "C", "", "c"});
    Seal(b, 200);
    ASSERT_EQ(LoadBytes(b), LoadOk);
    EXPECT_EQ(PlainOf(*store, u"AB"), u"abc");
    EXPECT_EQ(PlainOf(*store, u"C"), u"c");

    // The same with the file ending before the strings do.
    store->SetFilePath(u"previous.dat");
    Bytes cut = Header(1);
    PutRecord(cut, {1, 1, "AB", std::string(20, 'r'), std::string(20, 't'), 41});
    cut.resize(cut.size() - 5);
    EXPECT_EQ(LoadBytes(cut), LoadCorrupt);
    ExpectUntouchedButEmpty();
}

TEST_F(ReaderTest, PasswordRecord) {
    Bytes b = Header(2, 1);
    PutPassword(b, "top secret");
    PutRecord(b, {2, 0, "A", "", "a"});
    Seal(b, 500);
    ASSERT_EQ(LoadBytes(b, true), LoadOk);
    EXPECT_EQ(count, 2u);
    std::u16string pw;
    EXPECT_TRUE(store->GetAdminPassword(pw));
    EXPECT_EQ(pw, u"top secret");

    // Without its NUL the text ends with the record; beyond 259 units it is cut.
    Bytes noNul = Header(1, 1);
    PutU32(noNul, 1);
    PutU32(noNul, 13 + 300);
    PutU32(noNul, 0);
    noNul.push_back(0xF0);
    PutText(noNul, std::string(300, 'p'));
    ASSERT_EQ(LoadBytes(noNul, true), LoadOk);
    store->GetAdminPassword(pw);
    EXPECT_EQ(pw, std::u16string(259, u'p'));

    // A size field inside its own header would not move the reader on.
    Bytes tiny = Header(1000000, 1);
    PutU32(tiny, 1);
    PutU32(tiny, 0);
    PutU32(tiny, 0);
    tiny.push_back(0xF0);
    tiny.resize(100, 0);
    auto fresh = ShortcutStore::Create();
    WriteAll(path, tiny);
    EXPECT_EQ(ShortcutStore::Load(*fresh, path, true, count, io), LoadCorrupt);
    EXPECT_FALSE(fresh->GetAdminPassword(pw));
}

// The password comes from the file loaded last: a file without a password
// record, or a load as the local store, leaves none of an earlier load.
TEST_F(ReaderTest, EveryLoadSetsThePasswordAfresh) {
    Bytes withPassword = Header(2, 1);
    PutPassword(withPassword, "old secret");
    PutRecord(withPassword, {2, 0, "A", "", "a"});
    Seal(withPassword, 500);
    Bytes without = Header(1);
    PutRecord(without, {1, 0, "A", "", "a"});
    Seal(without, 500);

    std::u16string pw;
    ASSERT_EQ(LoadBytes(withPassword, true), LoadOk);
    ASSERT_EQ(LoadBytes(without, true), LoadOk);
    EXPECT_TRUE(store->GetAdminPassword(pw));
    EXPECT_EQ(pw, u"");
    ASSERT_TRUE(ShortcutStore::Save(*store, path, io));
    ASSERT_EQ(ShortcutStore::Load(*store, path, true, count, io), LoadOk);
    store->GetAdminPassword(pw);
    EXPECT_EQ(pw, u"");

    ASSERT_EQ(LoadBytes(withPassword, true), LoadOk);
    ASSERT_EQ(LoadBytes(withPassword, false), LoadOk);
    EXPECT_EQ(store->RawAdminPassword(), u"");
}

// A load that runs out of memory fails like one of a file that cannot be
// read: the store is left empty and the caller carries on.
TEST_F(ReaderTest, LoadOutOfMemoryFailsAndLeavesTheStoreEmpty) {
    Bytes b = Header(3);
    PutRecord(b, {1, 1, "R", "{r}", "r"});
    PutRecord(b, {2, 0, "S", "", "s"});
    PutRecord(b, {3, 0, "T", "", "t"});
    Seal(b, 300);
    WriteAll(path, b);

    MemoryLimit limit{0};
    StoreRef small = ShortcutStore::Create(&limit);
    small->SetFilePath(u"previous.dat");
    // Room for one slot only (the least power of two that holds one): the
    // load's second insert runs out.
    limit.bytesLeft = 1;
    while (!small->Insert(u"X", ShortcutEntry::Make(ShortcutKind::SimpleText, u"x"))) limit.bytesLeft *= 2;
    small->Clear();
    EXPECT_EQ(ShortcutStore::Load(*small, path, false, count, io), LoadFailed);
    EXPECT_EQ(small->Size(), 0u);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(small->FilePath(), u"previous.dat");

    // The clip builders allocate the most (RTF to HTML); running out there
    // ends the load the same way.
    struct ExhaustedBuilder final : ClipBuilder {
        bool BuildRich(ShortcutEntry&) override { throw std::bad_alloc(); }
    } exhausted;
    io.clips = &exhausted;
    EXPECT_EQ(LoadBytes(b), LoadFailed);
    ExpectUntouchedButEmpty();
    io.clips = nullptr;
    EXPECT_EQ(LoadBytes(b), LoadOk);
    EXPECT_EQ(store->Size(), 3u);
}

struct RecordingBuilder final : ClipBuilder {
    std::vector<std::string> calls;
    bool succeed = true;
    bool BuildRich(ShortcutEntry& e) override { return Build("rich:", e); }
    bool Build(const char* what, ShortcutEntry& e) {
        calls.push_back(what + e.richText);
        e.htmlClip = "<html>";
        return succeed;
    }
};

// A picture's clip is made when it is expanded: no load decodes pictures.
TEST_F(ReaderTest, ClipsAreBuiltForRichTextOnly) {
    Bytes b = Header(4);
    PutRecord(b, {1, 1, "R", "{r}", "r"});
    PutRecord(b, {2, 3, "P", "{p}", ""});
    PutRecord(b, {3, 1, "E", "", "e"});
    PutRecord(b, {4, 0, "S", "", "s"});
    Seal(b, 300);
    RecordingBuilder builder;
    io.clips = &builder;
    ASSERT_EQ(LoadBytes(b), LoadOk);
    EXPECT_EQ(builder.calls, (std::vector<std::string>{"rich:{r}"}));
    EntryRef e;
    ASSERT_TRUE(store->Find(u"R", e));
    EXPECT_EQ(e->htmlClip, "<html>");
    ASSERT_TRUE(store->Find(u"P", e));
    EXPECT_EQ(e->htmlClip, "");

    builder.succeed = false;  // a failed builder leaves the clip empty; the load goes on
    ASSERT_EQ(LoadBytes(b), LoadOk);
    ASSERT_TRUE(store->Find(u"R", e));
    EXPECT_EQ(e->htmlClip, "");
    EXPECT_EQ(store->Size(), 4u);
}

}  // namespace
}  // namespace kx
