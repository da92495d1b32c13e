#include "core/shared_trust.h"

#include <algorithm>
#include <iterator>

#include "core/file_paths.h"

namespace kx {
namespace {

constexpr std::u16string_view kAdministratorSids[] = {
    u"S-1-5-32-544",  // BUILTIN\Administrators
    u"S-1-5-18",      // SYSTEM
    u"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",  // TrustedInstaller
};

// A domain's accounts: "S-1-5-21-" and the domain's three numbers, then the
// relative identifier.
constexpr std::u16string_view kDomainPrefix = u"S-1-5-21-";
constexpr std::u16string_view kDomainAdministratorRids[] = {u"500", u"512", u"519"};

// Rights that change what the file says or let it be replaced.
constexpr uint32_t kFileChange = rights::kWriteData | rights::kAppendData | rights::kDelete | rights::kWriteDac |
                                 rights::kWriteOwner | rights::kGenericAll | rights::kGenericWrite;
// Rights on the folder that let the file be removed and another put in its
// place (renaming it away needs one of these or the file's own DELETE).
constexpr uint32_t kFolderChange = rights::kDeleteChild | rights::kWriteDac | rights::kWriteOwner | rights::kGenericAll;

bool IsDomainAdministrator(std::u16string_view sid) {
    if (sid.substr(0, kDomainPrefix.size()) != kDomainPrefix) return false;
    sid.remove_prefix(kDomainPrefix.size());
    // Exactly three domain numbers before the relative identifier.
    if (std::count(sid.begin(), sid.end(), u'-') != 3) return false;
    const std::u16string_view rid = sid.substr(sid.rfind(u'-') + 1);
    return std::find(std::begin(kDomainAdministratorRids), std::end(kDomainAdministratorRids), rid) !=
           std::end(kDomainAdministratorRids);
}

// Owned by an administrator, and no entry lets anyone else use `change`.
// Denying entries are not weighed against allowing ones: a denial for one
// group does not stop a member of another, so any allowance counts.
bool OnlyAdministratorsChange(OwnershipQuery& query, std::u16string_view path, uint32_t change) {
    OwnershipFacts facts;
    if (!query.Read(path, facts) || !facts.hasList || !IsAdministratorSid(facts.ownerSid)) return false;
    return std::none_of(facts.entries.begin(), facts.entries.end(), [&](const AccessEntry& e) {
        // OWNER RIGHTS stands for the owner, an administrator here.
        return e.allows && (e.mask & change) != 0 && !IsAdministratorSid(e.sid) && e.sid != u"S-1-3-4";
    });
}

}  // namespace

bool IsAdministratorSid(std::u16string_view sid) {
    return std::find(std::begin(kAdministratorSids), std::end(kAdministratorSids), sid) !=
               std::end(kAdministratorSids) ||
           IsDomainAdministrator(sid);
}

bool SharedFileMayStartPrograms(OwnershipQuery& query, std::u16string_view path) {
    const std::u16string_view folder = FolderOf(path);
    return !folder.empty() && OnlyAdministratorsChange(query, path, kFileChange) &&
           OnlyAdministratorsChange(query, folder, kFolderChange);
}

}  // namespace kx
