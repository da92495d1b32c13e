// The access the machine's users get, read back from the access lists, and
// the facts of files, folders and hard links read through one handle.
#include <windows.h>
#include <aclapi.h>

#include <gtest/gtest.h>

#include "platform/win32/file_security_win32.h"
#include "tests/native/database_test_support.h"
#include "tests/win32/access_list.h"

namespace kx {
namespace {

using namespace kx::testing;

// Gives Everyone full control inherited by all inside, as earlier versions did.
void GiveEveryoneAllInherited(const std::u16string& path) {
    std::wstring w(path.begin(), path.end());
    PACL old = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_EQ(GetNamedSecurityInfoW(w.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &old,
                                    nullptr, &sd),
              DWORD(ERROR_SUCCESS));
    BYTE world[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(world);
    ASSERT_TRUE(CreateWellKnownSid(WinWorldSid, nullptr, world, &size));
    EXPLICIT_ACCESSW all{GENERIC_ALL, SET_ACCESS, SUB_CONTAINERS_AND_OBJECTS_INHERIT,
                         {nullptr, NO_MULTIPLE_TRUSTEE, TRUSTEE_IS_SID, TRUSTEE_IS_WELL_KNOWN_GROUP,
                          reinterpret_cast<LPWSTR>(world)}};
    PACL fresh = nullptr;
    ASSERT_EQ(SetEntriesInAclW(1, &all, old, &fresh), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(SetNamedSecurityInfoW(w.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, fresh,
                                    nullptr),
              DWORD(ERROR_SUCCESS));
    LocalFree(fresh);
    LocalFree(sd);
}

TEST(Win32FileSecurity, UsersGetAccessThatNothingInheritsAndEveryoneLosesTheirs) {
    ScratchDir dir;
    const std::u16string folder = dir.Path("shared");
    std::filesystem::create_directories(FsPath(folder));
    const std::u16string file = dir.Path("shared/shared_abbrev.dat");
    WriteAll(file, {1, 2, 3});
    GiveEveryoneAllInherited(folder);
    GiveEveryoneAllInherited(file);
    ASSERT_TRUE(test::ExplicitEntryFor(folder, WinWorldSid).found);
    Win32FileSecurity security;

    constexpr ACCESS_MASK kWrite = FILE_WRITE_DATA | FILE_APPEND_DATA;
    constexpr ACCESS_MASK kNeverGiven = WRITE_DAC | WRITE_OWNER | GENERIC_ALL | GENERIC_WRITE;
    struct Case {
        std::u16string path;
        UsersAccess access;
        ACCESS_MASK must, mustNot;
    };
    for (const Case& c : {Case{folder, UsersAccess::Read, FILE_LIST_DIRECTORY | FILE_TRAVERSE, kWrite | DELETE},
                          Case{file, UsersAccess::Modify, FILE_READ_DATA | kWrite | DELETE, 0}}) {
        SCOPED_TRACE(U8(c.path));
        auto held = security.Open(c.path);
        ASSERT_TRUE(held);
        ASSERT_TRUE(held->GiveUsers(c.access));
        EXPECT_FALSE(test::ExplicitEntryFor(c.path, WinWorldSid).found);
        const test::AccessEntry users = test::ExplicitEntryFor(c.path, WinBuiltinUsersSid);
        ASSERT_TRUE(users.found);
        EXPECT_EQ(users.mask & c.must, c.must) << std::hex << users.mask;
        EXPECT_EQ(users.mask & (c.mustNot | kNeverGiven), 0u) << std::hex << users.mask;
        EXPECT_EQ(users.flags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | INHERIT_ONLY_ACE), 0) << int(users.flags);
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
