// The main list's commands against real stores and files, with questions
// answered by fakes that do what the main window's timers may do while a
// question is open: refill the list, or reload the shared file and fail.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/main/shortcut_actions.h"
#include "core/local_store.h"
#include "core/shared_store.h"
#include "platform/fake/memory_registry.h"
#include "tests/support/data_rig.h"

namespace kx {
namespace {

using test::DataRig;
using testing::ReadAll;

// Answers every question with its first button, after running `during`.
struct PromptThatRuns final : MessagePrompt {
    std::function<void()> during;
    std::vector<std::u16string> asked;
    void ShowMessage(MessageIcon, std::u16string_view, std::u16string_view) override {}
    QuestionAnswer Ask(const QuestionBox& q) override {
        asked.push_back(q.title);
        if (during) during();
        return {0, false};
    }
};

// The password dialog, answered correctly after running `during`; both
// stores are chosen.
struct PasswordThatRuns final : SharedDialogs {
    std::function<void()> during;
    int passwordsAsked = 0;
    int ChooseStore(const StoreChoiceRequest&) override { return kChoiceBoth; }
    bool AskAdminPassword(std::u16string_view) override {
        ++passwordsAsked;
        if (during) during();
        return true;
    }
    void ShowFieldNotice(SharedField, std::u16string_view, std::u16string_view) override {}
};

struct ActionsTest : ::testing::Test {
    MemoryRegistry reg;
    DataRig rig{reg};
    std::u16string sharedFile = rig.Sub(u"shared.dat");
    PromptThatRuns prompt;
    DataContext ctx{rig.settings, rig.folders, SystemFileSystem(), rig.security, rig.io, prompt};
    PasswordThatRuns dialogs;

    // Both stores loaded, the shared one from a file with `shared` in it
    // (with a password when asked).
    std::vector<DisplayRecord> Load(DataRig::Items local, DataRig::Items shared, bool password, bool replaceLocal) {
        ChooseStartupGroup(rig.ctx);
        RelocateDataAtStartup(rig.ctx);
        rig.MakeFile(rig.folders.DefaultGroupFile(), local);
        rig.MakeFile(sharedFile, shared, true, password ? u"pw" : u"");
        rig.UseShared(sharedFile);
        rig.settings.WriteBool(settings::SharedReplacesLocal, replaceLocal);
        LoadLocalStore(rig.ctx, rig.stores);
        EXPECT_TRUE(rig.stores.sharedLoaded);
        return MergeForDisplay(*rig.stores.local, *rig.stores.shared, true, replaceLocal);
    }
    // What a failed reload of the shared file does: the file is briefly
    // unreadable (another user's save, a network drop) while timer 2 fires.
    void FailSharedReload() {
        const std::filesystem::path file(sharedFile), away(sharedFile + u".away");
        std::filesystem::rename(file, away);
        LoadSharedStore(rig.ctx, rig.stores);
        std::filesystem::rename(away, file);
    }
};

TEST_F(ActionsTest, DeleteTakesTheRowsBeforeTheListIsRefilledUnderItsQuestion) {
    std::vector<DisplayRecord> rows = Load({{u"A", u"a"}, {u"B", u"b"}, {u"C", u"c"}}, {}, false, false);
    ASSERT_EQ(rows.size(), 3u);
    // The refill puts other rows where the selected ones were (a real refill
    // frees them; here the storage is reused so that a row read after the
    // question reads the wrong shortcut instead of freed memory).
    prompt.during = [&] { std::reverse(rows.begin(), rows.end()); };
    EXPECT_EQ(DeleteRows({&rows[0], &rows[1]}, ctx, rig.stores, rig.dialogs), 2u);
    EXPECT_EQ(prompt.asked, std::vector<std::u16string>{u"Confirm Delete"});
    ASSERT_EQ(rig.stores.local->Size(), 1u);
    EXPECT_TRUE(rig.stores.local->Contains(u"C"));
}

// Under the password question the shared file fails to reload: neither a
// delete nor an edit may then write it.
TEST_F(ActionsTest, NothingIsWrittenToASharedFileWhoseReloadFailedUnderThePassword) {
    std::vector<DisplayRecord> rows = Load({{u"L", u"local"}}, {{u"S1", u"one"}, {u"S2", u"two"}}, true, false);
    ASSERT_EQ(rows.size(), 3u);
    const auto before = ReadAll(sharedFile);
    dialogs.during = [&] { FailSharedReload(); };
    DeleteRows({&rows[0], &rows[1]}, ctx, rig.stores, dialogs);  // L and S1
    EXPECT_EQ(dialogs.passwordsAsked, 1);
    EXPECT_EQ(ReadAll(sharedFile), before);

    rig.settings.WriteBool(settings::SharedEnabled, true);
    LoadLocalStore(rig.ctx, rig.stores);
    ASSERT_TRUE(rig.stores.sharedLoaded);
    const EntryRef changed = ShortcutEntry::Make(ShortcutKind::SimpleText, u"changed");
    EXPECT_NE(StoreResult::Saved, SaveAcceptedShortcut(rig.ctx, rig.stores, dialogs, true, false, u"S1", changed, u"S1"));
    EXPECT_EQ(dialogs.passwordsAsked, 2);
    EXPECT_EQ(ReadAll(sharedFile), before);

    // Loaded again, the same edit goes through, with the password asked once.
    rig.settings.WriteBool(settings::SharedEnabled, true);
    LoadLocalStore(rig.ctx, rig.stores);
    dialogs.during = nullptr;
    EXPECT_EQ(StoreResult::Saved, SaveAcceptedShortcut(rig.ctx, rig.stores, dialogs, true, false, u"S1", changed, u"S1"));
    EXPECT_EQ(dialogs.passwordsAsked, 3);
    EXPECT_EQ(DataRig::Text(*rig.Load(sharedFile, true), u"S1"), u"changed");
    EXPECT_EQ(DataRig::Text(*rig.Load(sharedFile, true), u"S2"), u"two");
}

TEST_F(ActionsTest, MovingAnOverridingSharedRowMovesTheSharedShortcutUnderItsOwnKeyword) {
    std::vector<DisplayRecord> rows = Load({{u"sig", u"local text"}}, {{u"SIG", u"shared text"}}, false, true);
    const std::u16string targetFile = rig.AddGroupFile(u"Target", {});
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_EQ(rows[0].origin, OriginShared | OriginOverriding);
    const std::vector<TransferItem> items = TransferItemsFor({&rows[0]});
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].keyword, u"SIG");
    EXPECT_TRUE(items[0].fromShared);
    auto groups = rig.Groups();
    const auto targets = TransferTargets(groups);
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_TRUE(TransferShortcuts(rig.ctx, rig.stores, rig.dialogs, TransferMode::Move, targets[0].index, items).saved);
    EXPECT_FALSE(rig.stores.shared->Contains(u"SIG"));
    EXPECT_EQ(DataRig::Text(*rig.stores.local, u"sig"), u"local text");
    EXPECT_EQ(DataRig::Text(*rig.Load(targetFile), u"SIG"), u"shared text");
}

// Each store may hold keywords that differ only in case. The row "sig"
// shows the local "sig" overridden by the shared "Sig" (the shared "SIG"
// went with the local "SIG"): deleting it removes those two, not the first
// shared keyword that matches the row's letters without regard to case.
TEST_F(ActionsTest, DeleteRemovesTheKeywordsEachStoreHoldsTheRowBy) {
    const std::vector<DisplayRecord> rows = Load({{u"SIG", u"local upper"}, {u"sig", u"local lower"}},
                                                 {{u"SIG", u"shared upper"}, {u"Sig", u"shared mixed"}}, false, true);
    const auto row = std::find_if(rows.begin(), rows.end(), [](const DisplayRecord& r) { return r.keyword == u"sig"; });
    ASSERT_NE(row, rows.end());
    ASSERT_EQ(row->sharedKeyword, u"Sig");
    EXPECT_EQ(DeleteRows({&*row}, ctx, rig.stores, dialogs), 2u);
    const StoreRef onDisk = rig.Load(sharedFile, true);
    EXPECT_EQ(DataRig::Text(*onDisk, u"SIG"), u"shared upper");
    EXPECT_FALSE(onDisk->Contains(u"Sig"));
    EXPECT_EQ(DataRig::Text(*rig.stores.local, u"SIG"), u"local upper");
    EXPECT_FALSE(rig.stores.local->Contains(u"sig"));
}

}  // namespace
}  // namespace kx
