// The shared store: loading with its messages, the merged list, the
// private-or-shared choice, the administrator's password and the options page.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "core/display_records.h"
#include "core/group_transfer.h"
#include "core/local_store.h"
#include "core/shared_file_watch.h"
#include "core/shared_options.h"
#include "core/shared_store.h"
#include "core/store_choice.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/memory_registry.h"
#include "tests/support/data_rig.h"

namespace kx::test {
namespace {

using testing::ReadAll;
using testing::TextEntry;
using testing::WriteAll;

const std::u16string kNotFound = u"W|Load Shortcuts|Shared shortcut file not found.\nShared shortcuts will be disabled.\n";

// Starts with a Default group holding LOCAL, and a shared file holding SHARED.
struct SharedRig {
    DataRig& rig;
    std::u16string sharedFile = rig.folders.DefaultSharedFile();
    std::u16string workFile = rig.Sub(u"Work.dat");

    explicit SharedRig(DataRig& r, std::u16string_view password = {}) : rig(r) {
        rig.StartWith({{u"LOCAL", u"local text"}, {u"BOTH", u"local both"}});
        rig.MakeFile(sharedFile, {{u"SHARED", u"shared text"}, {u"BOTH", u"shared both"}}, true, password);
        Enable(true);
    }
    void Enable(bool on) { rig.UseShared(sharedFile, on); }
    StoreRef SharedOnDisk() { return rig.Load(sharedFile, true); }
    std::u16string PasswordOnDisk() {
        std::u16string pw;
        SharedOnDisk()->GetAdminPassword(pw);
        return pw;
    }
    // Registers an empty group "Work" and gives its index among the targets of a move.
    size_t AddWorkGroup() {
        rig.AddGroupFile(u"Work", {});
        for (const auto& t : TransferTargets(rig.Groups()))
            if (t.name == u"Work") return t.index;
        ADD_FAILURE() << "Work is no target";
        return 0;
    }
};

TEST_P(DataTest, SharedStoreLoadsOnlyWhenEnabledAndTurnsItselfOff) {
    SharedRig s(rig, u"pw");
    s.Enable(false);
    LoadLocalStore(rig.ctx, rig.stores);
    EXPECT_FALSE(rig.stores.sharedLoaded);
    EXPECT_EQ(rig.stores.shared->Size(), 0u);

    s.Enable(true);
    LoadLocalStore(rig.ctx, rig.stores);
    EXPECT_TRUE(rig.stores.sharedLoaded);
    EXPECT_EQ(rig.Text(*rig.stores.shared, u"SHARED"), u"shared text");
    std::u16string pw;
    EXPECT_TRUE(rig.stores.shared->GetAdminPassword(pw));
    EXPECT_EQ(pw, u"pw");
    EXPECT_EQ(rig.TakeMessages(), u"");

    // The file is damaged while the list shows it: the save reloads it first,
    // and nothing saves the (empty) shared store over the damaged file.
    const testing::Bytes bad = testing::DamagedFile(9, 1024);
    WriteAll(s.sharedFile, bad);
    EXPECT_NE(StoreResult::Saved, rig.Store(true, u"NEW", u"n"));
    EXPECT_FALSE(rig.stores.sharedLoaded);
    EXPECT_EQ(rig.TakeMessages(), u"E|Load Shortcuts|Shared shortcut file is corrupt.\nShared shortcuts will be disabled."
                                  u"\nA copy of the damaged file was kept as " + s.sharedFile + u".damaged.\n");
    EXPECT_FALSE(rig.settings.ReadBool(settings::SharedEnabled));
    EXPECT_EQ(ReadAll(s.sharedFile + u".damaged"), bad);
    s.Enable(true);
    EXPECT_EQ(RemoveShortcuts(rig.ctx, rig.stores, rig.dialogs, {}, {u"SHARED"}), 0u);
    EXPECT_EQ(ReadAll(s.sharedFile), bad);
    rig.TakeMessages();

    // Out of memory the shared file is reported as not loaded, shared
    // shortcuts go off, and the program carries on with the local ones.
    s.Enable(true);
    rig.MakeFile(s.sharedFile, {{u"SHARED", u"shared text"}}, true);
    MemoryLimit none{0};
    rig.stores.shared = ShortcutStore::Create(&none);
    LoadLocalStore(rig.ctx, rig.stores);
    EXPECT_EQ(rig.TakeMessages(), kNotFound);
    EXPECT_FALSE(rig.stores.sharedLoaded);
    EXPECT_EQ(rig.stores.shared->Size(), 0u);
    EXPECT_EQ(rig.Text(*rig.stores.local, u"LOCAL"), u"local text");
    rig.stores.shared = ShortcutStore::Create();

    rig.UseShared(rig.Sub(u"missing.dat"));
    LoadLocalStore(rig.ctx, rig.stores);
    EXPECT_EQ(rig.TakeMessages(), kNotFound);
    EXPECT_FALSE(rig.settings.ReadBool(settings::SharedEnabled));
    EXPECT_FALSE(rig.stores.sharedLoaded);
}

// Whoever can write the shared file decides its size, and every user's
// program would read all of it: past the cap it is not read, and nothing is
// saved over it.
TEST_P(DataTest, ASharedFileOverTheCapIsRefusedAndKept) {
    SharedRig s(rig);
    const std::filesystem::path file(s.sharedFile);
    std::filesystem::resize_file(file, kMaxSharedFileBytes);  // zero padding
    LoadLocalStore(rig.ctx, rig.stores);
    EXPECT_TRUE(rig.stores.sharedLoaded);
    EXPECT_EQ(rig.Text(*rig.stores.shared, u"SHARED"), u"shared text");

    const std::u16string tooLarge = u"E|Load Shortcuts|" + std::u16string(kSharedFileTooLarge) + u"\n";
    std::filesystem::resize_file(file, kMaxSharedFileBytes + 1);
    LoadLocalStore(rig.ctx, rig.stores);
    EXPECT_FALSE(rig.stores.sharedLoaded);
    EXPECT_EQ(rig.stores.shared->Size(), 0u);
    EXPECT_EQ(rig.TakeMessages(), tooLarge);
    EXPECT_FALSE(rig.settings.ReadBool(settings::SharedEnabled));
    s.Enable(true);
    EXPECT_NE(StoreResult::Saved, rig.Store(true, u"NEW", u"n"));
    EXPECT_EQ(std::filesystem::file_size(file), kMaxSharedFileBytes + 1);
    rig.TakeMessages();

    // The options page refuses it the same way.
    SharedOptionsPage page;
    EXPECT_FALSE(ValidateSharedPath(rig.ctx, page, s.sharedFile));
    EXPECT_EQ(rig.TakeMessages(), tooLarge);
}

// The list's rows, sorted, as "keyword|local keyword|shared keyword|shown
// text|overridden text|origin|the keyword a move carries".
std::vector<std::u16string> Rows(const ShortcutStore& local, const ShortcutStore& shared, bool enabled,
                                 bool sharedWins) {
    std::vector<std::u16string> out;
    for (const DisplayRecord& r : MergeForDisplay(local, shared, enabled, sharedWins)) {
        const uint32_t o = r.origin;
        out.push_back(r.keyword + u"|" + r.localKeyword + u"|" + r.sharedKeyword + u"|" + r.expansion->plainText + u"|" +
                      (r.overridden ? r.overridden->plainText : u"-") + u"|" + (o & OriginLocal ? u"L" : u"") +
                      (o & OriginShared ? u"S" : u"") + (o & OriginOverriding ? u"O" : u"") + u"|" + WinningKeyword(r));
    }
    std::sort(out.begin(), out.end());
    return out;
}

// One row per keyword ignoring the case of every letter, with the winner
// shown; each local row takes one shared shortcut, its own letters first, and
// a further shared keyword differing in case alone is a row of its own.
TEST(DisplayRecords, OneRowPerKeywordIgnoringCaseWithTheWinnerShown) {
    using Want = std::vector<std::u16string>;
    StoreRef local = ShortcutStore::Create(), shared = ShortcutStore::Create();
    local->Insert(u"sig", TextEntry(u"local sig"));
    local->Insert(u"ONLYLOCAL", TextEntry(u"l"));
    shared->Insert(u"SIG", TextEntry(u"shared sig"));
    shared->Insert(u"ONLYSHARED", TextEntry(u"s"));
    shared->Insert(u"onlyshared", TextEntry(u"s2"));
    EXPECT_EQ(Rows(*local, *shared, false, true),
              (Want{u"ONLYLOCAL|ONLYLOCAL||l|-|L|ONLYLOCAL", u"sig|sig||local sig|-|L|sig"}));
    EXPECT_EQ(Rows(*local, *shared, true, false),
              (Want{u"ONLYLOCAL|ONLYLOCAL||l|-|L|ONLYLOCAL", u"ONLYSHARED||ONLYSHARED|s|-|S|ONLYSHARED",
                    u"onlyshared||onlyshared|s2|-|S|onlyshared", u"sig|sig|SIG|local sig|shared sig|LO|sig"}));
    EXPECT_EQ(Rows(*local, *shared, true, true)[3], u"sig|sig|SIG|shared sig|local sig|SO|SIG");

    StoreRef l2 = ShortcutStore::Create(), s2 = ShortcutStore::Create();
    l2->Insert(u"caf\u00e9", TextEntry(u"local caf\u00e9"));
    s2->Insert(u"CAF\u00c9", TextEntry(u"shared CAF\u00c9"));
    l2->Insert(u"\u0434\u0430", TextEntry(u"local \u0434\u0430"));
    s2->Insert(u"\u0414\u0410", TextEntry(u"shared \u0414\u0410"));
    s2->Insert(u"\u0434\u0430", TextEntry(u"shared \u0434\u0430"));
    s2->Insert(u"TAG", TextEntry(u"shared TAG"));
    s2->Insert(u"Tag", TextEntry(u"shared Tag"));
    EXPECT_EQ(Rows(*l2, *s2, true, true), (Want{
                  u"TAG||TAG|shared TAG|-|S|TAG",
                  u"Tag||Tag|shared Tag|-|S|Tag",
                  u"caf\u00e9|caf\u00e9|CAF\u00c9|shared CAF\u00c9|local caf\u00e9|SO|CAF\u00c9",
                  u"\u0414\u0410||\u0414\u0410|shared \u0414\u0410|-|S|\u0414\u0410",
                  u"\u0434\u0430|\u0434\u0430|\u0434\u0430|shared \u0434\u0430|local \u0434\u0430|SO|\u0434\u0430",
              }));

    EXPECT_EQ(ExpansionColumnText(false, true, u"Work"), u"Expands to (Local group: Work)");
    EXPECT_EQ(ExpansionColumnText(true, true, u"Work"), u"Expands to (Shared overriding local group: Work)");
    EXPECT_EQ(ExpansionColumnText(true, false, u"Work"), u"Expands to (Local group: Work overriding shared)");
}

TEST_P(DataTest, PrivateOrSharedChoiceRemembersTheAnswer) {
    EXPECT_EQ(ChooseStore(StoreAction::NewShortcut, false, rig.dialogs, rig.settings), kChoicePrivate);
    EXPECT_TRUE(rig.dialogs.requests.empty()) << "no question without a loaded shared store";

    rig.dialogs.choices = {kChoiceShared};
    EXPECT_EQ(ChooseStore(StoreAction::NewShortcut, true, rig.dialogs, rig.settings), kChoiceShared);
    EXPECT_EQ(rig.dialogs.requests[0].heading, u"Which kind do you want to create?");
    EXPECT_EQ(rig.dialogs.requests[0].preselected, kChoicePrivate);
    EXPECT_FALSE(rig.dialogs.requests[0].bothOffered);
    EXPECT_EQ(rig.settings.ReadInt(settings::SharedVsPrivateSelection), 1);

    rig.dialogs.choices = {kChoiceBoth, kChoiceCancelled};
    EXPECT_EQ(ChooseStore(StoreAction::DeleteMixed, true, rig.dialogs, rig.settings), kChoiceBoth);
    EXPECT_EQ(rig.dialogs.requests[1].title, u"Delete Shortcuts");
    EXPECT_EQ(rig.dialogs.requests[1].preselected, kChoiceShared);
    EXPECT_EQ(rig.settings.ReadInt(settings::SharedVsPrivateSelection), 2);
    // "Both" saved, but editing does not offer it: private is preselected.
    EXPECT_EQ(ChooseStore(StoreAction::EditBoth, true, rig.dialogs, rig.settings), kChoiceCancelled);
    EXPECT_EQ(rig.dialogs.requests[2].preselected, kChoicePrivate);
    EXPECT_EQ(rig.dialogs.requests[2].text, u"This shortcut exists in both your private and shared data.");
    EXPECT_EQ(rig.settings.ReadInt(settings::SharedVsPrivateSelection), 2) << "Cancel saves nothing";
}

TEST_P(DataTest, AWrongPasswordKeepsTheSharedFileUnchanged) {
    SharedRig s(rig, u"Secret");
    LoadLocalStore(rig.ctx, rig.stores);
    const auto sharedBefore = ReadAll(s.sharedFile);
    const auto localBefore = ReadAll(rig.folders.DefaultGroupFile());

    rig.dialogs.passwords = {false};
    EXPECT_NE(StoreResult::Saved, rig.Store(true, u"NEW", u"n"));
    EXPECT_EQ(rig.dialogs.expectedPasswords, std::vector<std::u16string>{u"Secret"});
    EXPECT_EQ(rig.TakeMessages(), u"E|Administrator Access Required|Only the Administrator may change the Shared Shortcuts.\n");
    EXPECT_EQ(ReadAll(s.sharedFile), sharedBefore);
    EXPECT_EQ(ReadAll(rig.folders.DefaultGroupFile()), localBefore);
    EXPECT_FALSE(rig.stores.local->Contains(u"NEW"));

    // Deleting a mixed selection without the password removes the local part only.
    rig.dialogs.passwords = {false};
    rig.prompt.Answer(0);  // the task-modal refusal's OK
    EXPECT_EQ(RemoveShortcuts(rig.ctx, rig.stores, rig.dialogs, {u"LOCAL"}, {u"SHARED"}), 1u);
    ASSERT_EQ(rig.prompt.asked.size(), 1u);
    EXPECT_EQ(rig.prompt.asked[0].text, u"Only the Administrator may delete from the Shared Shortcuts.");
    EXPECT_TRUE(rig.prompt.asked[0].taskModal);
    EXPECT_EQ(ReadAll(s.sharedFile), sharedBefore);
    EXPECT_FALSE(rig.stores.local->Contains(u"LOCAL"));

    // With the password the shared shortcut is saved and survives a reload.
    rig.dialogs.passwords = {true};
    EXPECT_EQ(StoreResult::Saved, rig.Store(true, u"NEW", u"n"));
    EXPECT_EQ(rig.Text(*s.SharedOnDisk(), u"NEW"), u"n");
    EXPECT_EQ(s.PasswordOnDisk(), u"Secret") << "the password record is written back";
    EXPECT_TRUE(rig.security.Granted(s.sharedFile));

    // Editing a local shortcut under a new keyword replaces the old one.
    EXPECT_EQ(StoreResult::Saved, rig.Store(false, u"BOTH2", u"edited", u"BOTH"));
    EXPECT_FALSE(rig.stores.local->Contains(u"BOTH"));
    EXPECT_EQ(rig.Text(*rig.stores.local, u"BOTH2"), u"edited");
}

// A row where a shared shortcut overrides a local one of other letter case:
// moving it moves the shared shortcut under the keyword the shared store
// holds, and editing the shared one under a new keyword renames that one.
TEST_P(DataTest, OverridingSharedRowsChangeTheSharedShortcutUnderItsOwnKeyword) {
    SharedRig s(rig);
    rig.MakeFile(rig.folders.DefaultGroupFile(), {{u"sig", u"local sig"}});
    rig.MakeFile(s.sharedFile, {{u"SIG", u"shared sig"}, {u"KEEP", u"k"}}, true);
    rig.settings.WriteBool(settings::SharedReplacesLocal, true);
    const size_t work = s.AddWorkGroup();
    LoadLocalStore(rig.ctx, rig.stores);
    ASSERT_TRUE(rig.stores.sharedLoaded);
    const auto rowFor = [&](std::u16string_view keyword) {
        for (auto& r : MergeForDisplay(*rig.stores.local, *rig.stores.shared, true, true))
            if (r.keyword == keyword) return r;
        ADD_FAILURE() << "no row " << U8(keyword);
        return DisplayRecord{};
    };

    // Editing the shared shortcut under a new keyword.
    EXPECT_EQ(StoreResult::Saved, rig.Store(true, u"SIGN", u"signed", rowFor(u"sig").sharedKeyword));
    EXPECT_FALSE(s.SharedOnDisk()->Contains(u"SIG"));
    EXPECT_EQ(rig.Text(*s.SharedOnDisk(), u"SIGN"), u"signed");
    EXPECT_EQ(rig.Text(*rig.stores.local, u"sig"), u"local sig");

    // Moving the overriding row of a shared SIG that is back in place.
    rig.MakeFile(s.sharedFile, {{u"SIG", u"shared sig"}, {u"KEEP", u"k"}}, true);
    LoadLocalStore(rig.ctx, rig.stores);
    rig.TakeMessages();
    const auto r = TransferShortcuts(rig.ctx, rig.stores, rig.dialogs, TransferMode::Move, work,
                                     {TransferItemFor(rowFor(u"sig"))});
    EXPECT_EQ(r.written, std::vector<std::u16string>{u"SIG"});
    EXPECT_EQ(rig.TakeMessages(), u"I|Moved|Shortcut moved successfully.\n");
    EXPECT_EQ(rig.Text(*rig.Load(s.workFile), u"SIG"), u"shared sig");
    EXPECT_FALSE(s.SharedOnDisk()->Contains(u"SIG"));
    EXPECT_TRUE(s.SharedOnDisk()->Contains(u"KEEP"));
    EXPECT_EQ(rig.Text(*rig.stores.local, u"sig"), u"local sig") << "the local shortcut it overrode stays";
}

TEST_P(DataTest, OptionsPageValidatesAndChangesThePassword) {
    SharedRig s(rig);
    rig.UseShared(u"", false);
    SharedOptionsPage page;

    SharedOptionsForm form = OpenSharedOptions(rig.ctx);
    EXPECT_EQ(form.path, s.sharedFile);
    EXPECT_FALSE(form.enabled);
    EXPECT_TRUE(rig.security.Granted(s.sharedFile));
    SharedOptionsEnabling en = SharedOptionsFieldsEnabled(form, page);
    EXPECT_FALSE(en.path || en.newPassword || en.oldPassword);

    // A missing file is refused and shared shortcuts stay off.
    form.enabled = true;
    form.path = rig.Sub(u"missing.dat");
    EXPECT_FALSE(ApplySharedOptions(rig.ctx, page, form, rig.dialogs));
    EXPECT_FALSE(form.enabled);
    EXPECT_FALSE(rig.settings.ReadBool(settings::SharedEnabled));
    EXPECT_EQ(rig.TakeMessages(), kNotFound);

    // No stored password: any old-password text is accepted.
    form.enabled = true;
    form.path = s.sharedFile;
    form.overrideLocal = true;
    form.oldPassword = u"anything";
    form.newPassword = form.confirmPassword = u"Admin1";
    EXPECT_TRUE(ApplySharedOptions(rig.ctx, page, form, rig.dialogs));
    EXPECT_TRUE(rig.settings.ReadBool(settings::SharedEnabled));
    EXPECT_TRUE(rig.settings.ReadBool(settings::SharedReplacesLocal));
    EXPECT_EQ(rig.settings.Read(settings::SharedPath), s.sharedFile);
    EXPECT_EQ(s.PasswordOnDisk(), u"Admin1");
    EXPECT_EQ(rig.Text(*s.SharedOnDisk(), u"SHARED"), u"shared text");
    EXPECT_TRUE(SharedOptionsFieldsEnabled(form, page).oldPassword);

    // A wrong old password, or a confirmation that differs, is refused and
    // its field cleared; the file stays.
    const auto before = ReadAll(s.sharedFile);
    form.oldPassword = u"admin1";
    form.newPassword = form.confirmPassword = u"Other";
    EXPECT_FALSE(ApplySharedOptions(rig.ctx, page, form, rig.dialogs));
    EXPECT_TRUE(form.oldPassword.empty());
    form.oldPassword = u"Admin1";
    form.confirmPassword = u"Othre";
    EXPECT_FALSE(ApplySharedOptions(rig.ctx, page, form, rig.dialogs));
    EXPECT_TRUE(form.confirmPassword.empty());
    EXPECT_EQ(rig.dialogs.notices, (std::vector<std::u16string>{
                                       u"1|Incorrect Old Password|Please enter the current Administrator's password.",
                                       u"3|Passwords do not match|Please re-enter the new password."}));
    EXPECT_EQ(ReadAll(s.sharedFile), before);

    // Another user adds a shortcut meanwhile; removing the password keeps it.
    StoreRef other = s.SharedOnDisk();
    other->Insert(u"THEIRS", TextEntry(u"t"));
    ASSERT_TRUE(SaveSharedFile(*other, s.sharedFile, rig.io, rig.ctx.fs));
    form.oldPassword = u"Admin1";
    form.newPassword = form.confirmPassword = u"";
    EXPECT_TRUE(ApplySharedOptions(rig.ctx, page, form, rig.dialogs));
    EXPECT_EQ(s.PasswordOnDisk(), u"");
    EXPECT_EQ(rig.Text(*s.SharedOnDisk(), u"THEIRS"), u"t");
}

// A save writes the new file beside the old and moves it into place.
struct ShareFolder {
    testing::ScratchDir dir;
    FileSystem& fs = SystemFileSystem();
    const std::u16string folder = dir.Path("share"), path = JoinPath(folder, u"shared_abbrev.dat");
    StoreRef store = ShortcutStore::Create();
    ShareFolder() {
        EXPECT_TRUE(fs.MakeFolder(folder));
        store->SetCarriesPassword(true);
    }
};

TEST(SharedFileSave, ReplacesTheFileAndLeavesNothingBesideIt) {
    ShareFolder share;
    DatabaseIo io = SystemDatabaseIo();
    share.store->SetAdminPassword(u"pw");
    for (int version = 1; version <= 3; ++version) {
        share.store->Insert(u"V", TextEntry(U16(std::to_string(version))));
        ASSERT_TRUE(SaveSharedFile(*share.store, share.path, io, share.fs));
        EXPECT_EQ(share.fs.ListFiles(share.folder), std::vector<std::u16string>{u"shared_abbrev.dat"});
        StoreRef back = ShortcutStore::Create();
        uint32_t n = 0;
        ASSERT_EQ(ShortcutStore::Load(*back, share.path, true, n, io), LoadOk);
        EXPECT_EQ(testing::PlainOf(*back, u"V"), U16(std::to_string(version)));
        EXPECT_EQ(n, 2u);
    }
    EXPECT_FALSE(SaveSharedFile(*share.store, JoinPath(share.dir.Path("none"), u"x.dat"), io, share.fs));
}

// A save that crashed between writing and moving left its staged file on the
// share. The next save removes such files once they are clearly abandoned
// (an hour older than its own), and nothing else: not a save in progress,
// not other names, not other folders.
TEST(SharedFileSave, RemovesStagedFilesThatEarlierSavesAbandoned) {
    namespace fsys = std::filesystem;
    using std::chrono::minutes;
    ShareFolder share;
    const std::u16string other = share.dir.Path("other");
    ASSERT_TRUE(share.fs.MakeFolder(other));
    const auto now = fsys::file_time_type::clock::now();
    const auto make = [&](const std::u16string& in, const char16_t* name, minutes age) {
        const std::u16string p = JoinPath(in, name);
        WriteAll(p, {1, 2, 3});
        fsys::last_write_time(testing::FsPath(p), now - age);
    };
    make(share.folder, u"kx1A2B.tmp", minutes(120));       // abandoned
    make(share.folder, u"kx7f.tmp", minutes(90));          // abandoned
    make(share.folder, u"KX00C3.TMP.TEMP", minutes(300));  // the writer's copy of an abandoned one
    make(share.folder, u"kx4C5D.tmp", minutes(2));         // another user's save, still going
    make(share.folder, u"kx.tmp", minutes(600));           // not a name a save uses
    make(share.folder, u"kxnotes.txt", minutes(600));
    make(share.folder, u"report.tmp", minutes(600));
    make(other, u"kx1A2B.tmp", minutes(600));              // another folder

    share.store->Insert(u"A", TextEntry(u"a"));
    ASSERT_TRUE(SaveSharedFile(*share.store, share.path, SystemDatabaseIo(), share.fs));
    auto left = share.fs.ListFiles(share.folder);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::u16string>{u"kx.tmp", u"kx4C5D.tmp", u"kxnotes.txt", u"report.tmp",
                                                 u"shared_abbrev.dat"}));
    EXPECT_EQ(share.fs.ListFiles(other), std::vector<std::u16string>{u"kx1A2B.tmp"});
}

// Readers that keep the file open past the retry budget: the save gives up,
// says so, leaves the old file whole and takes its staged file away.
TEST(SharedFileSave, RunningOutOfRetriesKeepsTheOldFile) {
    ShareFolder share;
    FakeClock clock;
    DatabaseIo io{SystemFileMapping(), clock};
    share.store->Insert(u"OLD", TextEntry(u"old"));
    ASSERT_TRUE(SaveSharedFile(*share.store, share.path, io, share.fs));
    const auto before = ReadAll(share.path);

    LockedFiles busy;
    busy.locked = share.path;
    busy.moveError = FileError::SharingViolation;
    share.store->Insert(u"NEW", TextEntry(u"new"));
    const uint32_t start = clock.TickMs();
    EXPECT_FALSE(SaveSharedFile(*share.store, share.path, io, busy, 500));
    EXPECT_GT(busy.moves, 1);
    EXPECT_LE(clock.TickMs() - start, 500u);
    EXPECT_GT(clock.TickMs() - start, 250u) << "it waited for most of its budget";
    EXPECT_EQ(ReadAll(share.path), before);
    EXPECT_EQ(busy.ListFiles(share.folder), std::vector<std::u16string>{u"shared_abbrev.dat"});

    // Through the save every change uses, the user hears of it.
    MemoryRegistry reg;
    DataRig rig(reg);
    DataContext ctx{rig.settings, rig.folders, busy, rig.security, io, rig.prompt};
    EXPECT_FALSE(SaveSharedWithNotice(ctx, *share.store, share.path));
    EXPECT_EQ(rig.TakeMessages(), u"E|File Save Error|Failed to save file!\n");
    EXPECT_EQ(ReadAll(share.path), before);
}

// Another user's program adds "Sig" to the shared file after the editor
// checked the keyword: the insert of "SIG" finds it when it reloads, under
// the same lock, and refuses instead of saving two shortcuts that differ
// only in case. Nothing changes, so the editor can ask for another keyword.
TEST_P(DataTest, AKeywordTakenSinceTheEditorsCheckIsReportedInUse) {
    SharedRig s(rig);
    LoadLocalStore(rig.ctx, rig.stores);
    rig.MakeFile(s.sharedFile, {{u"SHARED", u"shared text"}, {u"Sig", u"someone else's"}}, true);
    const auto before = ReadAll(s.sharedFile);
    EXPECT_EQ(rig.Store(true, u"SIG", u"mine"), StoreResult::KeywordInUse);
    EXPECT_EQ(ReadAll(s.sharedFile), before);
    EXPECT_FALSE(rig.stores.shared->Contains(u"SIG"));

    // Renaming a shortcut onto another one's keyword, beyond ASCII letters.
    rig.MakeFile(rig.folders.DefaultGroupFile(), {{u"\u00C4RGER", u"a"}, {u"OLD", u"o"}});
    LoadLocalStore(rig.ctx, rig.stores);
    EXPECT_EQ(rig.Store(false, u"\u00E4rger", u"x", u"OLD"), StoreResult::KeywordInUse);
    EXPECT_EQ(rig.Text(*rig.stores.local, u"OLD"), u"o") << "the edited shortcut stays";
    // Its own keyword in other letter case is no conflict, and macros compare exactly.
    EXPECT_EQ(rig.Store(false, u"old", u"o2", u"OLD"), StoreResult::Saved);
    EXPECT_FALSE(rig.stores.local->Contains(u"OLD"));
    EXPECT_EQ(StoreShortcut(rig.ctx, rig.stores, rig.dialogs, false, u"\u00E4RGER",
                            ShortcutEntry::Make(ShortcutKind::Macro, u"m")),
              StoreResult::Saved);
}

// Two threads insert the same keyword in different case over and over:
// exactly one of them may win each round.
TEST(ShortcutStoreInsert, UniqueInsertsFromTwoThreadsNeverBothSucceed) {
    for (int round = 0; round < 300; ++round) {
        StoreRef store = ShortcutStore::Create();
        std::atomic<int> inserted{0};
        auto run = [&](std::u16string_view k) {
            inserted += store->InsertUnique(k, TextEntry(u"t"), u"", true) == ShortcutStore::InsertResult::Inserted;
        };
        std::thread a(run, u"sig"), b(run, u"SIG");
        a.join();
        b.join();
        ASSERT_EQ(inserted.load(), 1);
        ASSERT_EQ(store->Size(), 1u);
    }
}

// The password dialog's message loop runs the shared file's timed reload;
// here the reload finds shared shortcuts turned off meanwhile, which leaves the
// store's old contents in place but no longer loaded.
TEST_P(DataTest, ASharedStoreUnloadedDuringThePasswordQuestionIsNotSaved) {
    SharedRig s(rig, u"pw");
    const size_t work = s.AddWorkGroup();
    const auto before = ReadAll(s.sharedFile);
    rig.dialogs.duringPassword = [&] {
        rig.settings.WriteBool(settings::SharedEnabled, false);
        LoadSharedStore(rig.ctx, rig.stores);
    };
    const auto again = [&] {
        s.Enable(true);
        LoadLocalStore(rig.ctx, rig.stores);
        ASSERT_TRUE(rig.stores.sharedLoaded);
        rig.dialogs.passwords = {true};
    };

    again();
    EXPECT_EQ(rig.Store(true, u"NEW", u"n", u"SHARED"), StoreResult::NotSaved);
    EXPECT_EQ(ReadAll(s.sharedFile), before);

    again();
    EXPECT_EQ(RemoveShortcuts(rig.ctx, rig.stores, rig.dialogs, {u"LOCAL"}, {u"SHARED"}), 1u);
    EXPECT_EQ(ReadAll(s.sharedFile), before);
    EXPECT_FALSE(rig.stores.local->Contains(u"LOCAL"));

    again();
    EntryRef shared;
    ASSERT_TRUE(rig.stores.shared->Find(u"SHARED", shared));
    const auto r = TransferShortcuts(rig.ctx, rig.stores, rig.dialogs, TransferMode::Move, work,
                                     {TransferItem{u"SHARED", shared, true}});
    EXPECT_EQ(r.written, std::vector<std::u16string>{u"SHARED"});
    EXPECT_EQ(ReadAll(s.sharedFile), before) << "the moved shortcut stays in the shared file";
    rig.TakeMessages();
}

// Another user's share as the watcher sees it, on a fake clock: the file
// changes at the given times, and while its notices work the folder sends
// one for each change and, when busy, one for some other file every
// `noiseMs`. Its notices may stop for a while and Arm fail until they return.
struct ShareScript {
    const char* name;
    bool notices;
    uint32_t noiseMs;
    std::vector<uint32_t> changes;  // ms after the start
    uint32_t lostAt = UINT32_MAX, backAt = 0;  // notices stop, and come back
};

struct ScriptedShare final : WatchedFile {
    FakeClock& clock;
    const ShareScript& s;
    const uint32_t start = clock.TickMs();
    bool armed = false;
    uint64_t stampReads = 0;

    ScriptedShare(FakeClock& c, const ShareScript& script) : clock(c), s(script) {}
    uint32_t Elapsed() const { return clock.TickMs() - start; }
    bool Arm() override { return armed = s.notices && !(Elapsed() >= s.lostAt && Elapsed() < s.backAt); }
    FolderNotice Wait(uint32_t ms) override {
        const uint32_t now = Elapsed(), end = now + ms;
        uint32_t next = end;
        FolderNotice what = FolderNotice::Quiet;
        auto consider = [&](uint32_t t, FolderNotice n) {
            if (armed && t > now && t <= end && (t < next || what == FolderNotice::Quiet)) next = t, what = n;
        };
        for (uint32_t c : s.changes) consider(c, FolderNotice::Changed);
        if (s.noiseMs) consider((now / s.noiseMs + 1) * s.noiseMs, FolderNotice::Changed);
        consider(s.lostAt, FolderNotice::Lost);
        if (what == FolderNotice::Lost) armed = false;
        clock.Advance(next - now);
        return what;
    }
    void Wake() override {}
    FileStamp Stamp() override {
        ++stampReads;
        FileStamp stamp;
        for (uint32_t c : s.changes) stamp.writeTime += c <= Elapsed();
        return stamp;
    }
};

std::vector<uint32_t> Every(uint32_t firstMs, uint32_t stepMs, uint32_t untilMs) {
    std::vector<uint32_t> t;
    for (uint32_t at = firstMs; at < untilMs; at += stepMs) t.push_back(at);
    return t;
}

// An hour of watching: every change is seen within 1 s where notices work
// and within 10 s where they do not, and the server is asked for the stamp
// about every 10 s (3,600 times an hour in all from a thousand users), not
// every 300 ms.
TEST(SharedFileWatch, SeesEveryChangeInTimeAndAsksTheServerRarely) {
    constexpr uint32_t kHour = 3600 * 1000;
    const ShareScript cases[] = {
        {"nothing changes", true, 0, {}},
        // Changes a little more than a minute apart, so that the 10 s
        // fallback never happens to fall just after one.
        {"a change a minute", true, 0, Every(12345, 61234, kHour)},
        {"a folder busy with other files", true, 50, Every(12345, 61234, kHour)},
        {"a server without notices", false, 0, Every(4321, 7 * 61234, kHour)},
        {"notices stop for 20 minutes", true, 0, Every(1111, 3 * 61234, kHour), 20 * 60000, 40 * 60000},
    };
    for (const ShareScript& c : cases) {
        FakeClock clock;
        ScriptedShare share(clock, c);
        std::vector<uint32_t> seen;
        const uint64_t reads = WatchSharedFile(
            share, clock, FileStamp{}, [&] { seen.push_back(share.Elapsed()); },
            [&] { return share.Elapsed() >= kHour; });
        EXPECT_EQ(reads, share.stampReads) << c.name;
        // One read every 10 s and one per change; in a busy folder one per
        // 750 ms at most.
        EXPECT_LE(reads, c.noiseMs ? kHour / 750 : 360 + c.changes.size()) << c.name;
        EXPECT_GE(reads, 360u) << c.name;
        ASSERT_EQ(seen.size(), c.changes.size()) << c.name;
        for (size_t i = 0; i < seen.size(); ++i) {
            const uint32_t at = c.changes[i];
            const bool noticed = c.notices && !(at >= c.lostAt && at < c.backAt);
            EXPECT_LE(seen[i] - at, noticed ? 1000u : 10000u) << c.name << ", change " << i;
        }
    }
}

}  // namespace
}  // namespace kx::test
