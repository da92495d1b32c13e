// Groups and the local store: loading with its messages, the Groups menu
// commands, relocation, and moving and copying between groups.
#include "core/group_commands.h"
#include "core/group_transfer.h"
#include "platform/fake/memory_registry.h"
#include "tests/support/data_rig.h"

namespace kx::test {
namespace {

using testing::Bytes;
using testing::FileExists;
using testing::ReadAll;
using testing::WriteAll;
using Strings = std::vector<std::u16string>;

INSTANTIATE_TEST_SUITE_P(Memory, DataTest,
                         ::testing::Values(RegistryMaker([] { return std::make_unique<MemoryRegistry>(); })));

const std::u16string kCorrupt = u"E|Load Shortcuts|Shortcut file is corrupt\r\nA copy of the damaged file was kept as ";
const std::u16string kNotLoaded = u"W|Load Shortcuts|Shortcut file was found but could not be loaded.\n";
const std::u16string kExists = u"W|Exists|This group name already exists. Please use another name.\n";

// A group whose file is in place loads without a word (the first start,
// which creates the Default group's file, is the Windows data-folder test's);
// each failure has its message; a file that did not load is not replaced.
TEST_P(DataTest, LoadingTheLocalStoreReportsEachFailure) {
    auto groups = rig.Groups();
    const std::u16string file = rig.AddGroupFile(u"G", {{u"A", u"a"}});
    groups.SetCurrentName(u"G");
    const auto load = [&] { return LoadLocalStore(rig.ctx, rig.stores), rig.TakeMessages(); };
    EXPECT_EQ(load(), u"");
    EXPECT_EQ(rig.Text(*rig.stores.local, u"A"), u"a");
    WriteAll(file, Bytes(10, 7));  // too short to be a database
    EXPECT_EQ(load(), kNotLoaded);
    EXPECT_EQ(ReadAll(file).size(), 10u);
    groups.Register(u"G", rig.Sub(u"gone") + kPathSeparator + u"g_abbrev.dat");
    EXPECT_EQ(load(), u"W|Load Shortcuts|Shortcut file not found.\r\nAnd a new file cannot be created.\n");
    groups.SetCurrentName(u"g");  // exact names only
    EXPECT_EQ(load(), u"E|Group Invalid|Current group is invalid.  Please choose a new group.\n");
    EXPECT_EQ(rig.stores.local->Size(), 0u);
}

// A damaged group file loads as an empty group, and the next change saves
// that over it: a copy beside it keeps the shortcuts. Loading the same file
// again keeps no second copy; a copy is never written over.
TEST_P(DataTest, DamagedGroupFileIsCopiedBeforeAnythingSavesOverIt) {
    rig.StartWith({});
    const std::u16string file = rig.folders.DefaultGroupFile(), copy1 = file + u".damaged", copy2 = copy1 + u"-2";
    const auto damaged = [](uint8_t kind) {
        Bytes b = testing::Header(2);
        testing::PutRecord(b, {1, 0, "KEEP", "", "precious"});
        testing::PutRecord(b, {2, kind, "K", "", "x"});
        testing::Seal(b, 4096);
        return b;
    };
    const Bytes first = damaged(4), second = damaged(9);
    WriteAll(file, first);
    for (int load = 0; load < 2; ++load) {
        LoadLocalStore(rig.ctx, rig.stores);
        EXPECT_EQ(rig.TakeMessages(), kCorrupt + copy1 + u".\n");
    }
    EXPECT_EQ(rig.stores.local->Size(), 0u);
    EXPECT_EQ(ReadAll(copy1), first);
    EXPECT_FALSE(FileExists(copy2));
    // The user adds a shortcut to the empty group: the file is replaced, the copy stays.
    EXPECT_EQ(StoreResult::Saved, rig.Store(false, u"NEW", u"new"));
    EXPECT_EQ(rig.TakeMessages(), kCorrupt + copy1 + u".\n");
    EXPECT_EQ(rig.Text(*rig.stores.local, u"NEW"), u"new");
    WriteAll(file, second);  // damaged again, differently
    LoadLocalStore(rig.ctx, rig.stores);
    EXPECT_EQ(rig.TakeMessages(), kCorrupt + copy2 + u".\n");
    EXPECT_EQ(ReadAll(copy1), first);
    EXPECT_EQ(ReadAll(copy2), second);
}

// Running out of memory while loading the group is reported as a file that
// could not be loaded; the file is neither replaced nor copied, and no change
// is saved over it until it loads.
TEST_P(DataTest, LocalStoreOutOfMemoryIsAFileThatCouldNotBeLoaded) {
    rig.StartWith({{u"A", u"a"}, {u"B", u"b"}});
    const std::u16string file = rig.folders.DefaultGroupFile();
    const auto before = ReadAll(file);
    MemoryLimit none{0};
    rig.stores.local = ShortcutStore::Create(&none);
    LoadLocalStore(rig.ctx, rig.stores);
    EXPECT_EQ(rig.TakeMessages(), kNotLoaded);
    EXPECT_FALSE(FileExists(file + u".damaged"));
    EXPECT_NE(StoreResult::Saved, rig.Store(false, u"NEW", u"new"));
    EXPECT_EQ(RemoveShortcuts(rig.ctx, rig.stores, rig.dialogs, {u"A"}, {}), 0u);
    EXPECT_EQ(ReadAll(file), before);
    rig.stores.local = ShortcutStore::Create();
    EXPECT_EQ(StoreResult::Saved, rig.Store(false, u"NEW", u"new"));
    EXPECT_EQ(rig.Text(*rig.stores.local, u"A"), u"a");
}

// Names are refused with their field focused; a good one is trimmed, gets a
// copy of the Default group and becomes current; an existing database file
// is used as it is. Group names ignore the case of every letter, as Windows
// treats the registry keys named by them.
TEST_P(DataTest, AddingAGroupChecksTheNameAndCopiesTheDefaultGroup) {
    rig.StartWith({{u"SIG", u"Regards"}});
    auto groups = rig.Groups();
    const std::u16string folder = rig.Sub(u"");
    rig.AddGroupFile(u"\u00c9t\u00e9 \u0394\u03b5\u03bb\u03c4\u03b1", {});  // Été Δελτα
    const std::u16string badName = u"W|Invalid Name|The name cannot contain invalid characters /\\:*?\"<>|\n";
    const struct { const char16_t* name; std::u16string location; GroupField focus; std::u16string message; } refusals[] = {
        {u"   ", folder, GroupField::Name, u"W|Name Required|Please enter the name for the shortcut group.\n"},
        {u"a:b", folder, GroupField::Name, badName},
        {u"tab\there", folder, GroupField::Name, badName},
        {u"Fine", rig.Sub(u"nowhere"), GroupField::Location, u"W|Invalid Folder|Please enter a valid folder location.\n"},
        {u"\u00c9T\u00c9 \u0394\u0395\u039b\u03a4\u0391", folder, GroupField::Name, kExists},
    };
    for (const auto& r : refusals) {
        AddGroupOutcome out = AddGroup(rig.ctx, rig.stores, r.name, r.location);
        EXPECT_FALSE(out.added) << U8(r.name);
        EXPECT_EQ(out.focus, r.focus) << U8(r.name);
        EXPECT_EQ(rig.TakeMessages(), r.message);
    }
    EXPECT_FALSE(groups.Exists(u"\u00e9T\u00c9 \u03b4\u0395\u039b\u03a4\u0392"));
    EXPECT_EQ(groups.Names().size(), 2u);
    EXPECT_EQ(groups.CurrentName(), u"Default");
    EXPECT_TRUE(AddGroup(rig.ctx, rig.stores, u"  Work  ", folder).added);
    const std::u16string file = GroupFileIn(folder, u"Work");
    EXPECT_EQ(std::tuple(groups.CurrentName(), groups.LocationOf(u"Work")), std::tuple(u"Work", file));
    EXPECT_EQ(ReadAll(file), ReadAll(rig.folders.DefaultGroupFile()));
    EXPECT_EQ(rig.Text(*rig.stores.local, u"SIG"), u"Regards");
    const std::u16string existing = rig.Sub(u"team.dat");
    rig.MakeFile(existing, {{u"TEAM", u"the team"}});
    const auto before = ReadAll(existing);
    EXPECT_TRUE(AddGroup(rig.ctx, rig.stores, u"Team", existing).added);
    EXPECT_EQ(groups.LocationOf(u"Team"), existing);
    EXPECT_EQ(ReadAll(existing), before);
    EXPECT_EQ(rig.Text(*rig.stores.local, u"TEAM"), u"the team");
    EXPECT_EQ(rig.TakeMessages(), u"");
}

// The menu checks the current group whatever its case; a selection loads the
// group, and a command past the list does nothing. Deleting asks first,
// removes the files in the local folder only, and the current group's
// deletion reverts to Default.
TEST_P(DataTest, SelectingAndDeletingGroups) {
    rig.StartWith({{u"D", u"default"}});
    auto groups = rig.Groups();
    const std::u16string otherFile = rig.AddGroupFile(u"Other", {{u"O", u"other"}});
    groups.SetCurrentName(u"OTHER");
    const Strings names = groups.Names();
    for (const auto& item : GroupsMenu(groups))
        if (item.command >= kCmdSelectGroupBase && item.command < kCmdSelectGroupBase + int(names.size())) {
            EXPECT_EQ(item.checked, item.text == u"Other") << U8(item.text);
        }
    EXPECT_TRUE(SelectGroup(rig.ctx, rig.stores, kCmdSelectGroupBase + int(names[0] == u"Other" ? 0 : 1)));
    EXPECT_EQ(rig.Text(*rig.stores.local, u"O"), u"other");
    EXPECT_TRUE(SelectGroup(rig.ctx, rig.stores, kCmdSelectDefaultGroup));
    EXPECT_EQ(rig.Text(*rig.stores.local, u"D"), u"default");
    EXPECT_FALSE(SelectGroup(rig.ctx, rig.stores, kCmdSelectGroupBase + 2));
    EXPECT_EQ(groups.CurrentName(), u"Default");

    ASSERT_TRUE(AddGroup(rig.ctx, rig.stores, u"Work", rig.folders.local).added);
    const std::u16string workFile = GroupFileIn(rig.folders.local, u"Work");
    auto deletable = DeletableGroups(groups);
    std::sort(deletable.begin(), deletable.end());
    EXPECT_EQ(deletable, (Strings{u"Other", u"Work"}));
    rig.prompt.Cancel();
    rig.prompt.Answer(0);
    EXPECT_TRUE(DeleteGroups(rig.ctx, {u"Work", u"Other"}).empty());
    EXPECT_EQ(DeleteGroups(rig.ctx, {u"Work", u"Other"}), (Strings{u"Work", u"Other"}));
    EXPECT_EQ(rig.prompt.asked.back().text,
              u"Are you sure you want to delete the selected groups? All their shortcuts will be deleted with them.");
    EXPECT_EQ(groups.Names(), Strings{u"Default"});
    EXPECT_FALSE(FileExists(workFile));
    EXPECT_TRUE(FileExists(otherFile)) << "a file outside the local folder outlives its group";
    rig.TakeMessages();
    EXPECT_TRUE(RevertIfCurrentGroupDeleted(rig.ctx, rig.stores));
    EXPECT_EQ(rig.TakeMessages(), u"W|Default Group|Current group deleted. Reverting to default group.\n");
    EXPECT_EQ(groups.CurrentName(), u"Default");
    EXPECT_EQ(rig.Text(*rig.stores.local, u"D"), u"default");
    EXPECT_FALSE(RevertIfCurrentGroupDeleted(rig.ctx, rig.stores));
}

// The access list we write: Everyone's entries go, and the machine's users
// get what sharing needs on the object alone, never the right to change who
// may use it. (Wine keeps no access list: it derives one from the file's
// mode bits and drops what it is given, so the entries are checked here.)
TEST(UsersAccessChanges, NothingInheritedNothingForEveryoneNoControlOverTheList) {
    using namespace file_rights;
    constexpr uint32_t kChanges = kWriteData | kAppendData | kWriteEa | kWriteAttributes | kDelete;
    for (UsersAccess access : {UsersAccess::Read, UsersAccess::Modify}) {
        SCOPED_TRACE(int(access));
        uint32_t users = 0;
        bool everyoneRemoved = false;
        for (const AccessChange& c : UsersAccessChanges(access)) {
            EXPECT_FALSE(c.inherited);
            if (c.who == Trustee::Everyone) everyoneRemoved = !c.allow;
            if (c.who == Trustee::Users && c.allow) users |= c.rights;
        }
        EXPECT_TRUE(everyoneRemoved);
        EXPECT_EQ(users & (kReadData | kExecute | kWriteDac | kWriteOwner | kChanges),
                  kReadData | kExecute | (access == UsersAccess::Modify ? kChanges : 0u))
            << std::hex << users;
    }
}

// Start-up brings the machine-wide files to the user (the user's own copies
// win; a group's file moves, its folder compared without case) and shares
// the machine folder. Another user can write that folder: a junction, a
// second hard link or a file of their own there is neither shared nor copied.
// Each row gives which of acdata.txt, demo.rtf and Work's file were copied,
// and what the machine's users were given ("R" read, "M" modify, "-"
// nothing) on the machine folder, its acdata.txt, the shared file, the
// machine's local folder and Work's file there.
TEST_P(DataTest, RelocationCopiesAndSharesOnlyWhatNoOtherUserCouldHavePlanted) {
    const DataFolders& f = rig.folders;
    const auto machine = [&](const char16_t* n) { return JoinPath(f.machine, n); };
    const std::u16string localFile = JoinPath(f.MachineLocal(), u"Work_abbrev.dat");
    FakeFileSecurity& sec = rig.security;
    const auto otherUser = [&](const std::u16string& p, bool admin) { sec.OwnBy(p, FakeFileSecurity::kOther, admin); };
    const struct { const char* what; std::function<void()> spoil; const char* want; } cases[] = {
        {"nothing wrong", [] {}, "111 RRMRR"},
        {"local is a junction", [&] { sec.MakeReparsePoint(f.MachineLocal()); }, "110 RRM--"},
        {"acdata.txt is a hard link", [&] { sec.MakeHardLinked(machine(u"acdata.txt")); }, "011 R-MRR"},
        {"demo.rtf is another user's", [&] { otherUser(machine(u"demo.rtf"), false); }, "101 RRMRR"},
        {"demo.rtf is an administrator's", [&] { otherUser(machine(u"demo.rtf"), true); }, "111 RRMRR"},
        {"the shared file is a hard link", [&] { sec.MakeHardLinked(machine(u"shared_abbrev.dat")); }, "111 RR-RR"},
        {"the machine folder is another user's", [&] { otherUser(f.machine, false); }, "000 -----"},
        {"the product folder is a junction", [&] { sec.MakeReparsePoint(std::u16string(FolderOf(f.machine))); }, "000 -----"},
    };
    ASSERT_TRUE(EnsureFolder(rig.ctx.fs, f.MachineLocal()) && EnsureFolder(rig.ctx.fs, f.local));
    const std::pair<std::u16string, uint8_t> seeds[] = {{machine(u"acdata.txt"), 1}, {machine(u"demo.rtf"), 2},
        {machine(u"shared_abbrev.dat"), 5}, {localFile, 4}, {JoinPath(f.local, u"abbrev.dat"), 8},
        {JoinPath(f.MachineLocal(), u"abbrev.dat"), 3}};
    for (const auto& [path, byte] : seeds) WriteAll(path, {byte});
    std::u16string upper = localFile;
    for (auto& c : upper) c = AsciiUpper(c);
    const std::pair<std::u16string, uint8_t> copies[] = {
        {JoinPath(f.user, u"acdata.txt"), 1}, {JoinPath(f.user, u"demo.rtf"), 2}, {JoinPath(f.local, u"Work_abbrev.dat"), 4}};
    const auto state = [&] {
        std::string s;
        for (const auto& [path, byte] : copies) s += ReadAll(path) == Bytes{byte} ? "1" : ReadAll(path).empty() ? "0" : "?";
        s += " ";
        for (const auto& p : {f.machine, machine(u"acdata.txt"), machine(u"shared_abbrev.dat"), f.MachineLocal(), localFile})
            s += !sec.GivenTo(p) ? '-' : *sec.GivenTo(p) == UsersAccess::Modify ? 'M' : 'R';
        return s;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sec.facts.clear();
        sec.given.clear();
        for (const auto& [path, byte] : copies) rig.ctx.fs.Remove(path);
        rig.Groups().Register(u"Work", upper);
        rig.Groups().Register(u"Team", rig.Sub(u"team.dat"));
        c.spoil();
        RelocateDataAtStartup(rig.ctx);
        EXPECT_EQ(state(), c.want);
        EXPECT_EQ(ReadAll(JoinPath(f.local, u"abbrev.dat")), Bytes{8});
        EXPECT_EQ(rig.Groups().LocationOf(u"Work"), JoinPath(f.local, u"WORK_ABBREV.DAT"));
        EXPECT_EQ(rig.Groups().LocationOf(u"Team"), rig.Sub(u"team.dat"));
    }
    sec.facts.clear();
    WriteAll(JoinPath(f.user, u"demo.rtf"), {9});
    RelocateDataAtStartup(rig.ctx);
    EXPECT_EQ(ReadAll(JoinPath(f.user, u"demo.rtf")), Bytes{9});
}

// The Default group holds A, B and C; the group Target holds B and Z.
struct TransferRig {
    DataRig& rig;
    std::u16string targetFile;
    size_t targetIndex = 0;

    explicit TransferRig(DataRig& r) : rig(r) {
        rig.StartWith({{u"A", u"a"}, {u"B", u"b"}, {u"C", u"c"}});
        targetFile = rig.AddGroupFile(u"Target", {{u"B", u"old b"}, {u"Z", u"z"}});
        auto targets = TransferTargets(rig.Groups());
        EXPECT_EQ(targets.size(), 1u);
        targetIndex = targets.at(0).index;
        LoadLocalStore(rig.ctx, rig.stores);
        rig.TakeMessages();
    }
    TransferResult Transfer(TransferMode mode, std::initializer_list<const char16_t*> keys) {
        std::vector<TransferItem> items;
        for (auto k : keys) {
            EntryRef e;
            EXPECT_TRUE(rig.stores.local->Find(k, e));
            items.push_back({k, e, false});
        }
        return TransferShortcuts(rig.ctx, rig.stores, rig.dialogs, mode, targetIndex, items);
    }
};

// A skipped conflict keeps the skipped shortcut in its group, and the
// source's file says the same as its store; copying with one answer for all
// conflicts leaves the source alone; one shortcut is told in the singular,
// and nothing to copy says nothing.
TEST_P(DataTest, MovingSkipsAConflictAndCopyingAnswersAllAtOnce) {
    TransferRig t(rig);
    rig.prompt.Answer(1);  // skip B
    EXPECT_EQ(t.Transfer(TransferMode::Move, {u"A", u"B", u"C"}).written, (Strings{u"A", u"C"}));
    ASSERT_EQ(rig.prompt.asked.size(), 1u);
    EXPECT_EQ(rig.prompt.asked[0].text, u"The shortcut \"B\" already exists in the target group. Overwrite shortcut?");
    EXPECT_EQ(rig.prompt.asked[0].buttons, (Strings{u"Overwrite shortcut", u"Skip shortcut"}));
    EXPECT_EQ(rig.TakeMessages(), u"I|Moved|Shortcuts moved successfully.\n");
    auto target = rig.Load(t.targetFile);
    EXPECT_EQ(rig.Text(*target, u"A") + rig.Text(*target, u"B") + rig.Text(*target, u"C"), u"aold bc");
    EXPECT_EQ(rig.Text(*rig.stores.local, u"B"), u"b");
    EXPECT_EQ(rig.Load(rig.folders.DefaultGroupFile())->Size(), 1u);

    rig.MakeFile(t.targetFile, {{u"A", u"old a"}, {u"B", u"old b"}});
    rig.prompt.Answer(0, true);
    rig.stores.local->Insert(u"A", testing::TextEntry(u"a"));
    t.Transfer(TransferMode::Copy, {u"A", u"B"});
    ASSERT_EQ(rig.prompt.asked.size(), 2u) << "one question for both conflicts";
    EXPECT_EQ(rig.prompt.asked[1].title, u"Kestrix") << "a copy's question is the program's";
    EXPECT_EQ(rig.TakeMessages(), u"I|Copied|Shortcuts copied successfully.\n");
    EXPECT_EQ(rig.Text(*rig.Load(t.targetFile), u"B"), u"b");
    EXPECT_EQ(rig.stores.local->Size(), 2u);
    EXPECT_TRUE(t.Transfer(TransferMode::Copy, {}).written.empty());
    EXPECT_EQ(rig.TakeMessages(), u"");
    rig.MakeFile(t.targetFile, {});
    t.Transfer(TransferMode::Copy, {u"B"});
    EXPECT_EQ(rig.TakeMessages(), u"I|Copied|Shortcut copied successfully.\n");
}

// Cancelled at a conflict, or with a target that does not load: neither group changes.
TEST_P(DataTest, NothingChangesWhenCancelledOrTheTargetDoesNotLoad) {
    for (bool cancel : {true, false}) {
        SCOPED_TRACE(cancel ? "cancelled" : "target damaged");
        TransferRig t(rig);
        if (cancel) rig.prompt.Cancel();
        else WriteAll(t.targetFile, Bytes(20, 1));
        const auto targetBefore = ReadAll(t.targetFile), sourceBefore = ReadAll(rig.folders.DefaultGroupFile());
        const TransferResult r = t.Transfer(TransferMode::Move, {u"A", u"B", u"C"});
        EXPECT_EQ(std::tuple(r.cancelled, r.loaded), std::tuple(cancel, cancel));
        EXPECT_EQ(ReadAll(t.targetFile), targetBefore);
        EXPECT_EQ(ReadAll(rig.folders.DefaultGroupFile()), sourceBefore);
        EXPECT_EQ(rig.stores.local->Size(), 3u);
        EXPECT_EQ(rig.TakeMessages(), u"");
    }
}

}  // namespace
}  // namespace kx::test
