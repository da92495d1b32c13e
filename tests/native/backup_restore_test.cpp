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

using testing::ReadAll;
using testing::WriteAll;

constexpr LocalTime kNow{2026, 12, 5, 1, 28, 19};
const std::u16string kRestored = u"I|Restore Successful|Restored the backup successfully.";

// Records the file dialogs' starting points and answers with set paths.
struct ScriptedFileDialogs final : ShortcutFileDialogs {
    std::u16string answer, folder, name;
    std::u16string ChooseFileToSave(std::u16string_view f, std::u16string_view n) override { return Take(f, n); }
    std::u16string ChooseFileToLoad(std::u16string_view f, std::u16string_view n) override { return Take(f, n); }
    std::u16string Take(std::u16string_view f, std::u16string_view n) {
        folder = f, name = n;
        return answer;
    }
};

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
    static std::u16string In(std::u16string_view folder, std::u16string_view name) { return JoinPath(folder, name); }
    std::u16string Local(std::u16string_view name) const { return JoinPath(rig.folders.local, name); }
    std::u16string User(std::u16string_view name) const { return JoinPath(rig.folders.user, name); }
    // A backup folder as Backup Data leaves it, holding these group files.
    std::u16string MakeBackupFolder(std::initializer_list<std::pair<const char16_t*, const char16_t*>> groups) {
        const std::u16string dest = rig.Sub(u"Backups");
        files.MakeFolder(dest);
        const std::u16string folder = JoinPath(dest, BackupFolderName(kNow));
        EnsureFolder(files, JoinPath(folder, u"local"));
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
    EXPECT_EQ(BeforeRestoreFolderName({2027, 1, 9, 23, 5, 0}), u"Kestrix_Before_Restore_2027-01-09_23-05-00");
    EXPECT_EQ(GroupNameOfFile(u"myabbrevs_abbrev.dat"), u"mys");
    EXPECT_EQ(GroupNameOfFile(u"Work_abbrev.dat"), u"Work");
    EXPECT_EQ(GroupNameOfFile(u"abbrev.dat"), u"");
    EXPECT_EQ(GroupNameOfFile(u"v1.2_abbrev.dat"), u"v1.2");
    EXPECT_EQ(CleanFolderText(u"  C:\\Backups\\ "), u"C:\\Backups");
    EXPECT_EQ(CleanFolderText(u"C:\\Backups\\\\"), u"C:\\Backups\\");
}

TEST_P(BackupTest, BackupRefusesEachBadFolderAndCopiesEverything) {
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
        EXPECT_FALSE(out.done) << U8(r.typed);
        EXPECT_EQ(out.refusedFolder, r.refusedFolder) << U8(r.typed);
        EXPECT_EQ(rig.TakeMessages(), r.message);
    }
    files.locked.clear();

    rig.MakeFile(Local(u"abbrev.dat"), {{u"SIG", u"regards"}});
    rig.MakeFile(Local(u"Work_abbrev.dat"), {{u"W", u"work"}});
    WriteAll(User(u"acdata.txt"), {'a', 'c'});
    EnsureFolder(files, In(User(u"extra"), u"deeper"));
    WriteAll(In(In(User(u"extra"), u"deeper"), u"note.txt"), {'n'});

    const auto made = MakeBackup(backup, dest + kPathSeparator + u"  ", kNow);
    ASSERT_TRUE(made.done);
    EXPECT_EQ(made.chosenFolder, dest);
    EXPECT_EQ(made.backupFolder, In(dest, u"Kestrix_Backup_2026-12-05_01-28-19"));
    EXPECT_TRUE(made.complete);
    EXPECT_EQ(rig.TakeMessages(), u"I|Backup Successful|Created the backup successfully.\n");
    const std::u16string local = In(made.backupFolder, u"local");
    EXPECT_EQ(ReadAll(In(local, u"abbrev.dat")), ReadAll(Local(u"abbrev.dat")));
    EXPECT_EQ(ReadAll(In(local, u"Work_abbrev.dat")), ReadAll(Local(u"Work_abbrev.dat")));
    EXPECT_EQ(ReadAll(In(made.backupFolder, u"acdata.txt")), (testing::Bytes{'a', 'c'}));
    EXPECT_EQ(ReadAll(In(In(In(made.backupFolder, u"extra"), u"deeper"), u"note.txt")), testing::Bytes{'n'});
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
        EXPECT_EQ(out.done, c.done) << U8(c.folder);
        EXPECT_EQ(out.refusedFolder, c.refusedFolder) << U8(c.folder);
        EXPECT_EQ(rig.TakeMessages(), c.message);
    }
}

TEST_P(BackupTest, PromptAsksForEachExistingFileAndKeepsWhatItReplaces) {
    rig.MakeFile(Local(u"abbrev.dat"), {{u"NOW", u"current default"}});
    rig.MakeFile(Local(u"Home_abbrev.dat"), {{u"H", u"current home"}});
    WriteAll(Local(u"Empty_abbrev.dat"), {});
    WriteAll(User(u"acdata.txt"), {'o', 'l', 'd'});
    const std::u16string folder = MakeBackupFolder({{u"abbrev.dat", u"DEF"}, {u"Home_abbrev.dat", u"HB"},
                                                    {u"Empty_abbrev.dat", u"EB"}, {u"Work_abbrev.dat", u"WB"}});
    const std::u16string backedUp = In(folder, u"local");
    WriteAll(In(folder, u"acdata.txt"), {'n', 'e', 'w'});
    rig.MakeFile(In(folder, u"shared_abbrev.dat"), {{u"S", u"shared"}}, true);
    const auto oldDefault = ReadAll(Local(u"abbrev.dat"));
    const auto oldHome = ReadAll(Local(u"Home_abbrev.dat"));

    rig.prompt.Answer(0);  // acdata.txt: Overwrite
    rig.prompt.Answer(0);  // Home: Overwrite
    rig.prompt.Answer(1);  // the default group ("abbrev.dat" sorts last): No
    const auto out = RestoreBackup(backup, folder, ConflictChoice::Prompt, kNow);
    ASSERT_TRUE(out.done);
    ASSERT_EQ(rig.prompt.asked.size(), 3u);
    EXPECT_EQ(rig.prompt.asked[0].text, u"Do you want to overwrite the existing Auto-Complete data?");
    EXPECT_EQ(rig.prompt.asked[0].buttons, (std::vector<std::u16string>{u"Overwrite", u"Skip"}));
    EXPECT_EQ(rig.prompt.asked[0].title, u"Confirm Overwrite");
    EXPECT_EQ(rig.prompt.asked[1].text, u"Group \"Home\" already exists. Do you want to overwrite it?");
    EXPECT_EQ(rig.prompt.asked[1].buttons, (std::vector<std::u16string>{u"Overwrite", u"No"}));
    EXPECT_EQ(rig.prompt.asked[2].text, u"Do you want to overwrite the default group?");

    // A file that did not exist is copied without a question; so is one
    // over an empty file.
    EXPECT_EQ(ReadAll(User(u"shared_abbrev.dat")), ReadAll(In(folder, u"shared_abbrev.dat")));
    EXPECT_EQ(ReadAll(User(u"acdata.txt")), (testing::Bytes{'n', 'e', 'w'}));
    EXPECT_TRUE(out.autoCompleteReplaced);
    EXPECT_EQ(ReadAll(Local(u"abbrev.dat")), oldDefault);
    EXPECT_EQ(ReadAll(Local(u"Home_abbrev.dat")), ReadAll(In(backedUp, u"Home_abbrev.dat")));
    EXPECT_EQ(ReadAll(Local(u"Empty_abbrev.dat")), ReadAll(In(backedUp, u"Empty_abbrev.dat")));

    // The groups whose files held nothing are registered; Default stays.
    EXPECT_EQ(out.registered, (std::vector<std::u16string>{u"Empty", u"Work"}));
    EXPECT_EQ(rig.Groups().LocationOf(u"Work"), Local(u"Work_abbrev.dat"));
    EXPECT_EQ(rig.Groups().LocationOf(u"Default"), rig.folders.DefaultGroupFile());
    EXPECT_EQ(rig.Groups().LocationOf(u"Home"), u"");

    // What was replaced is kept in the user's documents, laid out like a backup.
    const std::u16string kept = In(backup.documents, u"Kestrix_Before_Restore_2026-12-05_01-28-19");
    EXPECT_EQ(out.keptIn, kept);
    EXPECT_EQ(ReadAll(In(In(kept, u"local"), u"Home_abbrev.dat")), oldHome);
    EXPECT_EQ(ReadAll(In(kept, u"acdata.txt")), (testing::Bytes{'o', 'l', 'd'}));
    EXPECT_FALSE(testing::FileExists(In(In(kept, u"local"), u"abbrev.dat")));
    EXPECT_EQ(rig.TakeMessages(), kRestored + u"\r\nThe files it replaced were kept in " + kept + u".\n");
}

// Skip and Overwrite ask nothing. The replaced file is kept in the user's
// documents, else in the data folder, never beside the backup; with nowhere
// to keep it the file is not replaced.
TEST_P(BackupTest, ReplacedFilesGoToTheUsersOwnFoldersOrAreNotReplaced) {
    rig.MakeFile(Local(u"abbrev.dat"), {{u"NOW", u"current"}});
    const auto current = ReadAll(Local(u"abbrev.dat"));
    const std::u16string folder = MakeBackupFolder({{u"abbrev.dat", u"DEF"}});

    const auto skipped = RestoreBackup(backup, folder, ConflictChoice::Skip, kNow);
    EXPECT_EQ(skipped.skipped, std::vector<std::u16string>{Local(u"abbrev.dat")});
    EXPECT_EQ(ReadAll(Local(u"abbrev.dat")), current);
    EXPECT_EQ(skipped.keptIn, u"");
    EXPECT_EQ(rig.TakeMessages(), kRestored + u"\n");

    files.locked = backup.documents;
    const auto out = RestoreBackup(backup, folder, ConflictChoice::Overwrite, kNow);
    const std::u16string kept = User(u"Kestrix_Before_Restore_2026-12-05_01-28-19");
    EXPECT_EQ(out.copied, std::vector<std::u16string>{Local(u"abbrev.dat")});
    EXPECT_EQ(ReadAll(Local(u"abbrev.dat")), ReadAll(In(In(folder, u"local"), u"abbrev.dat")));
    EXPECT_EQ(out.keptIn, kept);
    EXPECT_EQ(ReadAll(In(In(kept, u"local"), u"abbrev.dat")), current);
    EXPECT_EQ(files.ListFolders(rig.Sub(u"Backups")), std::vector<std::u16string>{BackupFolderName(kNow)});
    EXPECT_EQ(rig.TakeMessages(), kRestored + u"\r\nThe files it replaced were kept in " + kept + u".\n");
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
                                  u"restored:\r\nHome_abbrev.dat.TEMP\r\nWork_abbrev.dat.damaged-2\r\nabbrev.dat.damaged"
                                  u"\r\nThe files it replaced were kept in " + out.keptIn + u".\n");
}

// A backup folder typed inside the data folder in another case is not
// copied into itself; a file that cannot be copied is named to the user.
TEST_P(BackupTest, BackupSkipsItsOwnFolderAndNamesWhatItCouldNotCopy) {
    const std::u16string inside = User(u"Inner");
    files.MakeFolder(inside);
    const std::u16string dest = In(inside, u"copy");
    EXPECT_TRUE(CopyFolder(files, rig.folders.user, dest));
    EXPECT_TRUE(files.IsFolder(In(dest, u"Inner")));
    EXPECT_FALSE(files.IsFolder(In(In(dest, u"Inner"), u"copy")));

    const std::u16string to = rig.Sub(u"Backups");
    files.MakeFolder(to);
    WriteAll(User(u"acdata.txt"), {'a', 'c'});
    files.locked = In(In(to, BackupFolderName(kNow)), u"acdata.txt");
    const auto made = MakeBackup(backup, to, kNow);
    EXPECT_TRUE(made.done);
    EXPECT_FALSE(made.complete);
    EXPECT_EQ(rig.TakeMessages(), u"W|Backup Incomplete|The backup in " + made.backupFolder +
                                      u" is incomplete. These files could not be copied:\r\n" + User(u"acdata.txt") + u"\n");
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

    const auto out = RestoreBackup(backup, folder, ConflictChoice::Overwrite, kNow);
    ASSERT_TRUE(out.done);
    rig.TakeMessages();
    std::vector<std::string> calls;
    RestoreFollowUp followUp{[&] { calls.push_back("pictures"); },
                             [&](std::u16string_view path) { calls.push_back("phrases " + U8(path)); }};
    FinishRestore(rig.ctx, rig.stores, out, followUp);
    EXPECT_EQ(calls, std::vector<std::string>{"pictures"});
    EXPECT_EQ(rig.Groups().CurrentName(), u"Default");
    EXPECT_EQ(rig.TakeMessages(), u"E|Load Shortcuts|Shortcut file is corrupt\r\nA copy of the damaged file was kept as " +
                                      Local(u"abbrev.dat") + u".damaged.\n");
    EXPECT_EQ(ReadAll(In(In(out.keptIn, u"local"), u"abbrev.dat")), good);

    WriteAll(In(folder, u"acdata.txt"), {'x'});
    const auto withPhrases = RestoreBackup(backup, folder, ConflictChoice::Skip, kNow);
    calls.clear();
    FinishRestore(rig.ctx, rig.stores, withPhrases, followUp);
    EXPECT_EQ(calls, (std::vector<std::string>{"pictures", "phrases " + U8(User(u"acdata.txt"))}));
}

TEST_P(BackupTest, SavedFileReadsBackWithTheSameShortcuts) {
    rig.MakeFile(Local(u"abbrev.dat"), {{u"SIG", u"regards"}, {u"ADDR", u"1 Main St"}});
    LoadLocalStore(rig.ctx, rig.stores);
    ASSERT_TRUE(SaveFile(In(backup.documents, u"mine.dat")));
    EXPECT_EQ(fileDialogs.folder, backup.documents);  // nothing used before
    EXPECT_EQ(fileDialogs.name, u"");
    EXPECT_TRUE(rig.dialogs.requests.empty()) << "no shared store: no question";
    EXPECT_EQ(rig.settings.Read(settings::BackupFile), u"mine.dat");
    EXPECT_EQ(rig.settings.Read(settings::BackupFolder), backup.documents);
    StoreRef back = rig.Load(fileDialogs.answer);
    EXPECT_EQ(back->Size(), 2u);
    EXPECT_EQ(rig.Text(*back, u"ADDR"), u"1 Main St");
    EXPECT_EQ(rig.stores.local->FilePath(), rig.folders.DefaultGroupFile()) << "the group keeps its own file";

    // With a shared store loaded the user picks it; its password goes along.
    LoadWithShared();
    rig.dialogs.choices.push_back(kChoiceShared);
    ASSERT_TRUE(SaveFile(In(backup.documents, u"shared copy.dat")));
    EXPECT_EQ(fileDialogs.name, u"mine.dat");
    EXPECT_EQ(rig.dialogs.requests.at(0).heading, u"Where do you want to save them?");
    EXPECT_EQ(rig.dialogs.requests.at(0).text, u"Shortcuts can be saved in your private or shared data.");
    back = rig.Load(fileDialogs.answer, true);
    std::u16string password;
    EXPECT_TRUE(back->GetAdminPassword(password));
    EXPECT_EQ(password, u"pw");
    EXPECT_EQ(rig.Text(*back, u"SH"), u"shared");

    // Cancel on the question writes nothing; a failed save says so.
    rig.dialogs.choices.push_back(kChoiceCancelled);
    EXPECT_FALSE(SaveFile(fileDialogs.answer));
    rig.dialogs.choices.push_back(kChoicePrivate);
    EXPECT_FALSE(SaveFile(In(rig.Sub(u"no such folder"), u"x.dat")));
    EXPECT_EQ(rig.TakeMessages(), u"E|File Save Error|Failed to save file!\n");
}

TEST_P(BackupTest, LoadedFileMergesWithOneAnswerForAllOrCancels) {
    rig.MakeFile(Local(u"abbrev.dat"), {{u"A", u"mine a"}, {u"B", u"mine b"}, {u"C", u"mine c"}, {u"D", u"mine d"}});
    LoadLocalStore(rig.ctx, rig.stores);
    const auto before = ReadAll(Local(u"abbrev.dat"));
    const std::u16string file = In(backup.documents, u"theirs.dat");
    rig.MakeFile(file, {{u"A", u"their a"}, {u"B", u"their b"}, {u"C", u"their c"}, {u"D", u"their d"}, {u"E", u"new e"}});

    // Cancel on the second question: nothing is saved and the store is the file's again.
    rig.prompt.Answer(0);
    rig.prompt.Cancel();
    EXPECT_FALSE(LoadFile(file).saved);
    EXPECT_EQ(ReadAll(Local(u"abbrev.dat")), before);
    EXPECT_EQ(rig.Text(*rig.stores.local, u"A"), u"mine a");
    ASSERT_EQ(rig.prompt.asked.size(), 2u);
    EXPECT_EQ(rig.prompt.asked[0].text, u"The shortcut \"A\" already exists.\r\nDo you want to replace the existing shortcut?");
    EXPECT_EQ(rig.prompt.asked[0].title, u"Replace Existing Shortcut");
    EXPECT_EQ(rig.prompt.asked[0].checkBox, u"Do this action for all remaining items");
    EXPECT_TRUE(rig.prompt.asked[0].cancellable);

    // "No" on A, then "Replace" with the box ticked: B, C and D without asking.
    rig.prompt.asked.clear();
    rig.prompt.Answer(1);
    rig.prompt.Answer(0, true);
    const auto out = LoadFile(file);
    EXPECT_TRUE(out.saved);
    EXPECT_EQ(rig.prompt.asked.size(), 2u);
    EXPECT_EQ(out.added, 1u);
    EXPECT_EQ(out.replaced, 3u);
    EXPECT_EQ(rig.Text(*rig.stores.local, u"A"), u"mine a");
    EXPECT_EQ(rig.Text(*rig.stores.local, u"D"), u"their d");
    StoreRef saved = rig.Load(Local(u"abbrev.dat"));
    EXPECT_EQ(rig.Text(*saved, u"E"), u"new e");
    EXPECT_EQ(rig.Text(*saved, u"B"), u"their b");
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
