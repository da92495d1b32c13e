#include "platform/win32/file_security_win32.h"

#include <windows.h>
#include <aclapi.h>
#include <lm.h>
#include <sddl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/handles.h"

namespace kx {

namespace {
struct LocalFreer {
    void operator()(void* p) const { if (p) LocalFree(p); }
};
template <class T>
using LocalPtr = std::unique_ptr<T, LocalFreer>;

// The Windows Modules Installer service, owner of the system's own files.
constexpr wchar_t kTrustedInstaller[] = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

std::u16string SidText(PSID sid) {
    LPWSTR raw = nullptr;
    if (!sid || !ConvertSidToStringSidW(sid, &raw)) return {};
    LocalPtr<wchar_t> text(raw);
    return std::u16string(raw, raw + wcslen(raw));
}

// Whether `sid` is a member of the local Administrators group. The group's
// name differs by language, so it is looked up from its well-known SID.
// netapi32 is taken from the system folder only.
bool MemberOfAdministrators(PSID sid) {
    using GetMembers = DWORD(WINAPI*)(LPCWSTR, LPCWSTR, DWORD, LPBYTE*, DWORD, LPDWORD, LPDWORD, PDWORD_PTR);
    using BufferFree = DWORD(WINAPI*)(LPVOID);
    UniqueModule netapi(::LoadLibraryExW(L"netapi32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!netapi) return false;
    auto getMembers = reinterpret_cast<GetMembers>(
        reinterpret_cast<void*>(::GetProcAddress(netapi.Get(), "NetLocalGroupGetMembers")));
    auto bufferFree =
        reinterpret_cast<BufferFree>(reinterpret_cast<void*>(::GetProcAddress(netapi.Get(), "NetApiBufferFree")));
    if (!getMembers || !bufferFree) return false;

    BYTE admins[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(admins);
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins, &size)) return false;
    wchar_t name[256], domain[256];
    DWORD nameLen = 256, domainLen = 256;
    SID_NAME_USE use;
    if (!LookupAccountSidW(nullptr, admins, name, &nameLen, domain, &domainLen, &use)) return false;

    LPBYTE buffer = nullptr;
    DWORD read = 0, total = 0;
    if (getMembers(nullptr, name, 0, &buffer, MAX_PREFERRED_LENGTH, &read, &total, nullptr) != NERR_Success)
        return false;
    bool member = false;
    const auto* members = reinterpret_cast<const LOCALGROUP_MEMBERS_INFO_0*>(buffer);
    for (DWORD i = 0; i < read && !member; ++i) member = members[i].lgrmi0_sid && EqualSid(members[i].lgrmi0_sid, sid);
    bufferFree(buffer);
    return member;
}

bool IsAdministrator(PSID sid) {
    if (!sid) return false;
    if (IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsWellKnownSid(sid, WinLocalSystemSid)) return true;
    if (SidText(sid) == std::u16string(kTrustedInstaller, kTrustedInstaller + wcslen(kTrustedInstaller)))
        return true;
    return MemberOfAdministrators(sid);
}

static_assert(file_rights::kGenericRead == FILE_GENERIC_READ && file_rights::kGenericWrite == FILE_GENERIC_WRITE &&
              file_rights::kGenericExecute == FILE_GENERIC_EXECUTE && file_rights::kDelete == DELETE &&
              file_rights::kWriteDac == WRITE_DAC && file_rights::kWriteOwner == WRITE_OWNER);

class Win32HeldFile final : public HeldFile {
public:
    Win32HeldFile(UniqueHandle handle, bool mayChangeAccess)
        : handle_(std::move(handle)), mayChangeAccess_(mayChangeAccess) {}

    // `me`: this user, whose own objects need no look-up of the owner.
    bool ReadFacts(const std::u16string& me) {
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(handle_.Get(), &info)) return false;
        facts_.folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        facts_.reparsePoint = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        facts_.linkCount = info.nNumberOfLinks;
        PSID owner = nullptr;
        PSECURITY_DESCRIPTOR raw = nullptr;
        if (GetSecurityInfo(handle_.Get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                            nullptr, &raw) == ERROR_SUCCESS) {
            LocalPtr<void> sd(raw);  // owns `owner` too
            facts_.ownerSid = SidText(owner);
            facts_.ownerIsAdmin = facts_.ownerSid != me && IsAdministrator(owner);
        }
        return true;
    }

    const FileFacts& Facts() const override { return facts_; }

    bool ReadAll(std::vector<uint8_t>& bytes, uint64_t cap) override {
        LARGE_INTEGER size{};
        if (facts_.folder || !GetFileSizeEx(handle_.Get(), &size) || uint64_t(size.QuadPart) > cap) return false;
        bytes.resize(size_t(size.QuadPart));
        size_t done = 0;
        while (done < bytes.size()) {
            DWORD got = 0;
            const DWORD want = DWORD(std::min<size_t>(bytes.size() - done, 1u << 20));
            if (!ReadFile(handle_.Get(), bytes.data() + done, want, &got, nullptr) || got == 0) return false;
            done += got;
        }
        return true;
    }

    bool GiveUsers(UsersAccess access) override {
        if (!mayChangeAccess_) return false;
        PACL oldDacl = nullptr;
        PSECURITY_DESCRIPTOR raw = nullptr;
        if (GetSecurityInfo(handle_.Get(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &oldDacl,
                            nullptr, &raw) != ERROR_SUCCESS)
            return false;
        LocalPtr<void> sd(raw);  // owns oldDacl too

        BYTE world[SECURITY_MAX_SID_SIZE], users[SECURITY_MAX_SID_SIZE];
        DWORD worldSize = sizeof(world), usersSize = sizeof(users);
        if (!CreateWellKnownSid(WinWorldSid, nullptr, world, &worldSize) ||
            !CreateWellKnownSid(WinBuiltinUsersSid, nullptr, users, &usersSize))
            return false;

        std::vector<EXPLICIT_ACCESSW> entries;
        for (const AccessChange& c : UsersAccessChanges(access)) {
            EXPLICIT_ACCESSW e{};
            e.grfAccessPermissions = c.rights;
            e.grfAccessMode = c.allow ? SET_ACCESS : REVOKE_ACCESS;
            e.grfInheritance = c.inherited ? SUB_CONTAINERS_AND_OBJECTS_INHERIT : NO_INHERITANCE;
            e.Trustee.TrusteeForm = TRUSTEE_IS_SID;
            e.Trustee.TrusteeType = c.who == Trustee::Everyone ? TRUSTEE_IS_WELL_KNOWN_GROUP : TRUSTEE_IS_ALIAS;
            e.Trustee.ptstrName = reinterpret_cast<LPWSTR>(c.who == Trustee::Everyone ? world : users);
            entries.push_back(e);
        }

        PACL rawNew = nullptr;
        if (SetEntriesInAclW(ULONG(entries.size()), entries.data(), oldDacl, &rawNew) != ERROR_SUCCESS) return false;
        LocalPtr<ACL> newDacl(rawNew);
        // Set through the handle that was judged, not by name: the name may
        // lead elsewhere by now.
        return SetSecurityInfo(handle_.Get(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                               newDacl.get(), nullptr) == ERROR_SUCCESS;
    }

private:
    UniqueHandle handle_;
    bool mayChangeAccess_;
    FileFacts facts_;
};

}  // namespace

std::unique_ptr<HeldFile> Win32FileSecurity::Open(std::u16string_view path) {
    const std::wstring name(path.begin(), path.end());
    // FILE_FLAG_OPEN_REPARSE_POINT opens a junction or link itself instead of
    // its target; FILE_FLAG_BACKUP_SEMANTICS lets a folder be opened at all.
    // Changing the access list needs WRITE_DAC, which only the owner and
    // administrators hold: without it the object is still judged and read.
    const DWORD tries[] = {GENERIC_READ | WRITE_DAC, GENERIC_READ, READ_CONTROL | FILE_READ_ATTRIBUTES};
    for (DWORD access : tries) {
        HANDLE h = CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_ACCESS_DENIED) continue;
            return nullptr;
        }
        auto held = std::make_unique<Win32HeldFile>(UniqueHandle(h), (access & WRITE_DAC) != 0);
        if (!held->ReadFacts(CurrentUserSid())) return nullptr;
        return held;
    }
    return nullptr;
}

std::u16string Win32FileSecurity::CurrentUserSid() {
    if (!me_.empty()) return me_;
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
    UniqueHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (!size || !GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) return {};
    me_ = SidText(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
    return me_;
}

}  // namespace kx
