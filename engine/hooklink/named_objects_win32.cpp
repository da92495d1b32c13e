#include "engine/hooklink/named_objects_win32.h"

#include <aclapi.h>
#include <sddl.h>

#include <string_view>

#include "engine/hooklink/object_trust.h"
#include "platform/win32/handles.h"

namespace kx {
namespace {

std::u16string U16(std::wstring_view s) { return std::u16string(s.begin(), s.end()); }

std::wstring SidText(PSID sid) {
    LPWSTR text = nullptr;
    if (!sid || !::ConvertSidToStringSidW(sid, &text)) return {};
    std::wstring result(text);
    ::LocalFree(text);
    return result;
}

// The token's user, and the owner it gives the objects it creates.
struct TokenIdentity {
    std::wstring user, owner;
};

TokenIdentity ReadIdentity() {
    TokenIdentity id;
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return id;
    UniqueHandle token(raw);
    alignas(TOKEN_USER) BYTE buffer[256];
    DWORD size = 0;
    if (::GetTokenInformation(token.Get(), TokenUser, buffer, sizeof(buffer), &size))
        id.user = SidText(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
    if (::GetTokenInformation(token.Get(), TokenOwner, buffer, sizeof(buffer), &size))
        id.owner = SidText(reinterpret_cast<TOKEN_OWNER*>(buffer)->Owner);
    return id;
}

const TokenIdentity& Identity() {
    static const TokenIdentity id = ReadIdentity();
    return id;
}

// A descriptor from its text, freed with LocalFree.
struct Descriptor {
    PSECURITY_DESCRIPTOR sd = nullptr;
    explicit Descriptor(const std::u16string& text) {
        if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(reinterpret_cast<const wchar_t*>(text.c_str()),
                                                                    SDDL_REVISION_1, &sd, nullptr))
            sd = nullptr;
    }
    ~Descriptor() {
        if (sd) ::LocalFree(sd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
};

bool OwnedByUs(HANDLE object) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (::GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                          &sd) != ERROR_SUCCESS)
        return false;
    const std::wstring ownerText = SidText(owner);
    ::LocalFree(sd);
    const TokenIdentity& id = Identity();
    return AcceptsExistingObject(U16(ownerText), U16(id.user), U16(id.owner));
}

// Creates the object with our descriptor through `create`. A process that may
// not set a medium label (it runs below medium itself) fails with the label
// and creates the object without it.
template <typename Create>
HANDLE CreateOwn(Create create, DWORD& error) {
    const TokenIdentity& id = Identity();
    if (id.user.empty()) {
        error = ERROR_ACCESS_DENIED;
        return nullptr;
    }
    HANDLE h = nullptr;
    for (const std::u16string& text : {OwnObjectDescriptor(U16(id.user)), OwnObjectDescriptorUnlabelled(U16(id.user))}) {
        Descriptor descriptor(text);
        if (!descriptor.sd) continue;
        SECURITY_ATTRIBUTES sa{sizeof(sa), descriptor.sd, FALSE};
        ::SetLastError(ERROR_SUCCESS);
        h = create(&sa);
        error = ::GetLastError();
        if (h) break;
    }
    if (!h) {
        if (error == ERROR_SUCCESS) error = ERROR_INVALID_SECURITY_DESCR;
        return nullptr;
    }
    if (error == ERROR_ALREADY_EXISTS && !OwnedByUs(h)) {
        ::CloseHandle(h);
        error = kForeignObjectError;
        return nullptr;
    }
    return h;
}

std::wstring LongPath(std::wstring path) {
    wchar_t buffer[MAX_PATH * 2];
    const DWORD n = ::GetLongPathNameW(path.c_str(), buffer, DWORD(std::size(buffer)));
    return n > 0 && n < std::size(buffer) ? std::wstring(buffer, n) : path;
}

}  // namespace

HANDLE CreateOwnMutex(const wchar_t* name, DWORD& error) {
    return CreateOwn([name](SECURITY_ATTRIBUTES* sa) { return ::CreateMutexW(sa, FALSE, name); }, error);
}

HANDLE CreateOwnMapping(const wchar_t* name, DWORD size, DWORD& error) {
    return CreateOwn(
        [name, size](SECURITY_ATTRIBUTES* sa) {
            return ::CreateFileMappingW(INVALID_HANDLE_VALUE, sa, PAGE_READWRITE, 0, size, name);
        },
        error);
}

bool ProcessTokenFlag(HANDLE process, TOKEN_INFORMATION_CLASS what) {
    HANDLE raw = nullptr;
    if (!process || !::OpenProcessToken(process, TOKEN_QUERY, &raw)) return false;
    UniqueHandle token(raw);
    DWORD value = 0, size = 0;
    // TOKEN_ELEVATION is one DWORD, as is the TokenUIAccess answer.
    return ::GetTokenInformation(token.Get(), what, &value, sizeof(value), &size) && value != 0;
}

bool RunsElevated() { return ProcessTokenFlag(::GetCurrentProcess(), TokenElevation); }

std::wstring ProcessImage(HANDLE process) {
    wchar_t buffer[MAX_PATH * 2];
    DWORD size = DWORD(std::size(buffer));
    if (!process || !::QueryFullProcessImageNameW(process, 0, buffer, &size)) return {};
    return LongPath(std::wstring(buffer, size));
}

std::wstring WindowImage(HWND window) {
    DWORD pid = 0;
    if (!window || !::GetWindowThreadProcessId(window, &pid) || !pid) return {};
    UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    return ProcessImage(process.Get());
}

std::wstring OwnImage() {
    wchar_t buffer[MAX_PATH * 2];
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer, DWORD(std::size(buffer)));
    return n > 0 && n < std::size(buffer) ? LongPath(std::wstring(buffer, n)) : std::wstring();
}

}  // namespace kx
