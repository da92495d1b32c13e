// Backup, restore, and saving and loading shortcut files: the folder checks
// and their messages, the conflict rule answered each way, the copies a
// restore keeps of what it replaces, and the merge of a loaded file.
#include "core/backup.h"
#include "core/restore.h"
#include "core/shortcut_file_transfer.h"
#include "platform/fake/memory_registry.h"
#include "tests/support/data_rig.h"

namespace kx::test {
namespace {

using testing::Bytes;
using testing::ReadAll;
using testing::WriteAll;
using Strings = std::vector<std::u16string>;

constexpr LocalTime kNow{2026, 12, 5, 1, 28, 19};
const std::u16string kRestored = u"I|Restore Successful|Restored the backup successfully.";
const std::u16string kKeptIn = u"\r\nThe files it replaced were kept in ";

// Answers the file dialogs with a set path and records where they started.
struct ScriptedFileDialogs final : ShortcutFileDialogs {
    std::u16string answer, folder, name;
    std::u16string ChooseFileToSave(std::u16string_view f, std::u16string_view n) override { return Take(f, n); }
    std::u16string ChooseFileToLoad(std::u16string_view f, std::u16string_view n) override { return Take(f, n); }
    std::u16string Take(std::u16string_view f, std::u16string_view n) {
        folder = f, name = n;
        return answer;
    }
};

std::u16string In(std::u16string_view folder, std::u16string_view name) { return JoinPath(folder, name); }

class BackupTest : public DataTest {
protected:
    LockedFiles files;
    BackupContext backup{files, rig.folders, rig.prompt, rig.settings, rig.Sub(u"Documents")};
    ScriptedFileDialogs fileDialogs;

    void SetUp() override {
        RelocateDataAtStartup(rig.ctx);
        ChooseStartupGroup(rig.ctx);
        files.MakeFolder(backup.documents);
    }
    std::u16string Local(std::u16string_view name) const { return In(rig.folders.local, name); }
    std::u16string User(std::u16string_view name) const { return In(rig.folders.user, name); }
    // A backup folder as Backup Data leaves it, holding these group files.
    std::u16string MakeBackupFolder(std::initializer_list<std::pair<const char16_t*, const char16_t*>> groups) {
        const std::u16string folder = In(rig.Sub(u"Backups"), BackupFolderName(kNow));
        files.MakeFolder(rig.Sub(u"Backups"));
        EnsureFolder(files, In(folder, u"local"));
        for (auto& [name, keyword] : groups) rig.MakeFile(In(In(folder, u"local"), name), {{keyword, u"backed up"}});
        return folder;
    }
    // A shared store holding SH, protected by "pw", loaded with the Default group.
    std::u16string LoadWithShared() {
        const std::u16string sharedFile = rig.Sub(u"shared.dat");
        rig.MakeFile(sharedFile, {{u"SH", u"shared"}}, true, u"pw");
        rig.UseShared(sharedFile);
        LoadLocalStore(rig.ctx, rig.stores);
        return sharedFile;
    }
    bool SaveFile(const std::u16string& answer) {
        fileDialogs.answer = answer;
        return SaveShortcutFile(rig.ctx, rig.stores, rig.dialogs, fileDialogs, backup.documents);
    }
    LoadFileOutcome LoadFile(const std::u16string& answer) {
        fileDialogs.answer = answer;
        return LoadShortcutFile(rig.ctx, rig.stores, rig.dialogs, fileDialogs, backup.documents);
    }
};

INSTANTIATE_TEST_SUITE_P(Memory, BackupTest,
                         ::testing::Values(RegistryMaker([] { return std::make_unique<MemoryRegistry>(); })));

TEST(BackupNames, GroupNamesAndTypedFolders) {
    const std::pair<const char16_t*, const char16_t*> groups[] = {
        {u"myabbrevs_abbrev.dat", u"mys"}, {u"Work_abbrev.dat", u"Work"}, {u"abbrev.dat", u""}, {u"v1.2_abbrev.dat", u"v1.2"}};
    for (auto [file, group] : groups) EXPECT_EQ(GroupNameOfFile(file), group) << U8(file);
    EXPECT_EQ(CleanFolderText(u"  C:\\Backups\\ "), u"C:\\Backups");
    EXPECT_EQ(CleanFolderText(u"C:\\Backups\\\\"), u"C:\\Backups\\");
}

// Refusals name the problem; a backup copies the data folder whole, a
// folder typed inside it is not copied into itself, and a
// file that cannot be copied is named to the user.
TEST_P(BackupTest, BackupRefusesEachBadFolderAndCopiesEverythingElse) {
    const std::u16string dest = rig.Sub(u"Backups");
    files.MakeFolder(dest);
    files.locked = dest;
    const struct { std::u16string typed; bool refusedFolder; std::u16string message; } refusals[] = {
        {u"   ", true, u"W|Directory required|Please specify a directory to backup the data to.\n"},
        {rig.Sub(u"nowhere"), true, u"W|Invalid directory|The specified folder does not exist.\n"},
        {rig.folders.local, true,
         u"W|Invalid directory|You cannot backup to Kestrix's data directory. Please choose another folder.\n"},
        {dest, false, u"E|Folder Creation Failed|Failed to create the backup folders. Please make sure you have right "
                      u"permissions for the directory you specified.\n"},
    };
    for (const auto& r : refusals) {
        const auto out = MakeBackup(backup, r.typed, kNow);
        EXPECT_EQ(std::tuple(out.done, out.refusedFolder), std::tuple(false, r.refusedFolder)) << U8(r.typed);
        EXPECT_EQ(rig.TakeMessages(), r.message);
    }
    files.locked.clear();
    rig.MakeFile(Local(u"Work_abbrev.dat"), {{u"W", u"work"}});
    EnsureFolder(files, In(User(u"extra"), u"deeper"));
    WriteAll(In(In(User(u"extra"), u"deeper"), u"note.txt"), {'n'});
    const auto made = MakeBackup(backup, dest + kPathSeparator + u"  ", kNow);
    ASSERT_TRUE(made.done && made.complete);
    EXPECT_EQ(made.chosenFolder, dest);
    EXPECT_EQ(rig.TakeMessages(), u"I|Backup Successful|Created the backup successfully.\n");
    EXPECT_EQ(ReadAll(In(In(made.backupFolder, u"local"), u"Work_abbrev.dat")), ReadAll(Local(u"Work_abbrev.dat")));
    EXPECT_EQ(ReadAll(In(In(In(made.backupFolder, u"extra"), u"deeper"), u"note.txt")), Bytes{'n'});

    const std::u16string inside = In(User(u"Inner"), u"copy");
    files.MakeFolder(User(u"Inner"));
    EXPECT_TRUE(CopyFolder(files, rig.folders.user, inside));
    EXPECT_TRUE(files.IsFolder(In(inside, u"Inner")));
    EXPECT_FALSE(files.IsFolder(In(In(inside, u"Inner"), u"copy")));

    const LocalTime later{2026, 12, 5, 1, 30, 0};
    WriteAll(User(u"acdata.txt"), {'a', 'c'});
    files.locked = In(In(dest, BackupFolderName(later)), u"acdata.txt");
    const auto partial = MakeBackup(backup, dest, later);
    EXPECT_EQ(std::tuple(partial.done, partial.complete), std::tuple(true, false));
    EXPECT_EQ(rig.TakeMessages(), u"W|Backup Incomplete|The backup in " + partial.backupFolder +
                                      u" is incomplete. These files could not be copied:\r\n" + User(u"acdata.txt") + u"\n");
}

TEST_P(BackupTest, RestoreChecksTheFolderAndTheChoice) {
    const std::u16string folder = MakeBackupFolder({{u"abbrev.dat", u"A"}});
    const struct { std::u16string folder; ConflictChoice choice; bool done, refusedFolder; std::u16string message; } cases[] = {
        {u"", ConflictChoice::Prompt, false, true,
         u"W|Folder required|Please specify a Kestrix backup folder to restore from.\n"},
        {rig.Sub(u"gone"), ConflictChoice::Prompt, false, true, u"W|Invalid folder|The specified folder does not exist.\n"},
        {rig.folders.user, ConflictChoice::Prompt, false, true,
         u"W|Invalid directory|You cannot restore from Kestrix's data directory. Please choose another folder.\n"},
        {folder, ConflictChoice::None, false, false,
         u"E|Group Conflicts|Please check one of the radio buttons for conflicting shortcut groups.\n"},
        {backup.documents, ConflictChoice::Skip, true, false,
         u"W|Restore Data|The folder holds no Kestrix backup data. Nothing was restored.\n"},
    };
    for (const auto& c : cases) {
        const auto out = RestoreBackup(backup, c.folder, c.choice, kNow);
        EXPECT_EQ(std::tuple(out.done, out.refusedFolder), std::tuple(c.done, c.refusedFolder)) << U8(c.folder);
        EXPECT_EQ(rig.TakeMessages(), c.message);
    }
}

// Prompt asks for each existing file, not for a missing or empty one; what
// it replaces is kept in the user's documents laid out like a backup (the
// Backup suite answers the questions for the phrases and the default group
// end to end); the groups whose files were new are registered.
TEST_P(BackupTest, PromptAsksForEachExistingFileAndKeepsWhatItReplaces) {
    rig.MakeFile(Local(u"abbrev.dat"), {{u"NOW", u"current default"}});
    rig.MakeFile(Local(u"Home_abbrev.dat"), {{u"H", u"current home"}});
    WriteAll(Local(u"Empty_abbrev.dat"), {});
    const std::u16string folder = MakeBackupFolder({{u"abbrev.dat", u"DEF"}, {u"Home_abbrev.dat", u"HB"},
                                                    {u"Empty_abbrev.dat", u"EB"}, {u"Work_abbrev.dat", u"WB"}});
    const std::u16string backedUp = In(folder, u"local");
    rig.MakeFile(In(folder, u"shared_abbrev.dat"), {{u"S", u"shared"}}, true);
    const auto oldDefault = ReadAll(Local(u"abbrev.dat")), oldHome = ReadAll(Local(u"Home_abbrev.dat"));
    rig.prompt.Answer(0);  // Home: Overwrite
    rig.prompt.Answer(1);  // the default group ("abbrev.dat" sorts last): No
    const auto out = RestoreBackup(backup, folder, ConflictChoice::Prompt, kNow);
    ASSERT_TRUE(out.done);
    ASSERT_EQ(rig.prompt.asked.size(), 2u);
    EXPECT_EQ(rig.prompt.asked[0].text, u"Group \"Home\" already exists. Do you want to overwrite it?");
    EXPECT_EQ(rig.prompt.asked[0].buttons, (Strings{u"Overwrite", u"No"}));
    EXPECT_EQ(ReadAll(User(u"shared_abbrev.dat")), ReadAll(In(folder, u"shared_abbrev.dat")));
    EXPECT_FALSE(out.autoCompleteReplaced);
    EXPECT_EQ(ReadAll(Local(u"abbrev.dat")), oldDefault);
    for (const char16_t* name : {u"Home_abbrev.dat", u"Empty_abbrev.dat"})
        EXPECT_EQ(ReadAll(Local(name)), ReadAll(In(backedUp, name))) << U8(name);
    EXPECT_EQ(out.registered, (Strings{u"Empty", u"Work"}));
    EXPECT_EQ(rig.Groups().LocationOf(u"Work"), Local(u"Work_abbrev.dat"));
    EXPECT_EQ(rig.Groups().LocationOf(u"Home"), u"");
    const std::u16string kept = In(backup.documents, u"Kestrix_Before_Restore_2026-12-05_01-28-19");
    EXPECT_EQ(out.keptIn, kept);
    EXPECT_EQ(ReadAll(In(In(kept, u"local"), u"Home_abbrev.dat")), oldHome);
    EXPECT_FALSE(testing::FileExists(In(In(kept, u"local"), u"abbrev.dat")));
    EXPECT_EQ(rig.TakeMessages(), kRestored + kKeptIn + kept + u".\n");
}

// Skip and Overwrite ask nothing. The replaced file is kept in the user's
// documents, else in the data folder, never beside the backup; with nowhere
// to keep it the file is not replaced.
TEST_P(BackupTest, ReplacedFilesGoToTheUsersOwnFoldersOrAreNotReplaced) {
    rig.MakeFile(Local(u"abbrev.dat"), {{u"NOW", u"current"}});
    const auto current = ReadAll(Local(u"abbrev.dat"));
    const std::u16string folder = MakeBackupFolder({{u"abbrev.dat", u"DEF"}});
    const auto skipped = RestoreBackup(backup, folder, ConflictChoice::Skip, kNow);
    EXPECT_EQ(std::tuple(skipped.skipped, skipped.keptIn), std::tuple(Strings{Local(u"abbrev.dat")}, u""));
    EXPECT_EQ(ReadAll(Local(u"abbrev.dat")), current);
    EXPECT_EQ(rig.TakeMessages(), kRestored + u"\n");

    files.locked = backup.documents;
    const auto out = RestoreBackup(backup, folder, ConflictChoice::Overwrite, kNow);
    const std::u16string kept = User(u"Kestrix_Before_Restore_2026-12-05_01-28-19");
    EXPECT_EQ(std::tuple(out.copied, out.keptIn), std::tuple(Strings{Local(u"abbrev.dat")}, kept));
    EXPECT_EQ(ReadAll(Local(u"abbrev.dat")), ReadAll(In(In(folder, u"local"), u"abbrev.dat")));
    EXPECT_EQ(ReadAll(In(In(kept, u"local"), u"abbrev.dat")), current);
    EXPECT_EQ(files.ListFolders(rig.Sub(u"Backups")), Strings{BackupFolderName(kNow)});
    EXPECT_EQ(rig.TakeMessages(), kRestored + kKeptIn + kept + u".\n");
    EXPECT_TRUE(rig.prompt.asked.empty());

    rig.MakeFile(Local(u"abbrev.dat"), {{u"NOW", u"current"}});
    files.locked2 = User(u"Kestrix_Before_Restore_2026-12-05_01-30-00");
    const auto refused = RestoreBackup(backup, folder, ConflictChoice::Overwrite, {2026, 12, 5, 1, 30, 0});
    EXPECT_EQ(refused.keptIn, u"");
    EXPECT_EQ(ReadAll(Local(u"abbrev.dat")), current);
    EXPECT_EQ(rig.TakeMessages(), u"W|Restore Successful|Restored the backup successfully.\r\nThese files were left as "
                                  u"they were, because a copy of them could not be kept:\r\n" + Local(u"abbrev.dat") + u"\n");
}

// Only group files are restored from "local": damaged copies and left-over
// temporary files become no groups. A group that exists keeps its file,
// even outside "local": the backup's copy goes into that file.
TEST_P(BackupTest, RestoreTakesGroupFilesOnlyAndKeepsEachGroupsFile) {
    const std::u16string workFile = rig.AddGroupFile(u"Work", {{u"W", u"current work"}});
    const auto currentWork = ReadAll(workFile);
    const std::u16string folder = MakeBackupFolder({{u"work_abbrev.dat", u"WB"}, {u"abbrev.dat.damaged", u"X"},
                                                    {u"Work_abbrev.dat.damaged-2", u"X"}, {u"Home_abbrev.dat.TEMP", u"X"}});
    const auto out = RestoreBackup(backup, folder, ConflictChoice::Overwrite, kNow);
    ASSERT_TRUE(out.done);
    EXPECT_TRUE(out.registered.empty());
    EXPECT_EQ(rig.Groups().LocationOf(u"Work"), workFile);
    EXPECT_EQ(ReadAll(workFile), ReadAll(In(In(folder, u"local"), u"work_abbrev.dat")));
    EXPECT_EQ(ReadAll(In(In(out.keptIn, u"local"), u"Work.dat")), currentWork);
    for (const char16_t* name : {u".dat", u"Work.dat", u"Home.TEMP", u"Home_abbrev.dat"})
        EXPECT_FALSE(rig.Groups().Exists(name)) << U8(name);
    EXPECT_TRUE(files.ListFiles(rig.folders.local).empty());
    EXPECT_EQ(rig.TakeMessages(), kRestored + u"\r\nThese files of the backup are no shortcut groups and were not "
                                  u"restored:\r\nHome_abbrev.dat.TEMP\r\nWork_abbrev.dat.damaged-2\r\nabbrev.dat.damaged" +
                                      kKeptIn + out.keptIn + u".\n");
}

// A damaged group file in the backup is restored as it is; loading it then
// reports it, and the good file it replaced is in the before-restore folder.
// Afterwards the pictures are checked, the first group is selected and the
// Auto Complete data is loaded again only when it was replaced.
TEST_P(BackupTest, FinishingARestoreLoadsWhatWasRestored) {
    rig.MakeFile(Local(u"abbrev.dat"), {{u"GOOD", u"good"}});
    const auto good = ReadAll(Local(u"abbrev.dat"));
    const std::u16string folder = MakeBackupFolder({});
    WriteAll(In(In(folder, u"local"), u"abbrev.dat"), testing::DamagedFile());
    rig.AddGroupFile(u"Other", {{u"O", u"other"}});
    rig.Groups().SetCurrentName(u"Other");
    std::vector<std::string> calls;
    RestoreFollowUp followUp{[&] { calls.push_back("pictures"); },
                             [&](std::u16string_view path) { calls.push_back("phrases " + U8(path)); }};
    const auto finish = [&](ConflictChoice choice) {
        const auto out = RestoreBackup(backup, folder, choice, kNow);
        rig.TakeMessages();
        calls.clear();
        FinishRestore(rig.ctx, rig.stores, out, followUp);
        return out;
    };
    const auto out = finish(ConflictChoice::Overwrite);
    EXPECT_EQ(calls, std::vector<std::string>{"pictures"});
    EXPECT_EQ(rig.Groups().CurrentName(), u"Default");
    EXPECT_EQ(rig.TakeMessages(), u"E|Load Shortcuts|Shortcut file is corrupt\r\nA copy of the damaged file was kept as " +
                                      Local(u"abbrev.dat") + u".damaged.\n");
    EXPECT_EQ(ReadAll(In(In(out.keptIn, u"local"), u"abbrev.dat")), good);
    WriteAll(In(folder, u"acdata.txt"), {'x'});
    finish(ConflictChoice::Skip);
    EXPECT_EQ(calls, (std::vector<std::string>{"pictures", "phrases " + U8(User(u"acdata.txt"))}));
}

// The Backup suite saves the private store and reads the file back; here,
// with a shared store loaded, the user picks the store and its password goes
// along; Cancel writes nothing; a failed save says so.
TEST_P(BackupTest, SavedFileCarriesTheSharedStoresPassword) {
    LoadWithShared();
    rig.TakeMessages();
    rig.dialogs.choices = {kChoiceShared, kChoiceCancelled, kChoicePrivate};
    ASSERT_TRUE(SaveFile(In(backup.documents, u"shared copy.dat")));
    EXPECT_EQ(std::tuple(fileDialogs.folder, fileDialogs.name), std::tuple(backup.documents, u""));
    EXPECT_EQ(rig.dialogs.requests.at(0).heading, u"Where do you want to save them?");
    StoreRef back = rig.Load(fileDialogs.answer, true);
    std::u16string password;
    EXPECT_TRUE(back->GetAdminPassword(password));
    EXPECT_EQ(password, u"pw");
    EXPECT_EQ(rig.Text(*back, u"SH"), u"shared");
    EXPECT_EQ(rig.stores.shared->FilePath(), rig.Sub(u"shared.dat")) << "the store keeps its own file";
    EXPECT_FALSE(SaveFile(In(backup.documents, u"cancelled.dat")));
    EXPECT_FALSE(testing::FileExists(In(backup.documents, u"cancelled.dat")));
    EXPECT_FALSE(SaveFile(In(rig.Sub(u"no such folder"), u"x.dat")));
    EXPECT_EQ(rig.TakeMessages(), u"E|File Save Error|Failed to save file!\n");
}

// Cancel at any question saves nothing and leaves the store as its file;
// "Do this for all" answers the remaining conflicts.
TEST_P(BackupTest, LoadedFileMergesWithOneAnswerForAllOrCancels) {
    rig.MakeFile(Local(u"abbrev.dat"), {{u"A", u"mine a"}, {u"B", u"mine b"}, {u"C", u"mine c"}, {u"D", u"mine d"}});
    LoadLocalStore(rig.ctx, rig.stores);
    const auto before = ReadAll(Local(u"abbrev.dat"));
    const std::u16string file = In(backup.documents, u"theirs.dat");
    rig.MakeFile(file, {{u"A", u"their a"}, {u"B", u"their b"}, {u"C", u"their c"}, {u"D", u"their d"}, {u"E", u"new e"}});
    rig.prompt.Answer(0);
    rig.prompt.Cancel();
    EXPECT_FALSE(LoadFile(file).saved);
    EXPECT_EQ(ReadAll(Local(u"abbrev.dat")), before);
    EXPECT_EQ(rig.Text(*rig.stores.local, u"A"), u"mine a");
    ASSERT_EQ(rig.prompt.asked.size(), 2u);
    EXPECT_EQ(rig.prompt.asked[0].checkBox, u"Do this action for all remaining items");

    rig.prompt.asked.clear();
    rig.prompt.Answer(1);        // No on A,
    rig.prompt.Answer(0, true);  // then Replace for all: B, C and D without asking
    const auto out = LoadFile(file);
    EXPECT_TRUE(out.saved);
    EXPECT_EQ(std::tuple(rig.prompt.asked.size(), out.added, out.replaced), std::tuple(2u, 1u, 3u));
    StoreRef saved = rig.Load(Local(u"abbrev.dat"));
    EXPECT_EQ(rig.Text(*saved, u"A") + rig.Text(*saved, u"D") + rig.Text(*saved, u"E"), u"mine atheir dnew e");
    EXPECT_EQ(rig.Text(*rig.stores.local, u"D"), u"their d");
    EXPECT_EQ(rig.settings.Read(settings::BackupFile), u"theirs.dat");
}

TEST_P(BackupTest, DamagedOrMissingFilesAndTheSharedPasswordChangeNothing) {
    rig.MakeFile(Local(u"abbrev.dat"), {{u"A", u"mine"}});
    LoadLocalStore(rig.ctx, rig.stores);
    EXPECT_FALSE(LoadFile(In(backup.documents, u"missing.dat")).saved);
    EXPECT_EQ(rig.TakeMessages(), u"W|Load Shortcuts|Shortcut file not found\n");
    EXPECT_EQ(rig.settings.Read(settings::BackupFile), u"") << "a file that did not load is not remembered";
    WriteAll(In(backup.documents, u"bad.dat"), testing::DamagedFile());
    EXPECT_FALSE(LoadFile(In(backup.documents, u"bad.dat")).saved);
    EXPECT_EQ(rig.TakeMessages(), u"E|Load Shortcuts|Shortcut file is corrupt\n");

    // Into a password-protected shared store: the wrong password saves nothing.
    const std::u16string sharedFile = LoadWithShared();
    const auto sharedBefore = ReadAll(sharedFile);
    const std::u16string good = In(backup.documents, u"good.dat");
    rig.MakeFile(good, {{u"NEW", u"new"}});
    rig.dialogs.choices = {kChoiceShared, kChoiceShared};
    rig.dialogs.passwords = {false, true};
    EXPECT_FALSE(LoadFile(good).saved);
    EXPECT_EQ(rig.dialogs.requests.at(0).heading, u"Where do you want to load them from?");
    EXPECT_EQ(ReadAll(sharedFile), sharedBefore);
    EXPECT_EQ(rig.TakeMessages(),
              u"E|Administrator Access Required|Only the Administrator may change the Shared Shortcuts.\n");
    EXPECT_TRUE(LoadFile(good).saved);
    EXPECT_EQ(rig.Text(*rig.stores.shared, u"NEW"), u"new");
    EXPECT_EQ(rig.Text(*rig.stores.local, u"NEW"), u"<missing>");
}

}  // namespace
}  // namespace kx::test
