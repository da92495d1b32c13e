// The settings, group and shared-store rules against the real registry, and
// the data folders on the real known folders.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>

#include "core/local_store.h"
#include "platform/win32/file_security_win32.h"
#include "platform/win32/handles.h"
#include "platform/win32/registry_win32.h"
#include "tests/support/data_rig.h"
#include "tests/support/registry_fixture.h"

namespace kx::test {
namespace {

INSTANTIATE_TEST_SUITE_P(Win32, RegistryTest,
                         ::testing::Values(RegistryFactory([] { return std::make_unique<Win32Registry>(); })));

// kxtool restore's --user-hive gives the registry the root of another
// user's hive file; a key of the test's own stands in for that root here.
const wchar_t kOtherUser[] = L"Software\\KxTest_OtherUserHive";

HKEY OtherUserRoot() {
    static UniqueKey root = [] {
        HKEY k = nullptr;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, kOtherUser, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
        return UniqueKey(k);
    }();
    return root.Get();
}

INSTANTIATE_TEST_SUITE_P(Win32OtherUser, RegistryTest, ::testing::Values(RegistryFactory([] {
                             return std::make_unique<Win32Registry>(OtherUserRoot());
                         })));

bool KeyExists(const std::wstring& path) {
    HKEY k = nullptr;
    const bool found = ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS;
    UniqueKey closed(k);
    return found;
}

TEST(Win32Registry, AnotherUsersRootTakesWhatWouldGoToTheCurrentUser) {
    Win32Registry other(OtherUserRoot());
    SettingsStore s(other);
    s.WriteString(u"KxTest_Root", u"v", u"theirs");
    const std::u16string section = SettingsStore::SectionPath(u"KxTest_Root");
    const std::wstring mine(section.begin(), section.end());
    EXPECT_TRUE(KeyExists(std::wstring(kOtherUser) + L"\\" + mine));
    EXPECT_FALSE(KeyExists(mine));
    EXPECT_EQ(s.ReadString(u"KxTest_Root", u"v", u""), u"theirs");
    other.DeleteTree(Hive::CurrentUser, section);
}

// The matcher keeps the shared switches until the registry reports a change;
// a missed notification would leave a stale lookup order.
TEST(Win32RegistryWatch, ReportsEveryChangeBelowTheKey) {
    Win32Registry reg;
    SettingsStore s(reg);
    const std::u16string path = SettingsStore::SectionPath(u"KxTest_Watch");
    reg.DeleteTree(Hive::CurrentUser, path);
    auto watch = reg.WatchTree(Hive::CurrentUser, path);
    EXPECT_TRUE(watch->Changed()) << "the first call always reads";
    EXPECT_FALSE(watch->Changed());
    s.WriteBool(u"KxTest_Watch", u"flag", true);
    EXPECT_TRUE(watch->Changed());
    EXPECT_FALSE(watch->Changed());
    s.WriteString(u"KxTest_Watch\\Sub", u"v", u"x");
    EXPECT_TRUE(watch->Changed());
    s.DeleteValue(u"KxTest_Watch", u"flag");
    EXPECT_TRUE(watch->Changed());
    EXPECT_FALSE(watch->Changed());
    reg.DeleteTree(Hive::CurrentUser, path);
}

// The group and shared-store tests against the real registry and file
// system, and the data folders on the real known folders.

INSTANTIATE_TEST_SUITE_P(Win32, DataTest,
                         ::testing::Values(RegistryMaker([] { return std::make_unique<Win32Registry>(); })));

// The first start on real folders: every level made, the Default group's
// file created in the local folder. (The access the machine-wide folder gets
// is checked natively: Wine keeps no access list.)
TEST(Win32DataFolders, FirstStartOnRealFoldersAndRegistry) {
    testing::ScratchDir dir;
    FixedKnownFolders known{dir.Path("Roaming"), dir.Path("ProgramData")};
    const DataFolders folders = DataFolders::Resolve(known);
    Win32Registry reg;
    SettingsStore settings(reg);
    ClearDataSettings(reg);
    Win32FileSecurity security;
    DatabaseIo io = SystemDatabaseIo();
    ScriptedPrompt prompt;
    DataContext ctx{settings, folders, SystemFileSystem(), security, io, prompt};

    RelocateDataAtStartup(ctx);
    EXPECT_TRUE(SystemFileSystem().IsFolder(folders.local));
    EXPECT_TRUE(SystemFileSystem().IsFolder(folders.machine));

    EXPECT_EQ(ChooseStartupGroup(ctx), u"Default");
    LoadedStores stores;
    LoadLocalStore(ctx, stores);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0], u"W|Load Shortcuts|Shortcut file not found.\r\nA new file has been created.");
    EXPECT_TRUE(SystemFileSystem().IsFile(dir.Path("Roaming\\Tarvik Software\\Kestrix\\local\\abbrev.dat")));

    // A Default group kept in the machine-wide "local" folder moves to the user.
    ASSERT_TRUE(EnsureFolder(SystemFileSystem(), folders.MachineLocal()));
    GroupRegistry groups(settings);
    groups.Register(u"Default", folders.MachineLocal() + u"\\abbrev.dat");
    RelocateDataAtStartup(ctx);
    EXPECT_EQ(groups.CurrentFilePath(), folders.DefaultGroupFile());
    ClearDataSettings(reg);
}

}  // namespace
}  // namespace kx::test
