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
    std::u16string path = dir.Path("abbrev.dat"), saved = path + u".TEMP";
    StoreRef newStore = StoreWith(u"NEW", 40, 30);

    // A tiny granularity makes the new store grow the mapping several times.
    void SetUp() override { files.SetGranularity(64); }
    std::string Describe() const {
        std::string s;
        for (const auto& step : files.Log()) s += step + " ";
        return s;
    }
    bool Save(const ShortcutStore& store, uint32_t failAt = 0) {
        files.FailAt(failAt);
        return ShortcutStore::Save(store, path, io);
    }
};

// Over an old file, or where there was none: the old file is gone only when
// the new one is complete, and a failed save leaves no copy beside it (nor,
// on a first save, any file).
TEST_F(SaveFaultTest, EveryStepOfAFirstSaveAndOfReplacingAFile) {
    ASSERT_TRUE(Save(*StoreWith(u"OLD", 3, 10)));
    const Bytes oldBytes = ReadAll(path);
    ASSERT_TRUE(Save(*newStore));
    const uint32_t steps = files.Steps();
    const Bytes newBytes = ReadAll(path);
    ASSERT_GT(steps, 12u) << Describe();  // the mapping grew several times
    for (bool first : {false, true})
        for (uint32_t step = 1; step <= steps; ++step) {
            SCOPED_TRACE(first ? "first save" : "replacing");
            if (first) std::filesystem::remove(FsPath(path));
            else WriteAll(path, oldBytes), WriteAll(saved, {1, 2, 3});  // a leftover of an interrupted save
            const bool ok = Save(*newStore, step);
            if (first && !ok) { EXPECT_FALSE(FileExists(path) || FileExists(saved)) << Describe(); }
            if (!first) {
                EXPECT_EQ(ReadAll(path), ok ? newBytes : oldBytes) << Describe();
                EXPECT_TRUE(ok || ReadAll(saved) != oldBytes) << Describe();
            }
            ASSERT_TRUE(Save(*newStore)) << "recovering after " << Describe();
            EXPECT_FALSE(FileExists(saved)) << "leftover copy after " << Describe();
        }
    // Only a failed delete of the copy leaves it, and the save still succeeds.
    ASSERT_EQ(files.Log().back(), "delete");
    EXPECT_TRUE(Save(*newStore, steps));
    EXPECT_TRUE(FileExists(saved));
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
    ASSERT_TRUE(Save(*StoreWith(u"OLD", 3, 10)));
    const Bytes oldBytes = ReadAll(path);
    ASSERT_TRUE(readOnly(true));
    // Broken after the old file was moved aside (at mapping the new one).
    EXPECT_FALSE(Save(*newStore, 4)) << Describe();
    EXPECT_EQ(files.Log().back(), "rename") << Describe();
    EXPECT_EQ(ReadAll(path), oldBytes) << Describe();
    readOnly(true);
    ASSERT_TRUE(Save(*newStore));
    EXPECT_FALSE(readOnly(false));
    EXPECT_FALSE(FileExists(saved));
    auto loaded = LoadedFrom(path, io);
    EXPECT_EQ(PlainOf(*loaded, u"NEW4"), std::u16string(30, u'N'));
    EXPECT_FALSE(loaded->Contains(u"OLD0"));
}

// Waits double within the budget, for sharing conflicts only; a load gets
// through a short conflict.
TEST(OpenWithRetry, WaitsDoubleWithinTheBudgetForSharingConflictsOnly) {
    ScratchDir dir;
    const std::u16string path = dir.Path("f.dat");
    Bytes b = Header(1);
    PutRecord(b, {1, 0, "A", "", "a"});
    WriteAll(path, b);
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
        EXPECT_EQ(std::tuple(f != nullptr, files.OpenAttempts(), clock.TickMs()), std::tuple(c.opens, c.attempts, c.slept))
            << c.violations;
        EXPECT_EQ(error == FileError::NotFound, c.missing);
    }
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
