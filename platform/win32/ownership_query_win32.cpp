#include "platform/win32/ownership_query_win32.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <memory>
#include <string>

namespace kx {
namespace {

struct LocalFreer {
    void operator()(void* p) const { if (p) ::LocalFree(p); }
};

bool SidText(PSID sid, std::u16string& out) {
    wchar_t* text = nullptr;
    if (!sid || !::ConvertSidToStringSidW(sid, &text)) return false;
    std::unique_ptr<void, LocalFreer> hold(text);
    out.assign(reinterpret_cast<const char16_t*>(text));
    return true;
}

}  // namespace

bool Win32OwnershipQuery::Read(std::u16string_view path, OwnershipFacts& out) {
    out = OwnershipFacts{};
    const std::wstring name(path.begin(), path.end());
    PSID owner = nullptr;
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(name.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                &owner, nullptr, &list, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    std::unique_ptr<void, LocalFreer> hold(descriptor);
    if (!SidText(owner, out.ownerSid)) return false;
    // "If the DACL is NULL, all access is allowed" (GetNamedSecurityInfo
    // returns a null list for a descriptor without one).
    out.hasList = list != nullptr;
    if (!list) return true;
    for (DWORD i = 0; i < list->AceCount; ++i) {
        void* raw = nullptr;
        if (!::GetAce(list, i, &raw)) return false;
        const auto* header = static_cast<const ACE_HEADER*>(raw);
        // An inherit-only entry is a template for the folder's children and
        // grants nothing on the folder itself.
        if (header->AceFlags & INHERIT_ONLY_ACE) continue;
        // The allowed, denied and their callback forms share one layout:
        // header, mask, then the account's identifier.
        const BYTE type = header->AceType;
        const bool allows = type == ACCESS_ALLOWED_ACE_TYPE || type == ACCESS_ALLOWED_CALLBACK_ACE_TYPE;
        const bool denies = type == ACCESS_DENIED_ACE_TYPE || type == ACCESS_DENIED_CALLBACK_ACE_TYPE;
        if (!allows && !denies) continue;
        const auto* ace = static_cast<const ACCESS_ALLOWED_ACE*>(raw);
        AccessEntry entry;
        entry.allows = allows;
        entry.mask = ace->Mask;
        if (!SidText(const_cast<DWORD*>(&ace->SidStart), entry.sid)) return false;
        out.entries.push_back(std::move(entry));
    }
    return true;
}

}  // namespace kx
