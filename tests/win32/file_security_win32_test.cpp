// The Everyone access entry, read back from the file's and folder's access list.
#include <windows.h>
#include <aclapi.h>

#include <gtest/gtest.h>

#include "platform/win32/file_security_win32.h"
#include "tests/native/database_test_support.h"

namespace kx {
namespace {

using namespace kx::testing;

// The access entry for the world identifier, or null.
const ACCESS_ALLOWED_ACE* EveryoneEntry(PACL dacl) {
    BYTE world[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(world);
    if (!dacl || !CreateWellKnownSid(WinWorldSid, nullptr, world, &size)) return nullptr;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace)) continue;
        auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
        if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        if (EqualSid(const_cast<DWORD*>(&allowed->SidStart), world)) return allowed;
    }
    return nullptr;
}

struct Dacl {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    explicit Dacl(const std::u16string& path) {
        std::wstring w(path.begin(), path.end());
        EXPECT_EQ(GetNamedSecurityInfoW(w.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                        &dacl, nullptr, &sd),
                  DWORD(ERROR_SUCCESS));
    }
    ~Dacl() { if (sd) LocalFree(sd); }
};

// The system stores generic-all mapped to file rights: FILE_ALL_ACCESS on
// Windows, a mask without WRITE_DAC and WRITE_OWNER under Wine. Either way
// every user can read, write, run and delete.
bool FullAccess(ACCESS_MASK mask) {
    constexpr ACCESS_MASK kUse = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;
    return (mask & GENERIC_ALL) || (mask & kUse) == kUse;
}

TEST(Win32FileSecurity, GivesEveryoneFullInheritedAccess) {
    ScratchDir dir;
    const std::u16string folder = dir.Path("shared");
    std::filesystem::create_directories(FsPath(folder));
    const std::u16string file = dir.Path("shared/shared_abbrev.dat");
    WriteAll(file, {1, 2, 3});
    Win32FileSecurity security;

    ASSERT_TRUE(security.GrantEveryoneFullAccess(folder));
    {
        Dacl d(folder);
        const ACCESS_ALLOWED_ACE* ace = EveryoneEntry(d.dacl);
        ASSERT_NE(ace, nullptr);
        EXPECT_TRUE(FullAccess(ace->Mask)) << std::hex << ace->Mask;
        EXPECT_EQ(ace->Header.AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE),
                  OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
    }
    ASSERT_TRUE(security.GrantEveryoneFullAccess(file));
    {
        Dacl d(file);
        const ACCESS_ALLOWED_ACE* ace = EveryoneEntry(d.dacl);
        ASSERT_NE(ace, nullptr);
        EXPECT_TRUE(FullAccess(ace->Mask)) << std::hex << ace->Mask;
    }
    EXPECT_EQ(ReadAll(file), (Bytes{1, 2, 3}));
    EXPECT_FALSE(security.GrantEveryoneFullAccess(dir.Path("missing.dat")));
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
