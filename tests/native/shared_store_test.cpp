// The shared store: loading with its messages, the merged list, the
// private-or-shared choice, the administrator's password, the options page,
// the save over other users' readers and the watch for their changes.
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
using Strings = std::vector<std::u16string>;

const std::u16string kNotFound = u"W|Load Shortcuts|Shared shortcut file not found.\nShared shortcuts will be disabled.\n";

// Starts with a Default group holding LOCAL and BOTH, and a shared file
// holding SHARED and BOTH, with shared shortcuts on.
struct SharedRig {
    DataRig& rig;
    std::u16string file = rig.folders.DefaultSharedFile();

    explicit SharedRig(DataRig& r, std::u16string_view password = {}) : rig(r) {
        rig.StartWith({{u"LOCAL", u"local text"}, {u"BOTH", u"local both"}});
        rig.MakeFile(file, {{u"SHARED", u"shared text"}, {u"BOTH", u"shared both"}}, true, password);
        rig.UseShared(file);
    }
    StoreRef OnDisk() { return rig.Load(file, true); }
    std::u16string Password(const ShortcutStore& s) {
        std::u16string pw = u"<none>";
        s.GetAdminPassword(pw);
        return pw;
    }
    // Loaded, turned on, and the messages shown since the last look.
    std::tuple<bool, bool, std::u16string> State() {
        return {rig.stores.sharedLoaded, rig.settings.ReadBool(settings::SharedEnabled), rig.TakeMessages()};
    }
    size_t AddWorkGroup() {
        rig.AddGroupFile(u"Work", {});
        for (const auto& t : TransferTargets(rig.Groups()))
            if (t.name == u"Work") return t.index;
        ADD_FAILURE() << "Work is no target";
        return 0;
    }
};

// A shared file that is damaged while the list shows it, out of memory or
// missing: shared shortcuts go off with a message, the local ones carry on,
// and nothing saves the (empty) shared store over the file.
TEST_P(DataTest, SharedStoreTurnsItselfOffAndKeepsAFileItCouldNotLoad) {
    SharedRig s(rig, u"pw");
    LoadLocalStore(rig.ctx, rig.stores);
    EXPECT_EQ(s.State(), std::tuple(true, true, u""));
    EXPECT_EQ(s.Password(*rig.stores.shared), u"pw");
    const testing::Bytes bad = testing::DamagedFile(9, 1024);
    testing::WriteAll(s.file, bad);
    EXPECT_NE(StoreResult::Saved, rig.Store(true, u"NEW", u"n"));
    EXPECT_EQ(s.State(), std::tuple(false, false, u"E|Load Shortcuts|Shared shortcut file is corrupt.\nShared shortcuts "
                                    u"will be disabled.\nA copy of the damaged file was kept as " + s.file + u".damaged.\n"));
    EXPECT_EQ(ReadAll(s.file + u".damaged"), bad);
    rig.UseShared(s.file);
    EXPECT_EQ(RemoveShortcuts(rig.ctx, rig.stores, rig.dialogs, {}, {u"SHARED"}), 0u);
    EXPECT_EQ(ReadAll(s.file), bad);
    rig.TakeMessages();
    rig.UseShared(s.file);
    rig.MakeFile(s.file, {{u"SHARED", u"shared text"}}, true);
    MemoryLimit none{0};
    rig.stores.shared = ShortcutStore::Create(&none);
    LoadLocalStore(rig.ctx, rig.stores);
    EXPECT_EQ(s.State(), std::tuple(false, false, kNotFound));
    EXPECT_EQ(rig.stores.shared->Size(), 0u);
    EXPECT_EQ(rig.Text(*rig.stores.local, u"LOCAL"), u"local text");
    rig.stores.shared = ShortcutStore::Create();
    rig.UseShared(rig.Sub(u"missing.dat"));
    LoadLocalStore(rig.ctx, rig.stores);
    EXPECT_EQ(s.State(), std::tuple(false, false, kNotFound));
}

// Whoever can write the shared file decides its size, and every user's
// program would read all of it: past the cap it is not read, and nothing is
// saved over it; the options page refuses it too.
TEST_P(DataTest, ASharedFileOverTheCapIsRefusedAndKept) {
    SharedRig s(rig);
    const std::filesystem::path file(s.file);
    std::filesystem::resize_file(file, kMaxSharedFileBytes);  // zero padding
    LoadLocalStore(rig.ctx, rig.stores);
    EXPECT_EQ(rig.Text(*rig.stores.shared, u"SHARED"), u"shared text");
    const std::u16string tooLarge = u"E|Load Shortcuts|" + std::u16string(kSharedFileTooLarge) + u"\n";
    std::filesystem::resize_file(file, kMaxSharedFileBytes + 1);
    LoadLocalStore(rig.ctx, rig.stores);
    EXPECT_EQ(s.State(), std::tuple(false, false, tooLarge));
    EXPECT_EQ(rig.stores.shared->Size(), 0u);
    rig.UseShared(s.file);
    EXPECT_NE(StoreResult::Saved, rig.Store(true, u"NEW", u"n"));
    EXPECT_EQ(std::filesystem::file_size(file), kMaxSharedFileBytes + 1);
    rig.TakeMessages();
    SharedOptionsPage page;
    EXPECT_FALSE(ValidateSharedPath(rig.ctx, page, s.file));
    EXPECT_EQ(rig.TakeMessages(), tooLarge);
}

// The list's rows, sorted, as "keyword|local keyword|shared keyword|shown
// text|overridden text|origin|the keyword a move carries".
Strings Rows(const ShortcutStore& local, const ShortcutStore& shared, bool enabled, bool sharedWins) {
    Strings out;
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
    StoreRef local = ShortcutStore::Create(), shared = ShortcutStore::Create();
    for (auto [k, v] : {std::pair{u"sig", u"local sig"}, {u"ONLYLOCAL", u"l"}, {u"\u0434\u0430", u"local \u0434\u0430"}})
        local->Insert(k, TextEntry(v));
    for (auto [k, v] : {std::pair{u"SIG", u"shared sig"}, {u"ONLYSHARED", u"s"}, {u"onlyshared", u"s2"},
                        {u"\u0414\u0410", u"shared \u0414\u0410"}, {u"\u0434\u0430", u"shared \u0434\u0430"}})
        shared->Insert(k, TextEntry(v));
    const std::u16string own = u"ONLYLOCAL|ONLYLOCAL||l|-|L|ONLYLOCAL", da = u"\u0434\u0430|\u0434\u0430|";
    EXPECT_EQ(Rows(*local, *shared, false, true),
              (Strings{own, u"sig|sig||local sig|-|L|sig", da + u"|local \u0434\u0430|-|L|\u0434\u0430"}));
    const Strings sharedRows{u"ONLYSHARED||ONLYSHARED|s|-|S|ONLYSHARED", u"onlyshared||onlyshared|s2|-|S|onlyshared"};
    EXPECT_EQ(Rows(*local, *shared, true, false),
              (Strings{own, sharedRows[0], sharedRows[1], u"sig|sig|SIG|local sig|shared sig|LO|sig",
                       u"\u0414\u0410||\u0414\u0410|shared \u0414\u0410|-|S|\u0414\u0410",
                       da + u"\u0434\u0430|local \u0434\u0430|shared \u0434\u0430|LO|\u0434\u0430"}));
    EXPECT_EQ(Rows(*local, *shared, true, true)[3], u"sig|sig|SIG|shared sig|local sig|SO|SIG");
    EXPECT_EQ(ExpansionColumnText(true, false, u"Work"), u"Expands to (Local group: Work overriding shared)");
}

TEST_P(DataTest, PrivateOrSharedChoiceRemembersTheAnswer) {
    auto& d = rig.dialogs;
    EXPECT_EQ(ChooseStore(StoreAction::NewShortcut, false, d, rig.settings), kChoicePrivate);
    EXPECT_TRUE(d.requests.empty()) << "no question without a loaded shared store";
    // Each answer but Cancel is saved and preselected next time; editing,
    // which offers no "Both", then preselects private.
    d.choices = {kChoiceShared, kChoiceBoth, kChoiceCancelled};
    EXPECT_EQ(ChooseStore(StoreAction::NewShortcut, true, d, rig.settings), kChoiceShared);
    EXPECT_EQ(ChooseStore(StoreAction::DeleteMixed, true, d, rig.settings), kChoiceBoth);
    EXPECT_EQ(ChooseStore(StoreAction::EditBoth, true, d, rig.settings), kChoiceCancelled);
    std::vector<int> preselected;
    for (const auto& r : d.requests) preselected.push_back(r.preselected);
    EXPECT_EQ(preselected, (std::vector<int>{kChoicePrivate, kChoiceShared, kChoicePrivate}));
    EXPECT_EQ(rig.settings.ReadInt(settings::SharedVsPrivateSelection), 2);
    EXPECT_EQ(d.requests[2].text, u"This shortcut exists in both your private and shared data.");
}

// Without the password a change is refused, and deleting a mixed selection
// removes the local part only, after a task-modal refusal; with it, a change
// is saved with the password record written back.
TEST_P(DataTest, WithoutThePasswordOnlyTheLocalPartChanges) {
    SharedRig s(rig, u"Secret");
    LoadLocalStore(rig.ctx, rig.stores);
    const auto sharedBefore = ReadAll(s.file);
    rig.dialogs.passwords = {false, false, true};
    EXPECT_NE(StoreResult::Saved, rig.Store(true, u"NEW", u"n"));
    EXPECT_EQ(rig.TakeMessages(), u"E|Administrator Access Required|Only the Administrator may change the Shared Shortcuts.\n");
    rig.prompt.Answer(0);
    EXPECT_EQ(RemoveShortcuts(rig.ctx, rig.stores, rig.dialogs, {u"LOCAL"}, {u"SHARED"}), 1u);
    ASSERT_EQ(rig.prompt.asked.size(), 1u);
    EXPECT_EQ(rig.prompt.asked[0].text, u"Only the Administrator may delete from the Shared Shortcuts.");
    EXPECT_TRUE(rig.prompt.asked[0].taskModal);
    EXPECT_EQ(ReadAll(s.file), sharedBefore);
    EXPECT_FALSE(rig.stores.local->Contains(u"LOCAL"));
    EXPECT_EQ(StoreResult::Saved, rig.Store(true, u"NEW", u"n"));
    EXPECT_EQ(rig.dialogs.expectedPasswords, (Strings{u"Secret", u"Secret", u"Secret"}));
    EXPECT_EQ(rig.Text(*s.OnDisk(), u"NEW"), u"n");
    EXPECT_EQ(s.Password(*s.OnDisk()), u"Secret");
    EXPECT_TRUE(rig.security.Granted(s.file));
}

// A row where a shared shortcut overrides a local one of other letter case:
// editing the shared one under a new keyword renames that one, and leaves
// the local one. (Moving such a row is the Windows main-window actions' test.)
TEST_P(DataTest, OverridingSharedRowsChangeTheSharedShortcutUnderItsOwnKeyword) {
    SharedRig s(rig);
    rig.MakeFile(rig.folders.DefaultGroupFile(), {{u"sig", u"local sig"}});
    rig.MakeFile(s.file, {{u"SIG", u"shared sig"}}, true);
    LoadLocalStore(rig.ctx, rig.stores);
    const auto rows = MergeForDisplay(*rig.stores.local, *rig.stores.shared, true, true);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(StoreResult::Saved, rig.Store(true, u"SIGN", u"signed", rows[0].sharedKeyword));
    EXPECT_FALSE(s.OnDisk()->Contains(u"SIG"));
    EXPECT_EQ(rig.Text(*s.OnDisk(), u"SIGN"), u"signed");
    EXPECT_EQ(rig.Text(*rig.stores.local, u"sig"), u"local sig");
}

// The Options suite drives the page's fields, a wrong old password and a
// new one end to end; here its other rules: a missing file is refused, no
// stored password accepts any old one, a confirmation that differs is
// refused with its field cleared, and removing the password keeps what
// another user added meanwhile.
TEST_P(DataTest, OptionsPageValidatesAndChangesThePassword) {
    SharedRig s(rig);
    rig.UseShared(u"", false);
    SharedOptionsPage page;
    SharedOptionsForm form = OpenSharedOptions(rig.ctx);
    EXPECT_EQ(std::tuple(form.path, form.enabled, rig.security.Granted(s.file)), std::tuple(s.file, false, true));
    const SharedOptionsEnabling off = SharedOptionsFieldsEnabled(form, page);
    EXPECT_FALSE(off.path || off.newPassword || off.oldPassword);
    const auto apply = [&](std::u16string path, const char16_t* oldPw, const char16_t* newPw, const char16_t* confirm) {
        form.enabled = true, form.path = path, form.oldPassword = oldPw, form.newPassword = newPw;
        form.confirmPassword = confirm;
        return ApplySharedOptions(rig.ctx, page, form, rig.dialogs);
    };
    EXPECT_FALSE(apply(rig.Sub(u"missing.dat"), u"", u"", u""));
    EXPECT_FALSE(form.enabled);
    EXPECT_EQ(s.State(), std::tuple(false, false, kNotFound));
    EXPECT_TRUE(apply(s.file, u"anything", u"Admin1", u"Admin1"));
    EXPECT_EQ(s.Password(*s.OnDisk()), u"Admin1");
    const auto before = ReadAll(s.file);
    EXPECT_FALSE(apply(s.file, u"Admin1", u"Other", u"Othre"));
    EXPECT_TRUE(form.confirmPassword.empty());
    EXPECT_EQ(rig.dialogs.notices, Strings{u"3|Passwords do not match|Please re-enter the new password."});
    EXPECT_EQ(ReadAll(s.file), before);
    StoreRef other = s.OnDisk();
    other->Insert(u"THEIRS", TextEntry(u"t"));
    ASSERT_TRUE(SaveSharedFile(*other, s.file, rig.io, rig.ctx.fs));
    EXPECT_TRUE(apply(s.file, u"Admin1", u"", u""));
    EXPECT_EQ(s.Password(*s.OnDisk()), u"");
    EXPECT_EQ(rig.Text(*s.OnDisk(), u"THEIRS"), u"t");
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
        store->Insert(u"OLD", TextEntry(u"old"));
    }
};

// Each save replaces the file and leaves nothing beside it. A save that
// crashed between writing and moving left its staged file on the share: the
// next save removes such files once clearly abandoned (an hour older than
// its own), and nothing else: not a save in progress, not other names, not
// other folders.
TEST(SharedFileSave, ReplacesTheFileAndRemovesOnlyAbandonedStagedFiles) {
    namespace fsys = std::filesystem;
    ShareFolder share;
    const DatabaseIo io = SystemDatabaseIo();
    for (const char16_t* version : {u"1", u"2"}) {
        share.store->Insert(u"V", TextEntry(version));
        ASSERT_TRUE(SaveSharedFile(*share.store, share.path, io, share.fs));
        EXPECT_EQ(share.fs.ListFiles(share.folder), Strings{u"shared_abbrev.dat"});
        EXPECT_EQ(testing::PlainOf(*testing::LoadedFrom(share.path, io, true), u"V"), version);
    }
    EXPECT_FALSE(SaveSharedFile(*share.store, JoinPath(share.dir.Path("none"), u"x.dat"), io, share.fs));

    const std::u16string other = share.dir.Path("other");
    ASSERT_TRUE(share.fs.MakeFolder(other));
    const auto now = fsys::file_time_type::clock::now();
    const std::tuple<std::u16string, const char16_t*, int> files[] = {
        {share.folder, u"kx1A2B.tmp", 120},      {share.folder, u"kx7f.tmp", 90},  // abandoned
        {share.folder, u"KX00C3.TMP.TEMP", 300},  // the writer's copy of an abandoned one
        {share.folder, u"kx4C5D.tmp", 2},         // another user's save, still going
        {share.folder, u"kx.tmp", 600},          {share.folder, u"kxnotes.txt", 600},
        {share.folder, u"report.tmp", 600},      {other, u"kx1A2B.tmp", 600},
    };
    for (const auto& [in, name, minutes] : files) {
        const std::u16string p = JoinPath(in, name);
        testing::WriteAll(p, {1, 2, 3});
        fsys::last_write_time(testing::FsPath(p), now - std::chrono::minutes(minutes));
    }
    ASSERT_TRUE(SaveSharedFile(*share.store, share.path, io, share.fs));
    auto left = share.fs.ListFiles(share.folder);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (Strings{u"kx.tmp", u"kx4C5D.tmp", u"kxnotes.txt", u"report.tmp", u"shared_abbrev.dat"}));
    EXPECT_EQ(share.fs.ListFiles(other), Strings{u"kx1A2B.tmp"});
}

// Readers that keep the file open past the retry budget: the save gives up,
// tells the user, leaves the old file whole and takes its staged file away.
TEST(SharedFileSave, RunningOutOfRetriesKeepsTheOldFile) {
    ShareFolder share;
    FakeClock clock;
    DatabaseIo io{SystemFileMapping(), clock};
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
    EXPECT_EQ(busy.ListFiles(share.folder), Strings{u"shared_abbrev.dat"});

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
    rig.MakeFile(s.file, {{u"SHARED", u"shared text"}, {u"Sig", u"someone else's"}}, true);
    const auto before = ReadAll(s.file);
    EXPECT_EQ(rig.Store(true, u"SIG", u"mine"), StoreResult::KeywordInUse);
    EXPECT_EQ(ReadAll(s.file), before);
    EXPECT_FALSE(rig.stores.shared->Contains(u"SIG"));

    // Renaming onto another one's keyword, beyond ASCII letters; its own
    // keyword in other letter case is no conflict, and macros compare exactly.
    rig.MakeFile(rig.folders.DefaultGroupFile(), {{u"\u00C4RGER", u"a"}, {u"OLD", u"o"}});
    LoadLocalStore(rig.ctx, rig.stores);
    EXPECT_EQ(rig.Store(false, u"\u00E4rger", u"x", u"OLD"), StoreResult::KeywordInUse);
    EXPECT_EQ(rig.Text(*rig.stores.local, u"OLD"), u"o") << "the edited shortcut stays";
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
// store's old contents in place but no longer loaded: neither a change nor
// a move out of it writes the shared file. (A delete after such a reload is
// the Windows main-window actions' test.)
TEST_P(DataTest, ASharedStoreUnloadedDuringThePasswordQuestionIsNotSaved) {
    SharedRig s(rig, u"pw");
    const size_t work = s.AddWorkGroup();
    const auto before = ReadAll(s.file);
    rig.dialogs.duringPassword = [&] {
        rig.settings.WriteBool(settings::SharedEnabled, false);
        LoadSharedStore(rig.ctx, rig.stores);
    };
    const auto loadAgain = [&] {
        rig.UseShared(s.file);
        LoadLocalStore(rig.ctx, rig.stores);
        rig.dialogs.passwords = {true};
        return rig.stores.sharedLoaded;
    };
    ASSERT_TRUE(loadAgain());
    EXPECT_EQ(rig.Store(true, u"NEW", u"n", u"SHARED"), StoreResult::NotSaved);
    ASSERT_TRUE(loadAgain());
    EntryRef shared;
    ASSERT_TRUE(rig.stores.shared->Find(u"SHARED", shared));
    const auto r = TransferShortcuts(rig.ctx, rig.stores, rig.dialogs, TransferMode::Move, work,
                                     {TransferItem{u"SHARED", shared, true}});
    EXPECT_EQ(r.written, Strings{u"SHARED"});
    EXPECT_EQ(ReadAll(s.file), before) << "no change reached the shared file";
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
    // The first notice due within the wait, else Quiet when the wait ends.
    FolderNotice Wait(uint32_t ms) override {
        const uint32_t now = Elapsed();
        uint32_t next = now + ms;
        FolderNotice what = FolderNotice::Quiet;
        auto consider = [&](uint32_t t, FolderNotice n) {
            if (armed && t > now && t <= now + ms && (t < next || what == FolderNotice::Quiet)) next = t, what = n;
        };
        for (uint32_t c : s.changes) consider(c, FolderNotice::Changed);
        if (s.noiseMs) consider((now / s.noiseMs + 1) * s.noiseMs, FolderNotice::Changed);
        consider(s.lostAt, FolderNotice::Lost);
        armed = armed && what != FolderNotice::Lost;
        return clock.Advance(next - now), what;
    }
    void Wake() override {}
    FileStamp Stamp() override {
        FileStamp stamp;
        for (uint32_t c : s.changes) stamp.writeTime += c <= Elapsed();
        return ++stampReads, stamp;
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
        SCOPED_TRACE(c.name);
        FakeClock clock;
        ScriptedShare share(clock, c);
        std::vector<uint32_t> seen;
        const uint64_t reads = WatchSharedFile(
            share, clock, FileStamp{}, [&] { seen.push_back(share.Elapsed()); },
            [&] { return share.Elapsed() >= kHour; });
        EXPECT_EQ(reads, share.stampReads);
        // One read every 10 s and one per change; in a busy folder one per
        // 750 ms at most.
        EXPECT_LE(reads, c.noiseMs ? kHour / 750 : 360 + c.changes.size());
        EXPECT_GE(reads, 360u);
        ASSERT_EQ(seen.size(), c.changes.size());
        for (size_t i = 0; i < seen.size(); ++i) {
            const uint32_t at = c.changes[i];
            const bool noticed = c.notices && !(at >= c.lostAt && at < c.backAt);
            EXPECT_LE(seen[i] - at, noticed ? 1000u : 10000u) << "change " << i;
        }
    }
}

}  // namespace
}  // namespace kx::test
