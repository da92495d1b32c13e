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

// The old file is gone only when the new one is complete, and a failed save
// leaves no copy of it beside the file.
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
        EXPECT_EQ(ReadAll(path), ok ? newBytes : oldBytes) << Describe();
        EXPECT_TRUE(ok || ReadAll(saved) != oldBytes) << Describe();
        files.FailAt(0);
        ASSERT_TRUE(ShortcutStore::Save(*newStore, path, io)) << "recovering after " << Describe();
        EXPECT_FALSE(FileExists(saved)) << "leftover copy after " << Describe();
    }
}

TEST_F(SaveFaultTest, OnlyAFailedDeleteOfTheCopyLeavesItAndStillSucceeds) {
    auto store = StoreWith(u"A", 2, 5);
    CleanSaveSteps(*store);  // the file exists: the next save replaces it
    const uint32_t steps = CleanSaveSteps(*store);
    ASSERT_EQ(files.Log().back(), "delete");
    files.FailAt(steps);
    EXPECT_TRUE(ShortcutStore::Save(*store, path, io));
    EXPECT_TRUE(FileExists(saved));
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

// A read-only file (copied from a CD, or marked so by hand) is replaced like
// any other: the save clears the mark first, and the new file is an ordinary
// one. Should the save fail on the way, the read-only file comes back whole.
TEST_F(SaveFaultTest, SavingOverAReadOnlyFileReplacesIt) {
    using std::filesystem::perms;
    const auto readOnly = [&](bool make) {
        if (make)
            std::filesystem::permissions(FsPath(path), perms::owner_write | perms::group_write | perms::others_write,
                                         std::filesystem::perm_options::remove);
        return (std::filesystem::status(FsPath(path)).permissions() & perms::owner_write) == perms::none;
    };
    auto newStore = StoreWith(u"NEW", 5, 10);
    files.FailAt(0);
    ASSERT_TRUE(ShortcutStore::Save(*StoreWith(u"OLD", 3, 10), path, io));
    const Bytes oldBytes = ReadAll(path);
    ASSERT_TRUE(readOnly(true));

    // Broken after the old file was moved aside (at mapping the new one): it
    // is back under its own name, whole.
    files.FailAt(4);
    EXPECT_FALSE(ShortcutStore::Save(*newStore, path, io)) << Describe();
    EXPECT_EQ(files.Log().back(), "rename") << Describe();
    EXPECT_EQ(ReadAll(path), oldBytes) << Describe();
    EXPECT_FALSE(FileExists(saved));

    readOnly(true);
    files.FailAt(0);
    ASSERT_TRUE(ShortcutStore::Save(*newStore, path, io));
    EXPECT_FALSE(readOnly(false));
    EXPECT_FALSE(FileExists(saved));
    auto loaded = LoadedFrom(path, io);
    EXPECT_EQ(PlainOf(*loaded, u"NEW4"), u"NNNNNNNNNN");
    EXPECT_FALSE(loaded->Contains(u"OLD0"));
}

TEST(OpenWithRetry, WaitsDoubleWithinTheBudgetForSharingConflictsOnly) {
    ScratchDir dir;
    const std::u16string path = dir.Path("f.dat");
    WriteAll(path, {0});
    const struct { uint32_t violations; bool missing, opens; uint32_t attempts, slept; } cases[] = {
        {0, false, true, 1, 0},
        {3, false, true, 4, 16 + 32 + 64},
        {6, false, true, 7, 16 + 32 + 64 + 128 + 256 + 512},
        {7, false, false, 7, 16 + 32 + 64 + 128 + 256 + 512},  // the seventh wait (1024) exceeds what is left
        {0, true, false, 1, 0},                                 // no file: no retry
    };
    for (const auto& c : cases) {
        FakeClock clock(0);
        FaultyFileMapping files(SystemFileMapping());
        files.ShareViolations(c.violations);
        FileError error = FileError::None;
        auto f = OpenWithRetry(files, clock, c.missing ? dir.Path("missing") : path, FileAccess::Read,
                               FileShare::ReadWrite, FileDisposition::OpenExisting, 2000, &error);
        EXPECT_EQ(f != nullptr, c.opens) << c.violations;
        EXPECT_EQ(files.OpenAttempts(), c.attempts) << c.violations;
        EXPECT_EQ(clock.TickMs(), c.slept) << c.violations;
        if (c.missing) {
            EXPECT_EQ(error, FileError::NotFound);
        }
    }
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
    EXPECT_EQ(PlainOf(*LoadedFrom(path, DatabaseIo{files, clock}), u"A"), u"a");
    files.ShareViolations(10);
    uint32_t count = 0;
    EXPECT_EQ(ShortcutStore::Load(*ShortcutStore::Create(), path, false, count, DatabaseIo{files, clock}), LoadFailed);
}

}  // namespace
}  // namespace kx
