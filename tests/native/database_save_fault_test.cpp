// A save broken at each of its steps in turn leaves the previous file in
// place or the new one complete, never a mixture.
#include "tests/native/database_test_support.h"

#include "core/mapped_file.h"
#include "core/shortcut_store.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/faulty_file_mapping.h"

namespace kx {
namespace {

using namespace kx::testing;

StoreRef StoreWith(std::u16string_view tag, size_t entries, size_t textLength) {
    auto store = ShortcutStore::Create();
    for (size_t i = 0; i < entries; ++i)
        store->Insert(std::u16string(tag) + U16(std::to_string(i)),
                      ShortcutEntry::Make(ShortcutKind::SimpleText, std::u16string(textLength, tag[0])));
    return store;
}

struct SaveFaultTest : ::testing::Test {
    ScratchDir dir;
    FaultyFileMapping files{SystemFileMapping()};
    FakeClock clock;
    DatabaseIo io{files, clock};
    std::u16string path = dir.Path("abbrev.dat");
    std::u16string saved = path + u".TEMP";

    void SetUp() override {
        // A tiny granularity makes the new store grow the mapping several times.
        files.SetGranularity(64);
    }
    std::string Describe() const {
        std::string s;
        for (const auto& step : files.Log()) s += step + " ";
        return s;
    }
    // The number of steps a save that nothing breaks takes.
    uint32_t CleanSaveSteps(const ShortcutStore& store) {
        files.FailAt(0);
        EXPECT_TRUE(ShortcutStore::Save(store, path, io));
        return files.Steps();
    }
};

TEST_F(SaveFaultTest, EveryStepOfReplacingAFile) {
    auto oldStore = StoreWith(u"OLD", 3, 10);
    auto newStore = StoreWith(u"NEW", 40, 30);
    files.FailAt(0);
    ASSERT_TRUE(ShortcutStore::Save(*oldStore, path, io));
    const Bytes oldBytes = ReadAll(path);
    const uint32_t steps = CleanSaveSteps(*newStore);
    const Bytes newBytes = ReadAll(path);
    ASSERT_GT(steps, 12u) << Describe();  // the mapping grew several times

    for (uint32_t step = 1; step <= steps; ++step) {
        WriteAll(path, oldBytes);
        WriteAll(saved, {1, 2, 3});  // a leftover of an earlier interrupted save
        files.FailAt(step);
        const bool ok = ShortcutStore::Save(*newStore, path, io);
        const Bytes now = ReadAll(path);
        if (ok) {
            EXPECT_EQ(now, newBytes) << Describe();
        } else {
            EXPECT_EQ(now, oldBytes) << Describe();
        }
        // The old file is gone only when the new one is complete.
        EXPECT_TRUE(now == newBytes || now == oldBytes) << Describe();
        files.FailAt(0);
        ASSERT_TRUE(ShortcutStore::Save(*newStore, path, io)) << "recovering after " << Describe();
        EXPECT_FALSE(FileExists(saved)) << "leftover copy after " << Describe();
    }
}

TEST_F(SaveFaultTest, OnlyAFailedDeleteOfTheCopyLeavesItAndStillSucceeds) {
    auto store = StoreWith(u"A", 2, 5);
    files.FailAt(0);
    ASSERT_TRUE(ShortcutStore::Save(*store, path, io));
    const uint32_t steps = CleanSaveSteps(*store);
    ASSERT_EQ(files.Log().back(), "delete");
    files.FailAt(steps);
    EXPECT_TRUE(ShortcutStore::Save(*store, path, io));
    EXPECT_TRUE(FileExists(saved));
}

TEST_F(SaveFaultTest, NewFileThatCannotBeCreatedPutsTheOldOneBack) {
    auto store = StoreWith(u"A", 2, 5);
    files.FailAt(0);
    ASSERT_TRUE(ShortcutStore::Save(*store, path, io));
    const Bytes before = ReadAll(path);
    CleanSaveSteps(*store);
    const auto& log = files.Log();
    const uint32_t openStep = uint32_t(std::find(log.begin(), log.end(), "open") - log.begin()) + 1;
    ASSERT_EQ(log[openStep - 2], "rename");  // the old file was moved aside first
    files.FailAt(openStep);
    EXPECT_FALSE(ShortcutStore::Save(*StoreWith(u"B", 1, 1), path, io));
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_FALSE(FileExists(saved));
}

TEST_F(SaveFaultTest, FailedFirstSaveLeavesNoFile) {
    auto store = StoreWith(u"NEW", 40, 30);
    const uint32_t steps = CleanSaveSteps(*store);
    for (uint32_t step = 1; step <= steps; ++step) {
        std::filesystem::remove(FsPath(path));
        files.FailAt(step);
        if (ShortcutStore::Save(*store, path, io)) continue;
        EXPECT_FALSE(FileExists(path)) << Describe();
        EXPECT_FALSE(FileExists(saved)) << Describe();
    }
}

bool IsReadOnly(const std::u16string& p) {
    using std::filesystem::perms;
    return (std::filesystem::status(FsPath(p)).permissions() & perms::owner_write) == perms::none;
}

// A read-only file (copied from a CD, or marked so by hand) is replaced like
// any other: the save clears the mark first, and the new file is an ordinary
// one. Should the save fail on the way, the read-only file comes back whole.
TEST_F(SaveFaultTest, SavingOverAReadOnlyFileReplacesIt) {
    auto oldStore = StoreWith(u"OLD", 3, 10);
    auto newStore = StoreWith(u"NEW", 5, 10);
    files.FailAt(0);
    ASSERT_TRUE(ShortcutStore::Save(*oldStore, path, io));
    const Bytes oldBytes = ReadAll(path);
    using std::filesystem::perms;
    std::filesystem::permissions(FsPath(path), perms::owner_write | perms::group_write | perms::others_write,
                                 std::filesystem::perm_options::remove);
    ASSERT_TRUE(IsReadOnly(path));

    // Broken after the old file was moved aside (at mapping the new one): it
    // is back under its own name, whole.
    files.FailAt(4);
    EXPECT_FALSE(ShortcutStore::Save(*newStore, path, io)) << Describe();
    EXPECT_EQ(files.Log().back(), "rename") << Describe();
    EXPECT_EQ(ReadAll(path), oldBytes) << Describe();
    EXPECT_FALSE(FileExists(saved));

    std::filesystem::permissions(FsPath(path), perms::owner_write | perms::group_write | perms::others_write,
                                 std::filesystem::perm_options::remove);
    files.FailAt(0);
    ASSERT_TRUE(ShortcutStore::Save(*newStore, path, io));
    EXPECT_FALSE(IsReadOnly(path));
    EXPECT_FALSE(FileExists(saved));
    auto loaded = ShortcutStore::Create();
    uint32_t count = 0;
    ASSERT_EQ(ShortcutStore::Load(*loaded, path, false, count, io), LoadOk);
    EXPECT_EQ(PlainOf(*loaded, u"NEW4"), u"NNNNNNNNNN");
    EXPECT_FALSE(loaded->Contains(u"OLD0"));
}

TEST(OpenWithRetry, WaitsDoubleWithinTheBudgetForSharingConflictsOnly) {
    ScratchDir dir;
    const std::u16string path = dir.Path("f.dat");
    WriteAll(path, {0});
    FaultyFileMapping files(SystemFileMapping());

    struct Case { uint32_t violations; bool opens; uint32_t attempts; uint32_t slept; } cases[] = {
        {0, true, 1, 0},
        {3, true, 4, 16 + 32 + 64},
        {6, true, 7, 16 + 32 + 64 + 128 + 256 + 512},
        {7, false, 7, 16 + 32 + 64 + 128 + 256 + 512},  // the seventh wait (1024) exceeds what is left
    };
    for (const Case& c : cases) {
        FakeClock clock(0);
        FaultyFileMapping counted(SystemFileMapping());
        counted.ShareViolations(c.violations);
        FileError error;
        auto f = OpenWithRetry(counted, clock, path, FileAccess::Read, FileShare::ReadWrite,
                               FileDisposition::OpenExisting, 2000, &error);
        EXPECT_EQ(f != nullptr, c.opens) << c.violations;
        EXPECT_EQ(counted.OpenAttempts(), c.attempts) << c.violations;
        EXPECT_EQ(clock.TickMs(), c.slept) << c.violations;
    }

    FakeClock clock(0);
    FileError error;
    EXPECT_FALSE(OpenWithRetry(files, clock, dir.Path("missing"), FileAccess::Read, FileShare::ReadWrite,
                               FileDisposition::OpenExisting, 2000, &error));
    EXPECT_EQ(error, FileError::NotFound);
    EXPECT_EQ(files.OpenAttempts(), 1u);
    EXPECT_EQ(clock.TickMs(), 0u);
}

TEST(OpenWithRetry, LoadGetsThroughAShortConflict) {
    ScratchDir dir;
    const std::u16string path = dir.Path("f.dat");
    Bytes b = Header(1);
    PutRecord(b, {1, 0, "A", "", "a"});
    WriteAll(path, b);
    FaultyFileMapping files(SystemFileMapping());
    FakeClock clock(0);
    files.ShareViolations(2);
    auto store = ShortcutStore::Create();
    uint32_t count = 0;
    EXPECT_EQ(ShortcutStore::Load(*store, path, false, count, DatabaseIo{files, clock}), LoadOk);
    EXPECT_EQ(PlainOf(*store, u"A"), u"a");
    files.ShareViolations(10);
    EXPECT_EQ(ShortcutStore::Load(*store, path, false, count, DatabaseIo{files, clock}), LoadFailed);
}

}  // namespace
}  // namespace kx
