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
    std::vector<std::u16string> asked, shown;
    void ShowMessage(MessageIcon, std::u16string_view title, std::u16string_view) override {
        shown.emplace_back(title);
    }
    QuestionAnswer Ask(const QuestionBox& q) override {
        asked.push_back(q.title);
        if (during) during();
        return {0, false};
    }
};

// The password dialog, answered correctly after running `during`.
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

    void SetUp() override {
        ChooseStartupGroup(rig.ctx);
        RelocateDataAtStartup(rig.ctx);
    }
    void UseShared(bool replaceLocal) {
        rig.settings.WriteBool(settings::SharedEnabled, true);
        rig.settings.Write(settings::SharedPath, sharedFile);
        rig.settings.WriteBool(settings::SharedReplacesLocal, replaceLocal);
    }
    std::vector<DisplayRecord> Rows() {
        return MergeForDisplay(*rig.stores.local, *rig.stores.shared, rig.settings.ReadBool(settings::SharedEnabled),
                               rig.settings.ReadBool(settings::SharedReplacesLocal));
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
    rig.MakeFile(rig.folders.DefaultGroupFile(), {{u"A", u"a"}, {u"B", u"b"}, {u"C", u"c"}});
    LoadLocalStore(rig.ctx, rig.stores);
    std::vector<DisplayRecord> rows = Rows();
    ASSERT_EQ(rows.size(), 3u);
    PromptThatRuns prompt;
    // The refill puts other rows where the selected ones were (a real refill
    // frees them; here the storage is reused so that a row read after the
    // question reads the wrong shortcut instead of freed memory).
    prompt.during = [&] { std::reverse(rows.begin(), rows.end()); };
    DataContext ctx{rig.settings, rig.folders, SystemFileSystem(), rig.security, rig.io, prompt};

    EXPECT_EQ(DeleteRows({&rows[0], &rows[1]}, ctx, rig.stores, rig.dialogs), 2u);
    EXPECT_EQ(prompt.asked, std::vector<std::u16string>{u"Confirm Delete"});
    ASSERT_EQ(rig.stores.local->Size(), 1u);
    EXPECT_TRUE(rig.stores.local->Contains(u"C"));
}

TEST_F(ActionsTest, DeleteOfASharedRowWhoseReloadFailsUnderThePasswordLeavesTheFile) {
    rig.MakeFile(rig.folders.DefaultGroupFile(), {{u"L", u"local"}});
    rig.MakeFile(sharedFile, {{u"S1", u"one"}, {u"S2", u"two"}}, true, u"pw");
    UseShared(false);
    LoadLocalStore(rig.ctx, rig.stores);
    ASSERT_TRUE(rig.stores.sharedLoaded);
    const auto before = ReadAll(sharedFile);
    std::vector<DisplayRecord> rows = Rows();
    ASSERT_EQ(rows.size(), 3u);
    PromptThatRuns prompt;
    DataContext ctx{rig.settings, rig.folders, SystemFileSystem(), rig.security, rig.io, prompt};
    PasswordThatRuns dialogs;
    dialogs.during = [&] { FailSharedReload(); };

    // L and S1, from both stores: the password is asked for the shared one.
    DeleteRows({&rows[0], &rows[1]}, ctx, rig.stores, dialogs);
    EXPECT_EQ(dialogs.passwordsAsked, 1);
    EXPECT_EQ(ReadAll(sharedFile), before);
}

TEST_F(ActionsTest, ASharedSaveAfterAFailedReloadUnderThePasswordWritesNothing) {
    rig.MakeFile(rig.folders.DefaultGroupFile(), {});
    rig.MakeFile(sharedFile, {{u"S1", u"one"}, {u"S2", u"two"}}, true, u"pw");
    UseShared(false);
    LoadLocalStore(rig.ctx, rig.stores);
    ASSERT_TRUE(rig.stores.sharedLoaded);
    const auto before = ReadAll(sharedFile);
    PasswordThatRuns dialogs;
    dialogs.during = [&] { FailSharedReload(); };

    const EntryRef changed = ShortcutEntry::Make(ShortcutKind::SimpleText, u"changed");
    EXPECT_NE(StoreResult::Saved, SaveAcceptedShortcut(rig.ctx, rig.stores, dialogs, true, false, u"S1", changed, u"S1"));
    EXPECT_EQ(dialogs.passwordsAsked, 1);
    EXPECT_EQ(ReadAll(sharedFile), before);

    // Loaded again, the same edit goes through, with the password asked once.
    rig.settings.WriteBool(settings::SharedEnabled, true);
    LoadLocalStore(rig.ctx, rig.stores);
    dialogs.during = nullptr;
    EXPECT_EQ(StoreResult::Saved, SaveAcceptedShortcut(rig.ctx, rig.stores, dialogs, true, false, u"S1", changed, u"S1"));
    EXPECT_EQ(dialogs.passwordsAsked, 2);
    EXPECT_EQ(DataRig::Text(*rig.stores.shared, u"S1"), u"changed");
    EXPECT_EQ(rig.stores.shared->Size(), 2u);
}

TEST_F(ActionsTest, MovingAnOverridingSharedRowMovesTheSharedShortcutUnderItsOwnKeyword) {
    rig.MakeFile(rig.folders.DefaultGroupFile(), {{u"sig", u"local text"}});
    rig.MakeFile(sharedFile, {{u"SIG", u"shared text"}}, true);
    const std::u16string targetFile = rig.Sub(u"target.dat");
    rig.MakeFile(targetFile, {});
    auto groups = rig.Groups();
    groups.Register(u"Target", targetFile);
    UseShared(true);
    LoadLocalStore(rig.ctx, rig.stores);
    std::vector<DisplayRecord> rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_EQ(rows[0].origin, OriginShared | OriginOverriding);

    const std::vector<TransferItem> items = TransferItemsFor({&rows[0]});
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].keyword, u"SIG");
    EXPECT_TRUE(items[0].fromShared);

    const auto targets = TransferTargets(groups);
    ASSERT_EQ(targets.size(), 1u);
    const TransferResult r =
        TransferShortcuts(rig.ctx, rig.stores, rig.dialogs, TransferMode::Move, targets[0].index, items);
    EXPECT_TRUE(r.saved);
    EXPECT_FALSE(rig.stores.shared->Contains(u"SIG"));
    EXPECT_EQ(DataRig::Text(*rig.stores.local, u"sig"), u"local text");
    StoreRef target = ShortcutStore::Create();
    uint32_t n = 0;
    ASSERT_EQ(ShortcutStore::Load(*target, targetFile, false, n, rig.io), LoadOk);
    EXPECT_EQ(DataRig::Text(*target, u"SIG"), u"shared text");
}

// Each store may hold keywords that differ only in case. The row "sig"
// shows the local "sig" overridden by the shared "Sig" (the shared "SIG"
// went with the local "SIG"): deleting it removes those two, not the first
// shared keyword that matches the row's letters without regard to case.
TEST_F(ActionsTest, DeleteRemovesTheKeywordsEachStoreHoldsTheRowBy) {
    rig.MakeFile(rig.folders.DefaultGroupFile(), {{u"SIG", u"local upper"}, {u"sig", u"local lower"}});
    rig.MakeFile(sharedFile, {{u"SIG", u"shared upper"}, {u"Sig", u"shared mixed"}}, true);
    UseShared(true);
    LoadLocalStore(rig.ctx, rig.stores);
    ASSERT_TRUE(rig.stores.sharedLoaded);
    std::vector<DisplayRecord> rows = Rows();
    const DisplayRecord* row = nullptr;
    for (const auto& r : rows) if (r.keyword == u"sig") row = &r;
    ASSERT_TRUE(row);
    ASSERT_EQ(row->sharedKeyword, u"Sig");
    PromptThatRuns prompt;
    DataContext ctx{rig.settings, rig.folders, SystemFileSystem(), rig.security, rig.io, prompt};
    PasswordThatRuns dialogs;  // chooses both stores

    EXPECT_EQ(DeleteRows({row}, ctx, rig.stores, dialogs), 2u);
    StoreRef onDisk = ShortcutStore::Create();
    uint32_t n = 0;
    ASSERT_EQ(ShortcutStore::Load(*onDisk, sharedFile, true, n, rig.io), LoadOk);
    EXPECT_EQ(DataRig::Text(*onDisk, u"SIG"), u"shared upper");
    EXPECT_FALSE(onDisk->Contains(u"Sig"));
    EXPECT_EQ(DataRig::Text(*rig.stores.local, u"SIG"), u"local upper");
    EXPECT_FALSE(rig.stores.local->Contains(u"sig"));
}

}  // namespace
}  // namespace kx
