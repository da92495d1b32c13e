// The reader against hand-made files, including damaged and foreign ones.
#include "tests/native/database_test_support.h"

#include "core/shortcut_store.h"
#include "platform/fake/faulty_file_mapping.h"

#include <new>

namespace kx {
namespace {

using namespace kx::testing;

Bytes File(uint32_t count, std::initializer_list<Rec> records, size_t sealedSize) {
    Bytes b = Header(count);
    for (const Rec& r : records) PutRecord(b, r);
    if (sealedSize) Seal(b, sealedSize);
    return b;
}
Bytes Cut(Bytes b, size_t size) { return b.resize(size), b; }

struct ReaderTest : ::testing::Test {
    ScratchDir dir;
    DatabaseIo io = SystemDatabaseIo();
    std::u16string path = dir.Path("abbrev.dat");
    StoreRef store;
    uint32_t count = 0;

    // A store that was in use: a failed load must empty it but keep its file.
    void SetUp() override {
        store = ShortcutStore::Create();
        store->SetFilePath(u"previous.dat");
        store->Insert(u"OLD", TextEntry(u"old"));
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
    std::u16string Password() {
        std::u16string pw;
        EXPECT_TRUE(store->GetAdminPassword(pw));
        return pw;
    }
};

// What each file loads as: the result, the records counted, and the store as
// "KEYWORD=kind:plain|rich;" in keyword order. A failed load leaves the
// store empty and its file as it was.
TEST_F(ReaderTest, EachFileLoadsAsTheFormatSays) {
    const Bytes twoRecords = File(3, {{1, 0, "A", "", "a"}, {2, 0, "LONGER", "", "text"}}, 0);
    const size_t afterFirst = 58 + 21 + 2, afterSecond = afterFirst + 21 + 10;
    const struct {
        const char* what;
        Bytes bytes;
        int result;
        uint32_t count;
        std::string shortcuts;
    } cases[] = {
        {"a header cut short", Cut(Header(0), 57), LoadFailed, 0, ""},
        {"exactly a header", Header(0), LoadOk, 0, ""},
        {"kind 4", File(2, {{1, 0, "A", "", "a"}, {2, 4, "B", "", "b"}}, 4096), LoadCorrupt, 0, ""},
        {"k above the size", File(2, {{1, 0, "A", "", "a"}, {2, 0, "B", "", "b", 0, 30}}, 4096), LoadCorrupt, 0, ""},
        {"r above the size", File(2, {{1, 0, "A", "", "a"}, {2, 1, "B", "r", "b", 0, -1, 40}}, 4096), LoadCorrupt, 0, ""},
        {"t above the size", File(2, {{1, 0, "A", "", "a"}, {2, 0, "B", "", "b", 0, -1, -1, 40}}, 4096), LoadCorrupt, 0,
         ""},
        {"the record rules",
         File(6, {{1, 1, "EMPTYRICH", "", "plain"},        // r = 0: becomes simple text
                  {2, 0, "DUP", "", "first"},
                  {3, 0, "DUP", "", "second"},              // the later record wins
                  {4, 2, "MAC", "", "{ENTER}", 0, -1, 5},   // r not used for a macro
                  {5, 0, "BAD\xff", "", "\xc3("},           // invalid UTF-8
                  {6, 3, "PIC", "{\\pict}", ""}},
              4096),
         LoadOk, 6, "BAD\xef\xbf\xbd=0:\xef\xbf\xbd(|;DUP=0:second|;EMPTYRICH=0:plain|;MAC=2:{ENTER}|;PIC=3:|{\\pict};"},
        // More records counted than present: the padding's empty keyword ends them.
        {"padding after the last", File(50, {{1, 0, "A", "", "a"}, {2, 0, "B", "", "b"}}, 1000), LoadOk, 2,
         "A=0:a|;B=0:b|;"},
        {"fewer counted than present", File(1, {{1, 0, "A", "", "a"}, {2, 0, "B", "", "b"}}, 1000), LoadOk, 1, "A=0:a|;"},
        // A file that ends without padding: the last record runs to the end or beyond.
        {"ends after the second record", Cut(twoRecords, afterSecond), LoadOk, 2, "A=0:a|;LONGER=0:text|;"},
        {"ends in its size field", Cut(twoRecords, afterFirst + 3), LoadOk, 1, "A=0:a|;"},
        {"ends in its header", Cut(twoRecords, afterFirst + 12), LoadOk, 1, "A=0:a|;"},
        {"ends in its keyword", Cut(twoRecords, afterFirst + 20), LoadOk, 1, "A=0:a|;"},
        {"ends in its text", Cut(twoRecords, afterSecond - 1), LoadOk, 1, "A=0:a|;"},
        // A size field below the strings' lengths, with the strings in the
        // file: read as they lie, and the next record follows them.
        {"strings past the size field", File(2, {{1, 0, "AB", "", "abc", 22}, {2, 0, "C", "", "c"}}, 200), LoadOk, 2,
         "AB=0:abc|;C=0:c|;"},
        {"strings past the end of the file",
         Cut(File(1, {{1, 1, "AB", std::string(20, 'r'), std::string(20, 't'), 41}}, 0), 58 + 21 + 2 + 40 - 5),
         LoadCorrupt, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        ASSERT_EQ(LoadBytes(c.bytes), c.result);
        if (c.result != LoadOk) {
            ExpectUntouchedButEmpty();
            continue;
        }
        EXPECT_EQ(count, c.count);
        EXPECT_EQ(store->FilePath(), path);
        std::string shortcuts;
        for (auto it = store->Begin(); !it.AtEnd(); it.Next())
            shortcuts += U8(it.Keyword()) + "=" + std::to_string(int(it.Entry()->kind)) + ":" +
                         U8(it.Entry()->plainText) + "|" + it.Entry()->richText + ";";
        EXPECT_EQ(shortcuts, c.shortcuts);
    }
    EXPECT_EQ(ShortcutStore::Load(*store, dir.Path("missing.dat"), false, count, io), LoadFailed);
}

// A file on a server that fails mid-read: the read reports an error (where a
// mapped view would have faulted) and the load fails cleanly; a file shorter
// than its size said ends where its reads end.
TEST_F(ReaderTest, AFailedReadFailsTheLoad) {
    const Bytes b = File(1, {{1, 0, "A", "", "a"}}, 6u << 20);  // more than one read
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

// The password comes from the file loaded last: a file without a password
// record, or a load as the local store, leaves none of an earlier load.
// Without its NUL the text ends with the record; beyond 259 units it is cut;
// a size field inside its own header would not move the reader on.
TEST_F(ReaderTest, ThePasswordRecordAndEveryLoadSettingItAfresh) {
    const auto withPassword = [](std::string_view pw, int64_t size = -1, bool nul = true, uint32_t count = 2) {
        Bytes b = Header(count, 1);
        PutPassword(b, pw, 1, size, nul);
        PutRecord(b, {2, 0, "A", "", "a"});
        return Seal(b, 500), b;
    };
    ASSERT_EQ(LoadBytes(withPassword("top secret"), true), LoadOk);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(Password(), u"top secret");
    ASSERT_EQ(LoadBytes(File(1, {{1, 0, "A", "", "a"}}, 500), true), LoadOk);
    EXPECT_EQ(Password(), u"");
    ASSERT_EQ(LoadBytes(withPassword("top secret"), true), LoadOk);
    ASSERT_EQ(LoadBytes(withPassword("top secret"), false), LoadOk);
    EXPECT_EQ(store->RawAdminPassword(), u"");
    ASSERT_EQ(LoadBytes(withPassword(std::string(300, 'p'), 13 + 300, false, 1), true), LoadOk);
    EXPECT_EQ(Password(), std::u16string(259, u'p'));
    store = ShortcutStore::Create();
    EXPECT_EQ(LoadBytes(withPassword("", 0, false, 1000000), true), LoadCorrupt);
    std::u16string pw;
    EXPECT_FALSE(store->GetAdminPassword(pw));
}

// A load that runs out of memory fails like one of a file that cannot be
// read: the store is left empty and the caller carries on.
TEST_F(ReaderTest, LoadOutOfMemoryFailsAndLeavesTheStoreEmpty) {
    const Bytes b = File(3, {{1, 1, "R", "{r}", "r"}, {2, 0, "S", "", "s"}, {3, 0, "T", "", "t"}}, 300);
    WriteAll(path, b);
    MemoryLimit limit{0};
    StoreRef small = ShortcutStore::Create(&limit);
    small->SetFilePath(u"previous.dat");
    // Room for one slot only (the least power of two that holds one): the
    // load's second insert runs out.
    limit.bytesLeft = 1;
    while (!small->Insert(u"X", TextEntry(u"x"))) limit.bytesLeft *= 2;
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

// A picture's clip is made when it is expanded: no load decodes pictures. A
// failed builder leaves the clip empty, and the load goes on.
TEST_F(ReaderTest, ClipsAreBuiltForRichTextOnly) {
    struct RecordingBuilder final : ClipBuilder {
        std::string calls;
        bool succeed = true;
        bool BuildRich(ShortcutEntry& e) override {
            calls += "rich:" + e.richText + ";";
            e.htmlClip = "<html>";
            return succeed;
        }
    } builder;
    io.clips = &builder;
    const Bytes b = File(4, {{1, 1, "R", "{r}", "r"}, {2, 3, "P", "{p}", ""}, {3, 1, "E", "", "e"}, {4, 0, "S", "", "s"}}, 300);
    for (bool succeed : {true, false}) {
        builder.succeed = succeed;
        builder.calls.clear();
        ASSERT_EQ(LoadBytes(b), LoadOk);
        EXPECT_EQ(builder.calls, "rich:{r};");
        EntryRef r, p;
        ASSERT_TRUE(store->Find(u"R", r) && store->Find(u"P", p));
        EXPECT_EQ(std::tuple(store->Size(), r->htmlClip, p->htmlClip), std::tuple(4u, succeed ? "<html>" : "", ""));
    }
}

}  // namespace
}  // namespace kx
