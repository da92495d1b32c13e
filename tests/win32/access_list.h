// Reading a file's or folder's access list back in the Windows tests.
#pragma once

#include <windows.h>
#include <aclapi.h>

#include <string>

namespace kx::test {

struct AccessEntry {
    bool found = false;
    ACCESS_MASK mask = 0;
    BYTE flags = 0;
};

// The explicit (not inherited) allowing entry for a well-known identifier.
inline AccessEntry ExplicitEntryFor(const std::u16string& path, WELL_KNOWN_SID_TYPE who) {
    AccessEntry entry;
    std::wstring w(path.begin(), path.end());
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (GetNamedSecurityInfoW(w.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                              nullptr, &sd) != ERROR_SUCCESS)
        return entry;
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(sid);
    if (dacl && CreateWellKnownSid(who, nullptr, sid, &size)) {
        for (DWORD i = 0; i < dacl->AceCount && !entry.found; ++i) {
            void* ace = nullptr;
            if (!GetAce(dacl, i, &ace)) continue;
            auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
            if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE || (allowed->Header.AceFlags & INHERITED_ACE))
                continue;
            if (!EqualSid(const_cast<DWORD*>(&allowed->SidStart), sid)) continue;
            entry = {true, allowed->Mask, allowed->Header.AceFlags};
        }
    }
    LocalFree(sd);
    return entry;
}

}  // namespace kx::test
