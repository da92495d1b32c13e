#include "app/shell/elevation_win32.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "app/win/wide.h"

namespace kx {
namespace {

bool FolderWritable(const std::wstring& folder) {
    wchar_t probe[MAX_PATH] = {};
    if (!::GetTempFileNameW(folder.c_str(), L"kx", 0, probe)) return false;
    ::DeleteFileW(probe);
    return true;
}

bool VistaOrLater() {
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof(v);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ::GetVersionExW(&v);
#pragma GCC diagnostic pop
    return v.dwMajorVersion >= 6;
}

}  // namespace

bool Win32Elevation::Needed() {
    return VistaOrLater() && !::IsUserAnAdmin() && !FolderWritable(ProgramFolder());
}

bool Win32Elevation::RunElevated(std::u16string_view arguments) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring args = W(arguments);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = L"runas";
    info.lpFile = path;
    info.lpParameters = args.c_str();
    info.nShow = SW_HIDE;
    if (!::ShellExecuteExW(&info)) return false;
    if (info.hProcess) {
        ::WaitForSingleObject(info.hProcess, 30000);
        ::CloseHandle(info.hProcess);
    }
    return true;
}

}  // namespace kx
