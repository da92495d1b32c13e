// The access the machine's users get, and the facts of files, folders and
// hard links read through one handle.
#include <windows.h>
#include <aclapi.h>

#include <gtest/gtest.h>

#include "platform/win32/file_security_win32.h"
#include "tests/native/database_test_support.h"

namespace kx {
namespace {

using namespace kx::testing;

// Wine 8 keeps no access list: it derives one from the file's mode bits and
// accepts a new one without keeping it. So the entries written are checked
// natively (UsersAccessChanges), and here only that the list is written
// through the judged handle, to a folder and a file, and leaves the data.
TEST(Win32FileSecurity, UsersGetAccessThroughTheHandleThatWasJudged) {
    ScratchDir dir;
    const std::u16string folder = dir.Path("shared");
    std::filesystem::create_directories(FsPath(folder));
    const std::u16string file = dir.Path("shared/shared_abbrev.dat");
    WriteAll(file, {1, 2, 3});
    Win32FileSecurity security;
    for (const auto& [path, access] : {std::pair{folder, UsersAccess::Read}, std::pair{file, UsersAccess::Modify}}) {
        auto held = security.Open(path);
        ASSERT_TRUE(held) << U8(path);
        EXPECT_TRUE(held->GiveUsers(access)) << U8(path);
    }
    EXPECT_EQ(ReadAll(file), (Bytes{1, 2, 3}));
}

TEST(Win32FileSecurity, FactsOfFoldersFilesAndHardLinksAreReadThroughTheHandle) {
    ScratchDir dir;
    const std::u16string file = dir.Path("acdata.txt"), link = dir.Path("second.txt");
    WriteAll(file, {7, 8, 9});
    Win32FileSecurity security;
    const std::u16string me = security.CurrentUserSid();
    ASSERT_EQ(me.rfind(u"S-1-", 0), 0u) << U8(me);

    auto folder = security.Open(dir.Path(""));
    ASSERT_TRUE(folder);
    EXPECT_TRUE(folder->Facts().folder);
    EXPECT_FALSE(folder->Facts().reparsePoint);
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(folder->ReadAll(bytes, 100));

    auto single = security.Open(file);
    ASSERT_TRUE(single);
    EXPECT_EQ(single->Facts().linkCount, 1u);
    EXPECT_FALSE(single->Facts().folder);
    EXPECT_TRUE(single->Facts().ownerSid == me || single->Facts().ownerIsAdmin) << U8(single->Facts().ownerSid);
    EXPECT_FALSE(single->ReadAll(bytes, 2)) << "over the cap";
    ASSERT_TRUE(single->ReadAll(bytes, 3));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{7, 8, 9}));

    const std::wstring from(file.begin(), file.end()), to(link.begin(), link.end());
    ASSERT_TRUE(CreateHardLinkW(to.c_str(), from.c_str(), nullptr));
    EXPECT_EQ(security.Open(file)->Facts().linkCount, 2u);

    EXPECT_FALSE(security.Open(dir.Path("missing.txt")));
}

// A writer that holds the file without sharing makes the reader retry and
// give up; one that shares read and write does not stop it.
TEST(Win32FileMapping, SharingConflictsAreReportedAsSuch) {
    ScratchDir dir;
    const std::u16string path = dir.Path("abbrev.dat");
    auto store = ShortcutStore::Create();
    store->Insert(u"A", ShortcutEntry::Make(ShortcutKind::SimpleText, u"a"));
    DatabaseIo io = SystemDatabaseIo();
    ASSERT_TRUE(ShortcutStore::Save(*store, path, io));

    FileMapping& files = SystemFileMapping();
    EXPECT_EQ(files.AllocationGranularity(), 65536u);
    FileError error;
    auto exclusive = files.Open(path, FileAccess::ReadWrite, FileShare::None, FileDisposition::OpenExisting, error);
    ASSERT_TRUE(exclusive);
    auto second = files.Open(path, FileAccess::Read, FileShare::ReadWrite, FileDisposition::OpenExisting, error);
    EXPECT_FALSE(second);
    EXPECT_EQ(error, FileError::SharingViolation);
    exclusive.reset();

    auto shared = files.Open(path, FileAccess::Read, FileShare::ReadWrite, FileDisposition::OpenExisting, error);
    ASSERT_TRUE(shared);
    auto loaded = ShortcutStore::Create();
    uint32_t count = 0;
    EXPECT_EQ(ShortcutStore::Load(*loaded, path, false, count, io), LoadOk);
    EXPECT_EQ(PlainOf(*loaded, u"A"), u"a");
}

}  // namespace
}  // namespace kx
