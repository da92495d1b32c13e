// Registers the stand-in Outlook server (kx_outlook_standin.exe) for the
// duration of a test, the way Outlook's setup registers Outlook: the
// application class with its local server, the application interface
// marshalled through a type library, and that type library, which is made
// here with one dispatch interface in it. Everything goes again with the
// object.
#pragma once

#include <ole2.h>
#include <oleauto.h>
#include <windows.h>

#include <string>

#include "platform/win32/handles.h"

namespace kx::test {

inline constexpr wchar_t kOutlookClassKey[] = L"Software\\Classes\\CLSID\\{0006F03A-0000-0000-C000-000000000046}";
inline constexpr wchar_t kOutlookInterfaceKey[] =
    L"Software\\Classes\\Interface\\{00063001-0000-0000-C000-000000000046}";
inline constexpr wchar_t kStandInLibraryKey[] = L"Software\\Classes\\TypeLib\\{5B0C3E7A-41D2-4F0B-9A61-3C8E2D7F1B40}";
inline constexpr GUID kStandInLibrary = {0x5B0C3E7A, 0x41D2, 0x4F0B, {0x9A, 0x61, 0x3C, 0x8E, 0x2D, 0x7F, 0x1B, 0x40}};
inline constexpr IID kOutlookApplicationIid = {0x00063001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
// The hive that holds the registration. Wine 8's COM takes its classes from
// HKLM\Software\Classes alone and does not see the user's
// HKCU\Software\Classes (a class registered there is "not registered"), so
// the test's prefix gets them in the machine's part.
inline const HKEY kStandInHive = HKEY_LOCAL_MACHINE;

// Creates the key as it sets the value.
inline bool SetStandInKeyText(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    return ::RegSetKeyValueW(kStandInHive, key.c_str(), name, REG_SZ, value.c_str(),
                             DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

inline void RemoveOutlookStandIn() {
    for (const wchar_t* key : {kOutlookClassKey, kOutlookInterfaceKey, kStandInLibraryKey})
        ::RegDeleteTreeW(kStandInHive, key);
}

// A type library with Outlook's application interface as a dispatch
// interface deriving from IDispatch, saved at `path`.
inline bool WriteStandInLibrary(const std::wstring& path) {
    ICreateTypeLib2* made = nullptr;
    if (FAILED(::CreateTypeLib2(sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32, path.c_str(), &made))) return false;
    const UniqueCom<ICreateTypeLib2> lib(made);
    ITypeLib* loaded = nullptr;
    if (FAILED(::LoadTypeLib(L"stdole2.tlb", &loaded))) return false;
    const UniqueCom<ITypeLib> stdole(loaded);
    ITypeInfo* found = nullptr;
    if (FAILED(stdole.Get()->GetTypeInfoOfGuid(__uuidof(IDispatch), &found))) return false;
    const UniqueCom<ITypeInfo> dispatch(found);
    ICreateTypeInfo* created = nullptr;
    if (FAILED(lib.Get()->SetGuid(kStandInLibrary)) || FAILED(lib.Get()->SetVersion(1, 0)) ||
        FAILED(lib.Get()->SetName(const_cast<LPOLESTR>(L"KestrixOutlookStandIn"))) ||
        FAILED(lib.Get()->CreateTypeInfo(const_cast<LPOLESTR>(L"_Application"), TKIND_DISPATCH, &created)))
        return false;
    const UniqueCom<ICreateTypeInfo> info(created);
    HREFTYPE base = 0;
    return SUCCEEDED(info.Get()->SetGuid(kOutlookApplicationIid)) &&
           SUCCEEDED(info.Get()->AddRefTypeInfo(dispatch.Get(), &base)) &&
           SUCCEEDED(info.Get()->AddImplType(0, base)) && SUCCEEDED(info.Get()->LayOut()) &&
           SUCCEEDED(lib.Get()->SaveAllChanges());
}

class OutlookStandIn {
public:
    // Registers `server` (a full path) and writes its type library to `library`.
    OutlookStandIn(const std::wstring& server, const std::wstring& library) : library_(library) {
        RemoveOutlookStandIn();
        registered_ = WriteStandInLibrary(library_) &&
                      SetStandInKeyText(kOutlookClassKey + std::wstring(L"\\LocalServer32"), nullptr,
                                 L"\"" + server + L"\"") &&
                      SetStandInKeyText(kOutlookInterfaceKey, nullptr, L"_Application") &&
                      // Oleaut32's marshaller, which reads the type library.
                      SetStandInKeyText(kOutlookInterfaceKey + std::wstring(L"\\ProxyStubClsid32"), nullptr,
                                 L"{00020424-0000-0000-C000-000000000046}") &&
                      SetStandInKeyText(kOutlookInterfaceKey + std::wstring(L"\\TypeLib"), nullptr,
                                 L"{5B0C3E7A-41D2-4F0B-9A61-3C8E2D7F1B40}") &&
                      SetStandInKeyText(kOutlookInterfaceKey + std::wstring(L"\\TypeLib"), L"Version", L"1.0") &&
                      SetStandInKeyText(kStandInLibraryKey + std::wstring(L"\\1.0\\0\\") +
                                     (sizeof(void*) == 8 ? L"win64" : L"win32"),
                                 nullptr, library_);
    }
    ~OutlookStandIn() {
        RemoveOutlookStandIn();
        ::DeleteFileW(library_.c_str());
    }
    OutlookStandIn(const OutlookStandIn&) = delete;
    OutlookStandIn& operator=(const OutlookStandIn&) = delete;

    bool Registered() const { return registered_; }

private:
    std::wstring library_;
    bool registered_ = false;
};

}  // namespace kx::test
