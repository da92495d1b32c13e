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
#include "core/shortcut_changes.h"
#include "core/store_choice.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/memory_registry.h"
#include "tests/support/data_rig.h"

namespace kx::test {
namespace {

using testing::ReadAll;
using testing::WriteAll;

// Starts with a Default group holding LOCAL, and a shared file holding SHARED.
struct SharedRig {
    DataRig& rig;
    std::u16string sharedFile;

    explicit SharedRig(DataRig& r, std::u16string_view password = {}) : rig(r) {
        ChooseStartupGroup(rig.ctx);
        RelocateDataAtStartup(rig.ctx);
        rig.MakeFile(rig.folders.DefaultGroupFile(), {{u"LOCAL", u"local text"}, {u"BOTH", u"local both"}});
        sharedFile = rig.folders.DefaultSharedFile();
        rig.MakeFile(sharedFile, {{u"SHARED", u"shared text"}, {u"BOTH", u"shared both"}}, true, password);
        Enable(true);
    }
    void Enable(bool on) {
        rig.settings.WriteBool(settings::SharedEnabled, on);
        rig.settings.Write(settings::SharedPath, sharedFile);
    }
    StoreRef SharedOnDisk() {
        StoreRef s = ShortcutStore::Create();
        uint32_t n = 0;
        EXPECT_EQ(ShortcutStore::Load(*s, sharedFile, true, n, rig.io), LoadOk);
        return s;
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

    testing::Bytes bad = testing::Header(1);
    testing::PutRecord(bad, {1, 9, "K", "", "x"});
    testing::Seal(bad, 1024);
    WriteAll(s.sharedFile, bad);
    LoadLocalStore(rig.ctx, rig.stores);
    EXPECT_FALSE(rig.stores.sharedLoaded);
    EXPECT_EQ(rig.TakeMessages(), u"E|Load Shortcuts|Shared shortcut file is corrupt.\nShared shortcuts will be disabled."
                                  u"\nA copy of the damaged file was kept as " + s.sharedFile + u".damaged.\n");
    EXPECT_FALSE(rig.settings.ReadBool(settings::SharedEnabled));
    EXPECT_EQ(ReadAll(s.sharedFile), bad);
    EXPECT_EQ(ReadAll(s.sharedFile + u".damaged"), bad);
    // Nothing saves the (empty) shared store over the damaged file.
    s.Enable(true);
    EXPECT_NE(StoreResult::Saved, StoreShortcut(rig.ctx, rig.stores, rig.dialogs, true, u"NEW",
                               ShortcutEntry::Make(ShortcutKind::SimpleText, u"n")));
    EXPECT_FALSE(rig.stores.sharedLoaded);
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
    EXPECT_EQ(rig.TakeMessages(), u"W|Load Shortcuts|Shared shortcut file not found.\nShared shortcuts will be disabled.\n");
    EXPECT_FALSE(rig.stores.sharedLoaded);
    EXPECT_EQ(rig.stores.shared->Size(), 0u);
    EXPECT_EQ(rig.Text(*rig.stores.local, u"LOCAL"), u"local text");
    rig.stores.shared = ShortcutStore::Create();

    s.Enable(true);
    rig.settings.Write(settings::SharedPath, rig.Sub(u"missing.dat"));
    LoadLocalStore(rig.ctx, rig.stores);
    EXPECT_EQ(rig.TakeMessages(), u"W|Load Shortcuts|Shared shortcut file not found.\nShared shortcuts will be disabled.\n");
    EXPECT_FALSE(rig.settings.ReadBool(settings::SharedEnabled));
    EXPECT_FALSE(rig.stores.sharedLoaded);
}

// Whoever can write the shared file decides its size, and every user's
// program would read all of it: past the cap it is not read, and nothing is
// saved over it.
TEST_P(DataTest, ASharedFileOverTheCapIsRefusedAndKept) {
    SharedRig s(rig);
    std::filesystem::resize_file(std::filesystem::path(s.sharedFile), kMaxSharedFileBytes);  // zero padding
    LoadLocalStore(rig.ctx, rig.stores);
    EXPECT_TRUE(rig.stores.sharedLoaded);
    EXPECT_EQ(rig.Text(*rig.stores.shared, u"SHARED"), u"shared text");

    std::filesystem::resize_file(std::filesystem::path(s.sharedFile), kMaxSharedFileBytes + 1);
    LoadLocalStore(rig.ctx, rig.stores);
    EXPECT_FALSE(rig.stores.sharedLoaded);
    EXPECT_EQ(rig.stores.shared->Size(), 0u);
    EXPECT_EQ(rig.TakeMessages(), u"E|Load Shortcuts|" + std::u16string(kSharedFileTooLarge) + u"\n");
    EXPECT_FALSE(rig.settings.ReadBool(settings::SharedEnabled));
    s.Enable(true);
    EXPECT_NE(StoreResult::Saved, StoreShortcut(rig.ctx, rig.stores, rig.dialogs, true, u"NEW",
                                                ShortcutEntry::Make(ShortcutKind::SimpleText, u"n")));
    EXPECT_EQ(std::filesystem::file_size(std::filesystem::path(s.sharedFile)), kMaxSharedFileBytes + 1);
    rig.TakeMessages();

    // The options page refuses it the same way.
    SharedOptionsPage page;
    EXPECT_FALSE(ValidateSharedPath(rig.ctx, page, s.sharedFile));
    EXPECT_EQ(rig.TakeMessages(), u"E|Load Shortcuts|" + std::u16string(kSharedFileTooLarge) + u"\n");
}

TEST(DisplayRecords, OneRowPerKeywordIgnoringCaseWithTheWinnerShown) {
    StoreRef local = ShortcutStore::Create(), shared = ShortcutStore::Create();
    local->Insert(u"sig", ShortcutEntry::Make(ShortcutKind::SimpleText, u"local sig"));
    local->Insert(u"ONLYLOCAL", ShortcutEntry::Make(ShortcutKind::SimpleText, u"l"));
    shared->Insert(u"SIG", ShortcutEntry::Make(ShortcutKind::SimpleText, u"shared sig"));
    shared->Insert(u"ONLYSHARED", ShortcutEntry::Make(ShortcutKind::SimpleText, u"s"));
    shared->Insert(u"onlyshared", ShortcutEntry::Make(ShortcutKind::SimpleText, u"s2"));

    auto find = [](const std::vector<DisplayRecord>& rows, std::u16string_view k) -> const DisplayRecord* {
        for (auto& r : rows) if (EqualsNoCaseAscii(r.keyword, k)) return &r;
        return nullptr;
    };

    auto off = MergeForDisplay(*local, *shared, false, true);
    ASSERT_EQ(off.size(), 2u);
    EXPECT_EQ(find(off, u"sig")->origin, OriginLocal);

    auto localWins = MergeForDisplay(*local, *shared, true, false);
    ASSERT_EQ(localWins.size(), 4u) << "ONLYSHARED and onlyshared are two rows";
    const DisplayRecord* sig = find(localWins, u"sig");
    EXPECT_EQ(sig->origin, OriginLocal | OriginOverriding);
    EXPECT_EQ(sig->expansion->plainText, u"local sig");
    EXPECT_EQ(sig->overridden->plainText, u"shared sig");
    EXPECT_EQ(find(localWins, u"ONLYSHARED")->origin, OriginShared);
    EXPECT_FALSE(find(localWins, u"ONLYSHARED")->overridden);
    EXPECT_EQ(find(localWins, u"ONLYLOCAL")->origin, OriginLocal);

    auto sharedWins = MergeForDisplay(*local, *shared, true, true);
    sig = find(sharedWins, u"sig");
    EXPECT_EQ(sig->origin, OriginShared | OriginOverriding);
    EXPECT_EQ(sig->expansion->plainText, u"shared sig");
    EXPECT_EQ(sig->overridden->plainText, u"local sig");

    EXPECT_EQ(sig->localKeyword, u"sig");
    EXPECT_EQ(sig->sharedKeyword, u"SIG");
    EXPECT_EQ(WinningKeyword(*sig), u"SIG");
    EXPECT_EQ(WinningKeyword(*find(localWins, u"sig")), u"sig");

    EXPECT_EQ(ExpansionColumnText(false, true, u"Work"), u"Expands to (Local group: Work)");
    EXPECT_EQ(ExpansionColumnText(true, true, u"Work"), u"Expands to (Shared overriding local group: Work)");
    EXPECT_EQ(ExpansionColumnText(true, false, u"Work"), u"Expands to (Local group: Work overriding shared)");
}

// Keywords of the list compare without regard to the case of any letter;
// each local row takes one shared shortcut, its own letters first, and a
// further shared keyword differing in case alone is a row of its own.
TEST(DisplayRecords, EveryLetterIgnoresCaseAndNoSharedShortcutIsDropped) {
    StoreRef local = ShortcutStore::Create(), shared = ShortcutStore::Create();
    const auto text = [](const char16_t* t) { return ShortcutEntry::Make(ShortcutKind::SimpleText, t); };
    local->Insert(u"caf\u00e9", text(u"local caf\u00e9"));
    shared->Insert(u"CAF\u00c9", text(u"shared CAF\u00c9"));
    local->Insert(u"\u0434\u0430", text(u"local \u0434\u0430"));
    shared->Insert(u"\u0414\u0410", text(u"shared \u0414\u0410"));
    shared->Insert(u"\u0434\u0430", text(u"shared \u0434\u0430"));
    shared->Insert(u"TAG", text(u"shared TAG"));
    shared->Insert(u"Tag", text(u"shared Tag"));

    const auto rows = MergeForDisplay(*local, *shared, true, true);
    std::vector<std::u16string> seen;
    for (const auto& r : rows)
        seen.push_back(r.keyword + u"|" + r.localKeyword + u"|" + r.sharedKeyword + u"|" + r.expansion->plainText +
                       u"|" + (r.overridden ? r.overridden->plainText : u"-"));
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::u16string>{
                        u"TAG||TAG|shared TAG|-",
                        u"Tag||Tag|shared Tag|-",
                        u"caf\u00e9|caf\u00e9|CAF\u00c9|shared CAF\u00c9|local caf\u00e9",
                        u"\u0414\u0410||\u0414\u0410|shared \u0414\u0410|-",
                        u"\u0434\u0430|\u0434\u0430|\u0434\u0430|shared \u0434\u0430|local \u0434\u0430",
                    }));
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
    EXPECT_NE(StoreResult::Saved, StoreShortcut(rig.ctx, rig.stores, rig.dialogs, true, u"NEW",
                               ShortcutEntry::Make(ShortcutKind::SimpleText, u"n")));
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
    EXPECT_EQ(StoreResult::Saved, StoreShortcut(rig.ctx, rig.stores, rig.dialogs, true, u"NEW",
                              ShortcutEntry::Make(ShortcutKind::SimpleText, u"n")));
    EXPECT_EQ(rig.Text(*s.SharedOnDisk(), u"NEW"), u"n");
    std::u16string pw;
    s.SharedOnDisk()->GetAdminPassword(pw);
    EXPECT_EQ(pw, u"Secret") << "the password record is written back";
    EXPECT_TRUE(rig.security.Granted(s.sharedFile));

    // Editing a local shortcut under a new keyword replaces the old one.
    EXPECT_EQ(StoreResult::Saved, StoreShortcut(rig.ctx, rig.stores, rig.dialogs, false, u"BOTH2",
                              ShortcutEntry::Make(ShortcutKind::SimpleText, u"edited"), u"BOTH"));
    EXPECT_FALSE(rig.stores.local->Contains(u"BOTH"));
    EXPECT_EQ(rig.Text(*rig.stores.local, u"BOTH2"), u"edited");
}

// Another administrator removes the password from the shared file (or puts
// a file without one in its place): the next load must not keep the old
// password, which the next save would write into the file.
TEST_P(DataTest, ReloadingASharedFileWithoutAPasswordForgetsTheOldOne) {
    SharedRig s(rig, u"Old");
    LoadLocalStore(rig.ctx, rig.stores);
    std::u16string pw;
    ASSERT_TRUE(rig.stores.shared->GetAdminPassword(pw));
    ASSERT_EQ(pw, u"Old");

    rig.MakeFile(s.sharedFile, {{u"SHARED", u"shared text"}});  // no password record
    EXPECT_EQ(StoreResult::Saved, StoreShortcut(rig.ctx, rig.stores, rig.dialogs, true, u"NEW",
                              ShortcutEntry::Make(ShortcutKind::SimpleText, u"n")));
    EXPECT_TRUE(rig.dialogs.expectedPasswords.empty()) << "no password is asked for";
    StoreRef onDisk = s.SharedOnDisk();
    EXPECT_EQ(rig.Text(*onDisk, u"NEW"), u"n");
    onDisk->GetAdminPassword(pw);
    EXPECT_EQ(pw, u"");
}

// A row where a shared shortcut overrides a local one of other letter case:
// moving it moves the shared shortcut under the keyword the shared store
// holds, and editing the shared one under a new keyword renames that one.
TEST_P(DataTest, OverridingSharedRowsChangeTheSharedShortcutUnderItsOwnKeyword) {
    SharedRig s(rig);
    rig.MakeFile(rig.folders.DefaultGroupFile(), {{u"sig", u"local sig"}});
    rig.MakeFile(s.sharedFile, {{u"SIG", u"shared sig"}, {u"KEEP", u"k"}}, true);
    rig.settings.WriteBool(settings::SharedReplacesLocal, true);
    const std::u16string workFile = rig.Sub(u"work.dat");
    rig.MakeFile(workFile, {});
    auto groups = rig.Groups();
    groups.Register(u"Work", workFile);
    LoadLocalStore(rig.ctx, rig.stores);
    ASSERT_TRUE(rig.stores.sharedLoaded);

    const auto rowFor = [&](std::u16string_view keyword) {
        for (auto& r : MergeForDisplay(*rig.stores.local, *rig.stores.shared, true, true))
            if (r.keyword == keyword) return r;
        ADD_FAILURE() << "no row " << U8(keyword);
        return DisplayRecord{};
    };
    const DisplayRecord row = rowFor(u"sig");
    ASSERT_EQ(row.origin, OriginShared | OriginOverriding);

    // Editing the shared shortcut under a new keyword.
    EXPECT_EQ(StoreResult::Saved, StoreShortcut(rig.ctx, rig.stores, rig.dialogs, true, u"SIGN",
                              ShortcutEntry::Make(ShortcutKind::SimpleText, u"signed"), row.sharedKeyword));
    EXPECT_FALSE(s.SharedOnDisk()->Contains(u"SIG"));
    EXPECT_EQ(rig.Text(*s.SharedOnDisk(), u"SIGN"), u"signed");
    EXPECT_EQ(rig.Text(*rig.stores.local, u"sig"), u"local sig");

    // Moving the overriding row of a shared SIG that is back in place.
    rig.MakeFile(s.sharedFile, {{u"SIG", u"shared sig"}, {u"KEEP", u"k"}}, true);
    LoadLocalStore(rig.ctx, rig.stores);
    size_t workIndex = 0;
    for (const auto& t : TransferTargets(groups)) if (t.name == u"Work") workIndex = t.index;
    rig.TakeMessages();
    const auto r = TransferShortcuts(rig.ctx, rig.stores, rig.dialogs, TransferMode::Move, workIndex,
                                     {TransferItemFor(rowFor(u"sig"))});
    EXPECT_EQ(r.written, std::vector<std::u16string>{u"SIG"});
    EXPECT_EQ(rig.TakeMessages(), u"I|Moved|Shortcut moved successfully.\n");
    StoreRef work = ShortcutStore::Create();
    uint32_t n = 0;
    ASSERT_EQ(ShortcutStore::Load(*work, workFile, false, n, rig.io), LoadOk);
    EXPECT_EQ(rig.Text(*work, u"SIG"), u"shared sig");
    EXPECT_FALSE(s.SharedOnDisk()->Contains(u"SIG"));
    EXPECT_TRUE(s.SharedOnDisk()->Contains(u"KEEP"));
    EXPECT_EQ(rig.Text(*rig.stores.local, u"sig"), u"local sig") << "the local shortcut it overrode stays";
}

TEST_P(DataTest, NothingIsSavedIntoASharedStoreThatDidNotLoad) {
    SharedRig s(rig);
    LoadLocalStore(rig.ctx, rig.stores);
    ASSERT_TRUE(rig.stores.sharedLoaded);
    const auto before = ReadAll(s.sharedFile);
    // The file is damaged between the list being shown and the new shortcut saved.
    testing::Bytes bad = testing::Header(1);
    testing::PutRecord(bad, {1, 7, "K", "", "x"});
    WriteAll(s.sharedFile, bad);
    EXPECT_NE(StoreResult::Saved, StoreShortcut(rig.ctx, rig.stores, rig.dialogs, true, u"NEW",
                               ShortcutEntry::Make(ShortcutKind::SimpleText, u"n")));
    EXPECT_EQ(ReadAll(s.sharedFile), bad);
    EXPECT_NE(ReadAll(s.sharedFile), before);
}

TEST_P(DataTest, OptionsPageValidatesAndChangesThePassword) {
    SharedRig s(rig);
    rig.settings.Write(settings::SharedPath, u"");
    rig.settings.WriteBool(settings::SharedEnabled, false);
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
    EXPECT_EQ(rig.TakeMessages(), u"W|Load Shortcuts|Shared shortcut file not found.\nShared shortcuts will be disabled.\n");

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
    std::u16string pw;
    s.SharedOnDisk()->GetAdminPassword(pw);
    EXPECT_EQ(pw, u"Admin1");
    EXPECT_EQ(rig.Text(*s.SharedOnDisk(), u"SHARED"), u"shared text");
    EXPECT_TRUE(SharedOptionsFieldsEnabled(form, page).oldPassword);

    // A wrong old password is refused and its field cleared; the file stays.
    const auto before = ReadAll(s.sharedFile);
    form.oldPassword = u"admin1";
    form.newPassword = form.confirmPassword = u"Other";
    EXPECT_FALSE(ApplySharedOptions(rig.ctx, page, form, rig.dialogs));
    EXPECT_TRUE(form.oldPassword.empty());
    ASSERT_EQ(rig.dialogs.notices.size(), 1u);
    EXPECT_EQ(rig.dialogs.notices[0], u"1|Incorrect Old Password|Please enter the current Administrator's password.");
    EXPECT_EQ(ReadAll(s.sharedFile), before);

    form.oldPassword = u"Admin1";
    form.confirmPassword = u"Othre";
    EXPECT_FALSE(ApplySharedOptions(rig.ctx, page, form, rig.dialogs));
    EXPECT_EQ(rig.dialogs.notices.at(1), u"3|Passwords do not match|Please re-enter the new password.");
    EXPECT_TRUE(form.confirmPassword.empty());
    EXPECT_EQ(ReadAll(s.sharedFile), before);

    // Another user adds a shortcut meanwhile; removing the password keeps it.
    StoreRef other = s.SharedOnDisk();
    other->Insert(u"THEIRS", ShortcutEntry::Make(ShortcutKind::SimpleText, u"t"));
    ASSERT_TRUE(SaveSharedFile(*other, s.sharedFile, rig.io, rig.ctx.fs));
    form.oldPassword = u"Admin1";
    form.newPassword = form.confirmPassword = u"";
    EXPECT_TRUE(ApplySharedOptions(rig.ctx, page, form, rig.dialogs));
    s.SharedOnDisk()->GetAdminPassword(pw);
    EXPECT_EQ(pw, u"");
    EXPECT_EQ(rig.Text(*s.SharedOnDisk(), u"THEIRS"), u"t");
}

TEST(SharedFileSave, ReplacesTheFileAndLeavesNothingBesideIt) {
    testing::ScratchDir dir;
    DatabaseIo io = SystemDatabaseIo();
    FileSystem& fs = SystemFileSystem();
    const std::u16string folder = dir.Path("share");
    ASSERT_TRUE(fs.MakeFolder(folder));
    const std::u16string path = JoinPath(folder, u"shared_abbrev.dat");
    StoreRef store = ShortcutStore::Create();
    store->SetCarriesPassword(true);
    store->SetAdminPassword(u"pw");
    for (int version = 1; version <= 3; ++version) {
        store->Insert(u"V", ShortcutEntry::Make(ShortcutKind::SimpleText, U16(std::to_string(version))));
        ASSERT_TRUE(SaveSharedFile(*store, path, io, fs));
        EXPECT_EQ(fs.ListFiles(folder), std::vector<std::u16string>{u"shared_abbrev.dat"});
        StoreRef back = ShortcutStore::Create();
        uint32_t n = 0;
        ASSERT_EQ(ShortcutStore::Load(*back, path, true, n, io), LoadOk);
        EXPECT_EQ(testing::PlainOf(*back, u"V"), U16(std::to_string(version)));
        EXPECT_EQ(n, 2u);
    }
    EXPECT_FALSE(SaveSharedFile(*store, JoinPath(dir.Path("none"), u"x.dat"), io, fs));
}

// A save that crashed between writing and moving left its staged file on the
// share. The next save removes such files once they are clearly abandoned
// (an hour older than its own), and nothing else: not a save in progress,
// not other names, not other folders.
TEST(SharedFileSave, RemovesStagedFilesThatEarlierSavesAbandoned) {
    namespace fsys = std::filesystem;
    testing::ScratchDir dir;
    DatabaseIo io = SystemDatabaseIo();
    FileSystem& fs = SystemFileSystem();
    const std::u16string folder = dir.Path("share"), other = dir.Path("other");
    ASSERT_TRUE(fs.MakeFolder(folder));
    ASSERT_TRUE(fs.MakeFolder(other));
    const auto now = fsys::file_time_type::clock::now();
    const auto make = [&](const std::u16string& in, const char16_t* name, std::chrono::minutes age) {
        const std::u16string p = JoinPath(in, name);
        WriteAll(p, {1, 2, 3});
        fsys::last_write_time(testing::FsPath(p), now - age);
    };
    using std::chrono::minutes;
    make(folder, u"kx1A2B.tmp", minutes(120));       // abandoned
    make(folder, u"kx7f.tmp", minutes(90));          // abandoned
    make(folder, u"KX00C3.TMP.TEMP", minutes(300));  // the writer's copy of an abandoned one
    make(folder, u"kx4C5D.tmp", minutes(2));         // another user's save, still going
    make(folder, u"kx.tmp", minutes(600));           // not a name a save uses
    make(folder, u"kxnotes.txt", minutes(600));
    make(folder, u"report.tmp", minutes(600));
    make(other, u"kx1A2B.tmp", minutes(600));        // another folder

    StoreRef store = ShortcutStore::Create();
    store->SetCarriesPassword(true);
    store->Insert(u"A", ShortcutEntry::Make(ShortcutKind::SimpleText, u"a"));
    const std::u16string path = JoinPath(folder, u"shared_abbrev.dat");
    ASSERT_TRUE(SaveSharedFile(*store, path, io, fs));

    auto left = fs.ListFiles(folder);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::u16string>{u"kx.tmp", u"kx4C5D.tmp", u"kxnotes.txt", u"report.tmp",
                                                 u"shared_abbrev.dat"}));
    EXPECT_EQ(fs.ListFiles(other), std::vector<std::u16string>{u"kx1A2B.tmp"});
}

// Readers that keep the file open past the retry budget: the save gives up,
// says so, leaves the old file whole and takes its staged file away.
TEST(SharedFileSave, RunningOutOfRetriesKeepsTheOldFile) {
    struct BusyShare final : FileSystem {
        FileSystem& inner = SystemFileSystem();
        int moves = 0;
        bool IsFolder(std::u16string_view p) override { return inner.IsFolder(p); }
        bool IsFile(std::u16string_view p) override { return inner.IsFile(p); }
        bool MakeFolder(std::u16string_view p) override { return inner.MakeFolder(p); }
        bool Copy(std::u16string_view a, std::u16string_view b, bool r) override { return inner.Copy(a, b, r); }
        std::vector<std::u16string> ListFiles(std::u16string_view f) override { return inner.ListFiles(f); }
        std::vector<std::u16string> ListFolders(std::u16string_view f) override { return inner.ListFolders(f); }
        bool FileSize(std::u16string_view p, uint64_t& n) override { return inner.FileSize(p, n); }
        bool Remove(std::u16string_view p) override { return inner.Remove(p); }
        bool LastWriteTime(std::u16string_view p, int64_t& s) override { return inner.LastWriteTime(p, s); }
        FileError MoveReplacing(std::u16string_view, std::u16string_view) override {
            ++moves;
            return FileError::SharingViolation;
        }
        std::u16string MakeUniqueFile(std::u16string_view f) override { return inner.MakeUniqueFile(f); }
    } busy;
    testing::ScratchDir dir;
    FakeClock clock;
    DatabaseIo io{SystemFileMapping(), clock};
    const std::u16string folder = dir.Path("share");
    ASSERT_TRUE(busy.MakeFolder(folder));
    const std::u16string path = JoinPath(folder, u"shared_abbrev.dat");
    StoreRef store = ShortcutStore::Create();
    store->SetCarriesPassword(true);
    store->Insert(u"OLD", ShortcutEntry::Make(ShortcutKind::SimpleText, u"old"));
    ASSERT_TRUE(SaveSharedFile(*store, path, io, SystemFileSystem()));
    const auto before = ReadAll(path);

    store->Insert(u"NEW", ShortcutEntry::Make(ShortcutKind::SimpleText, u"new"));
    const uint32_t start = clock.TickMs();
    EXPECT_FALSE(SaveSharedFile(*store, path, io, busy, 500));
    EXPECT_GT(busy.moves, 1);
    EXPECT_LE(clock.TickMs() - start, 500u);
    EXPECT_GT(clock.TickMs() - start, 250u) << "it waited for most of its budget";
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(busy.ListFiles(folder), std::vector<std::u16string>{u"shared_abbrev.dat"});

    // Through the save every change uses, the user hears of it.
    MemoryRegistry reg;
    DataRig rig(reg);
    DataContext ctx{rig.settings, rig.folders, busy, rig.security, io, rig.prompt};
    busy.moves = 0;
    EXPECT_FALSE(SaveSharedWithNotice(ctx, *store, path));
    EXPECT_EQ(rig.TakeMessages(), u"E|File Save Error|Failed to save file!\n");
    EXPECT_EQ(ReadAll(path), before);
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
    EXPECT_EQ(StoreShortcut(rig.ctx, rig.stores, rig.dialogs, true, u"SIG",
                            ShortcutEntry::Make(ShortcutKind::SimpleText, u"mine")),
              StoreResult::KeywordInUse);
    EXPECT_EQ(ReadAll(s.sharedFile), before);
    EXPECT_FALSE(rig.stores.shared->Contains(u"SIG"));

    // Renaming a shortcut onto another one's keyword, beyond ASCII letters.
    rig.MakeFile(rig.folders.DefaultGroupFile(), {{u"\u00C4RGER", u"a"}, {u"OLD", u"o"}});
    LoadLocalStore(rig.ctx, rig.stores);
    EXPECT_EQ(StoreShortcut(rig.ctx, rig.stores, rig.dialogs, false, u"\u00E4rger",
                            ShortcutEntry::Make(ShortcutKind::SimpleText, u"x"), u"OLD"),
              StoreResult::KeywordInUse);
    EXPECT_EQ(rig.Text(*rig.stores.local, u"OLD"), u"o") << "the edited shortcut stays";
    // Its own keyword in other letter case is no conflict, and macros compare exactly.
    EXPECT_EQ(StoreShortcut(rig.ctx, rig.stores, rig.dialogs, false, u"old",
                            ShortcutEntry::Make(ShortcutKind::SimpleText, u"o2"), u"OLD"),
              StoreResult::Saved);
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
            if (store->InsertUnique(k, ShortcutEntry::Make(ShortcutKind::SimpleText, u"t"), u"", true) ==
                ShortcutStore::InsertResult::Inserted)
                ++inserted;
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
struct ReloadDuringPassword final : SharedDialogs {
    DataRig& rig;
    explicit ReloadDuringPassword(DataRig& r) : rig(r) {}
    int ChooseStore(const StoreChoiceRequest&) override { return kChoicePrivate; }
    bool AskAdminPassword(std::u16string_view) override {
        rig.settings.WriteBool(settings::SharedEnabled, false);
        LoadSharedStore(rig.ctx, rig.stores);
        return true;
    }
    void ShowFieldNotice(SharedField, std::u16string_view, std::u16string_view) override {}
};

TEST_P(DataTest, ASharedStoreUnloadedDuringThePasswordQuestionIsNotSaved) {
    SharedRig s(rig, u"pw");
    const std::u16string workFile = rig.Sub(u"work.dat");
    rig.MakeFile(workFile, {});
    auto groups = rig.Groups();
    groups.Register(u"Work", workFile);
    const auto before = ReadAll(s.sharedFile);
    ReloadDuringPassword reload(rig);
    const auto again = [&] {
        s.Enable(true);
        LoadLocalStore(rig.ctx, rig.stores);
        ASSERT_TRUE(rig.stores.sharedLoaded);
    };

    again();
    EXPECT_EQ(StoreShortcut(rig.ctx, rig.stores, reload, true, u"NEW",
                            ShortcutEntry::Make(ShortcutKind::SimpleText, u"n"), u"SHARED"),
              StoreResult::NotSaved);
    EXPECT_EQ(ReadAll(s.sharedFile), before);

    again();
    EXPECT_EQ(RemoveShortcuts(rig.ctx, rig.stores, reload, {u"LOCAL"}, {u"SHARED"}), 1u);
    EXPECT_EQ(ReadAll(s.sharedFile), before);
    EXPECT_FALSE(rig.stores.local->Contains(u"LOCAL"));

    again();
    size_t workIndex = 0;
    for (const auto& t : TransferTargets(groups)) if (t.name == u"Work") workIndex = t.index;
    EntryRef shared;
    ASSERT_TRUE(rig.stores.shared->Find(u"SHARED", shared));
    const auto r = TransferShortcuts(rig.ctx, rig.stores, reload, TransferMode::Move, workIndex,
                                     {TransferItem{u"SHARED", shared, true}});
    EXPECT_EQ(r.written, std::vector<std::u16string>{u"SHARED"});
    EXPECT_EQ(ReadAll(s.sharedFile), before) << "the moved shortcut stays in the shared file";
    rig.TakeMessages();
}

// Another user's share as the watcher sees it, on a fake clock: the file
// changes at the given times, and while its notices work the folder sends
// one for each change and, when busy, one for some other file every
// `noiseMs`. Its notices may stop for a while and Arm fail until they return.
struct ScriptedShare final : WatchedFile {
    FakeClock& clock;
    const uint32_t start;
    std::vector<uint32_t> changes;  // ms after the start
    bool notices = true;
    uint32_t noiseMs = 0;
    uint32_t lostAt = UINT32_MAX, backAt = 0;
    bool armed = false;
    uint64_t stampReads = 0;

    ScriptedShare(FakeClock& c) : clock(c), start(c.TickMs()) {}
    uint32_t Elapsed() const { return clock.TickMs() - start; }
    bool Arm() override {
        armed = notices && !(Elapsed() >= lostAt && Elapsed() < backAt);
        return armed;
    }
    FolderNotice Wait(uint32_t ms) override {
        const uint32_t now = Elapsed(), end = now + ms;
        uint32_t next = end;
        FolderNotice what = FolderNotice::Quiet;
        auto consider = [&](uint32_t t, FolderNotice n) {
            if (armed && t > now && t <= end && (t < next || what == FolderNotice::Quiet)) next = t, what = n;
        };
        for (uint32_t c : changes) consider(c, FolderNotice::Changed);
        if (noiseMs) consider((now / noiseMs + 1) * noiseMs, FolderNotice::Changed);
        consider(lostAt, FolderNotice::Lost);
        if (what == FolderNotice::Lost) armed = false;
        clock.Advance(next - now);
        return what;
    }
    void Wake() override {}
    FileStamp Stamp() override {
        ++stampReads;
        FileStamp s;
        for (uint32_t c : changes) s.writeTime += c <= Elapsed();
        return s;
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
    struct Case {
        const char* name;
        bool notices;
        uint32_t noiseMs;
        std::vector<uint32_t> changes;
        uint32_t lostAt, backAt;  // notices stop, and come back
    } cases[] = {
        {"nothing changes", true, 0, {}, UINT32_MAX, 0},
        // Changes a little more than a minute apart, so that the 10 s
        // fallback never happens to fall just after one.
        {"a change a minute", true, 0, Every(12345, 61234, kHour), UINT32_MAX, 0},
        {"a folder busy with other files", true, 50, Every(12345, 61234, kHour), UINT32_MAX, 0},
        {"a server without notices", false, 0, Every(4321, 7 * 61234, kHour), UINT32_MAX, 0},
        {"notices stop for 20 minutes", true, 0, Every(1111, 3 * 61234, kHour), 20 * 60000, 40 * 60000},
    };
    for (const Case& c : cases) {
        FakeClock clock;
        ScriptedShare share(clock);
        share.notices = c.notices;
        share.noiseMs = c.noiseMs;
        share.changes = c.changes;
        share.lostAt = c.lostAt;
        share.backAt = c.backAt;
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
