// The group and shared-store tests against the real registry and file
// system, and the data folders on the real known folders.
#include <windows.h>
#include <aclapi.h>

#include "core/local_store.h"
#include "platform/win32/file_security_win32.h"
#include "platform/win32/known_folders_win32.h"
#include "platform/win32/registry_win32.h"
#include "tests/support/data_rig.h"

namespace kx::test {
namespace {

INSTANTIATE_TEST_SUITE_P(Win32, DataTest,
                         ::testing::Values(RegistryMaker([] { return std::make_unique<Win32Registry>(); })));

TEST(Win32KnownFolders, NameTheRoamingAndTheCommonDataFolders) {
    Win32KnownFolders known;
    const std::u16string roaming = known.RoamingAppData(), common = known.CommonAppData();
    ASSERT_FALSE(roaming.empty());
    ASSERT_FALSE(common.empty());
    EXPECT_NE(roaming, common);
    EXPECT_TRUE(SystemFileSystem().IsFolder(roaming));
    EXPECT_TRUE(SystemFileSystem().IsFolder(common));
    const DataFolders f = DataFolders::Resolve(known);
    EXPECT_EQ(f.user, roaming + u"\\Tarvik Software\\Kestrix");
    EXPECT_EQ(f.machine, common + u"\\Tarvik Software\\Kestrix");
    EXPECT_EQ(f.DefaultGroupFile(), roaming + u"\\Tarvik Software\\Kestrix\\local\\abbrev.dat");
    EXPECT_EQ(f.DefaultSharedFile(), common + u"\\Tarvik Software\\Kestrix\\shared_abbrev.dat");
}

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
