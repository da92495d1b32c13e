// The main list's commands against real stores and files, with questions
// that do what the main window's timers may do while they are open: refill
// the list, or reload the shared file and fail.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/main/shortcut_actions.h"
#include "core/local_store.h"
#include "core/shared_store.h"
#include "platform/fake/memory_registry.h"
#include "tests/support/data_rig.h"

namespace kx {
namespace {

using test::DataRig;
using testing::ReadAll;

struct ActionsTest : ::testing::Test {
    MemoryRegistry reg;
    DataRig rig{reg};
    std::u16string sharedFile = rig.Sub(u"shared.dat");

    // Both stores loaded, the shared one from a file with `shared` in it
    // (with a password when asked).
    std::vector<DisplayRecord> Load(DataRig::Items local, DataRig::Items shared, bool password, bool replaceLocal) {
        rig.StartWith(local);
        rig.MakeFile(sharedFile, shared, true, password ? u"pw" : u"");
        rig.UseShared(sharedFile);
        rig.settings.WriteBool(settings::SharedReplacesLocal, replaceLocal);
        LoadLocalStore(rig.ctx, rig.stores);
        EXPECT_TRUE(rig.stores.sharedLoaded);
        return MergeForDisplay(*rig.stores.local, *rig.stores.shared, true, replaceLocal);
    }
};

// Under the delete question the list is refilled: a real refill frees the
// rows, here their storage is reused, so that a row read after the question
// reads the wrong shortcut instead of freed memory. (The application suite
// refills the list under the question too, but with the same rows again.)
struct RefillUnderQuestion final : MessagePrompt {
    std::vector<DisplayRecord>& rows;
    explicit RefillUnderQuestion(std::vector<DisplayRecord>& r) : rows(r) {}
    void ShowMessage(MessageIcon, std::u16string_view, std::u16string_view) override {}
    QuestionAnswer Ask(const QuestionBox&) override { return std::reverse(rows.begin(), rows.end()), QuestionAnswer{0, false}; }
};

TEST_F(ActionsTest, DeleteTakesTheRowsBeforeTheListIsRefilledUnderItsQuestion) {
    std::vector<DisplayRecord> rows = Load({{u"A", u"a"}, {u"B", u"b"}, {u"C", u"c"}}, {}, false, false);
    ASSERT_EQ(rows.size(), 3u);
    RefillUnderQuestion prompt(rows);
    const DataContext ctx{rig.settings, rig.folders, SystemFileSystem(), rig.security, rig.io, prompt};
    EXPECT_EQ(DeleteRows({&rows[0], &rows[1]}, ctx, rig.stores, rig.dialogs), 2u);
    ASSERT_EQ(rig.stores.local->Size(), 1u);
    EXPECT_TRUE(rig.stores.local->Contains(u"C"));
}

// Under the password question the shared file is briefly unreadable
// (another user's save, a network drop) as its timed reload runs: the
// delete may not then write it.
TEST_F(ActionsTest, NothingIsWrittenToASharedFileWhoseReloadFailedUnderThePassword) {
    std::vector<DisplayRecord> rows = Load({{u"L", u"local"}}, {{u"S1", u"one"}, {u"S2", u"two"}}, true, false);
    ASSERT_EQ(rows.size(), 3u);
    const auto before = ReadAll(sharedFile);
    rig.dialogs.choices = {kChoiceBoth};
    rig.dialogs.passwords = {true};
    rig.dialogs.duringPassword = [&] {
        const std::filesystem::path file(sharedFile), away(sharedFile + u".away");
        std::filesystem::rename(file, away);
        LoadSharedStore(rig.ctx, rig.stores);
        std::filesystem::rename(away, file);
    };
    rig.prompt.Answer(0);
    DeleteRows({&rows[0], &rows[1]}, rig.ctx, rig.stores, rig.dialogs);  // L and S1
    EXPECT_EQ(rig.dialogs.expectedPasswords.size(), 1u);
    EXPECT_EQ(ReadAll(sharedFile), before);
    rig.TakeMessages();
}

TEST_F(ActionsTest, MovingAnOverridingSharedRowMovesTheSharedShortcutUnderItsOwnKeyword) {
    std::vector<DisplayRecord> rows = Load({{u"sig", u"local text"}}, {{u"SIG", u"shared text"}}, false, true);
    const std::u16string targetFile = rig.AddGroupFile(u"Target", {});
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_EQ(rows[0].origin, OriginShared | OriginOverriding);
    const std::vector<TransferItem> items = TransferItemsFor({&rows[0]});
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
    rig.dialogs.choices = {kChoiceBoth};
    rig.prompt.Answer(0);
    EXPECT_EQ(DeleteRows({&*row}, rig.ctx, rig.stores, rig.dialogs), 2u);
    const StoreRef onDisk = rig.Load(sharedFile, true);
    EXPECT_EQ(DataRig::Text(*onDisk, u"SIG"), u"shared upper");
    EXPECT_FALSE(onDisk->Contains(u"Sig"));
    EXPECT_EQ(DataRig::Text(*rig.stores.local, u"SIG"), u"local upper");
    EXPECT_FALSE(rig.stores.local->Contains(u"sig"));
}

}  // namespace
}  // namespace kx
