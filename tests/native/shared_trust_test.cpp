// Whether the shared file's macros may start programs: decided from who owns
// the file and its folder and who may change them, read through the
// ownership seam. Wine keeps no access lists of its own for the Windows
// rules to act on, so the decision is tested here with a fake seam; under
// Wine the e2e-macro suite shows only the refusal.

#include <map>

#include "core/shared_store.h"
#include "core/shared_trust.h"
#include "platform/fake/memory_registry.h"
#include "tests/support/data_rig.h"

namespace kx::test {
namespace {

constexpr const char16_t* kAdmins = u"S-1-5-32-544";
constexpr const char16_t* kSystem = u"S-1-5-18";
constexpr const char16_t* kUsers = u"S-1-5-32-545";
constexpr const char16_t* kUser = u"S-1-5-21-1-2-3-1001";

struct FakeOwnership final : OwnershipQuery {
    std::map<std::u16string, OwnershipFacts> facts;
    bool Read(std::u16string_view path, OwnershipFacts& out) override {
        const auto it = facts.find(std::u16string(path));
        return it != facts.end() && (out = it->second, true);
    }
};

// Administrators and SYSTEM have full control; Users may read.
OwnershipFacts Locked() {
    return {kAdmins, true, {{true, kAdmins, rights::kGenericAll}, {true, kSystem, 0x1F01FF}, {true, kUsers, 0x1200A9}}};
}

TEST(SharedTrust, ProgramsStartOnlyFromAFileNoOneButAdministratorsCanChange) {
    struct Case {
        const char* what;
        OwnershipFacts file, folder;
        bool starts;
    };
    auto with = [](AccessEntry e, OwnershipFacts f = Locked()) { return f.entries.push_back(std::move(e)), f; };
    auto ownedBy = [](const char16_t* sid) { return OwnershipFacts{sid, true, Locked().entries}; };
    const OwnershipFacts noList{kAdmins, false, Locked().entries};
    const Case cases[] = {
        {"locked file and folder", Locked(), Locked(), true},
        {"owned by Domain Admins", ownedBy(u"S-1-5-21-1-2-3-512"), Locked(), true},
        {"the owner's rights", with({true, u"S-1-3-4", rights::kGenericAll}), Locked(), true},
        {"a denial alone gives nothing", with({false, kUsers, rights::kWriteData}), Locked(), true},
        {"Users may add files to the folder", Locked(), with({true, kUsers, rights::kWriteData}), true},
        {"owned by a user", ownedBy(kUser), Locked(), false},
        {"an id that only looks like a domain's", ownedBy(u"S-1-5-21-1-2-512"), Locked(), false},
        {"Users may write the file", with({true, kUsers, rights::kWriteData}), Locked(), false},
        {"Users may append", with({true, kUsers, rights::kAppendData}), Locked(), false},
        {"Authenticated Users generic write", with({true, u"S-1-5-11", rights::kGenericWrite}), Locked(), false},
        {"Everyone may delete it", with({true, u"S-1-1-0", rights::kDelete}), Locked(), false},
        {"a user may rewrite its access list", with({true, kUser, rights::kWriteDac}), Locked(), false},
        {"a denial does not outweigh another group's allowance",
         with({true, kUsers, rights::kWriteData}, with({false, kUsers, rights::kWriteData})), Locked(), false},
        {"no access list at all", noList, Locked(), false},
        {"Users may delete from the folder", Locked(), with({true, kUsers, rights::kDeleteChild}), false},
        {"the folder owned by a user", Locked(), ownedBy(kUser), false},
    };
    for (const Case& c : cases) {
        FakeOwnership seam;
        seam.facts[u"/share/kx/shared_abbrev.dat"] = c.file;
        seam.facts[u"/share/kx"] = c.folder;
        EXPECT_EQ(SharedFileMayStartPrograms(seam, u"/share/kx/shared_abbrev.dat"), c.starts) << c.what;
    }
    FakeOwnership unreadable;
    unreadable.facts[u"/share/kx"] = Locked();
    EXPECT_FALSE(SharedFileMayStartPrograms(unreadable, u"/share/kx/shared_abbrev.dat"));
}

// The loader decides on every load, and without a seam decides no.
TEST(SharedTrust, EachLoadOfTheSharedStoreDecidesAfresh) {
    MemoryRegistry registry;
    DataRig rig(registry);
    const std::u16string path = rig.Sub(u"shared_abbrev.dat");
    rig.MakeFile(path, {{u"SHARED", u"text"}}, true);
    rig.UseShared(path);
    FakeOwnership seam;
    seam.facts[path] = seam.facts[std::u16string(FolderOf(path))] = Locked();
    DataContext ctx = rig.ctx;
    const auto starts = [&](const DataContext& c) {
        LoadSharedStore(c, rig.stores);
        return rig.stores.sharedLoaded ? rig.stores.shared->StartsPrograms() ? "yes" : "no" : "not loaded";
    };
    EXPECT_STREQ(starts(rig.ctx), "no");
    ctx.ownership = &seam;
    EXPECT_STREQ(starts(ctx), "yes");
    seam.facts[path].entries.push_back({true, kUsers, rights::kWriteData});
    EXPECT_STREQ(starts(ctx), "no");
}

}  // namespace
}  // namespace kx::test
