// The shared store: loading with its messages, the merged list, the
// private-or-shared choice, the administrator's password and the options page.
#include "core/display_records.h"
#include "core/local_store.h"
#include "core/shared_options.h"
#include "core/shared_store.h"
#include "core/shortcut_changes.h"
#include "core/store_choice.h"
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
    EXPECT_EQ(rig.TakeMessages(), u"E|Load Shortcuts|Shared shortcut file is corrupt.\nShared shortcuts will be disabled.\n");
    EXPECT_FALSE(rig.settings.ReadBool(settings::SharedEnabled));
    EXPECT_EQ(ReadAll(s.sharedFile), bad);

    s.Enable(true);
    rig.settings.Write(settings::SharedPath, rig.Sub(u"missing.dat"));
    LoadLocalStore(rig.ctx, rig.stores);
    EXPECT_EQ(rig.TakeMessages(), u"W|Load Shortcuts|Shared shortcut file not found.\nShared shortcuts will be disabled.\n");
    EXPECT_FALSE(rig.settings.ReadBool(settings::SharedEnabled));
    EXPECT_FALSE(rig.stores.sharedLoaded);
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
    ASSERT_EQ(localWins.size(), 3u);
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
    EXPECT_FALSE(StoreShortcut(rig.ctx, rig.stores, rig.dialogs, true, u"NEW",
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
    EXPECT_TRUE(StoreShortcut(rig.ctx, rig.stores, rig.dialogs, true, u"NEW",
                              ShortcutEntry::Make(ShortcutKind::SimpleText, u"n")));
    EXPECT_EQ(rig.Text(*s.SharedOnDisk(), u"NEW"), u"n");
    std::u16string pw;
    s.SharedOnDisk()->GetAdminPassword(pw);
    EXPECT_EQ(pw, u"Secret") << "the password record is written back";
    EXPECT_TRUE(rig.security.Granted(s.sharedFile));

    // Editing a local shortcut under a new keyword replaces the old one.
    EXPECT_TRUE(StoreShortcut(rig.ctx, rig.stores, rig.dialogs, false, u"BOTH2",
                              ShortcutEntry::Make(ShortcutKind::SimpleText, u"edited"), u"BOTH"));
    EXPECT_FALSE(rig.stores.local->Contains(u"BOTH"));
    EXPECT_EQ(rig.Text(*rig.stores.local, u"BOTH2"), u"edited");
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
    EXPECT_FALSE(StoreShortcut(rig.ctx, rig.stores, rig.dialogs, true, u"NEW",
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

}  // namespace
}  // namespace kx::test
