#include "platform/win32/file_security_win32.h"

#include <windows.h>
#include <aclapi.h>

#include <memory>
#include <string>

namespace kx {

namespace {
struct LocalFreer {
    void operator()(void* p) const { if (p) LocalFree(p); }
};
template <class T>
using LocalPtr = std::unique_ptr<T, LocalFreer>;
}  // namespace

bool Win32FileSecurity::GrantEveryoneFullAccess(std::u16string_view path) {
    std::wstring name(path.begin(), path.end());

    PACL oldDacl = nullptr;
    PSECURITY_DESCRIPTOR rawSd = nullptr;
    if (GetNamedSecurityInfoW(name.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &oldDacl, nullptr, &rawSd) != ERROR_SUCCESS)
        return false;
    LocalPtr<void> sd(rawSd);  // owns oldDacl too

    BYTE sidBuffer[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof(sidBuffer);
    if (!CreateWellKnownSid(WinWorldSid, nullptr, sidBuffer, &sidSize)) return false;

    EXPLICIT_ACCESSW access{};
    access.grfAccessPermissions = GENERIC_ALL;
    access.grfAccessMode = SET_ACCESS;
    access.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = reinterpret_cast<LPWSTR>(sidBuffer);

    PACL rawNew = nullptr;
    if (SetEntriesInAclW(1, &access, oldDacl, &rawNew) != ERROR_SUCCESS) return false;
    LocalPtr<ACL> newDacl(rawNew);

    return SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                 newDacl.get(), nullptr) == ERROR_SUCCESS;
}

}  // namespace kx
