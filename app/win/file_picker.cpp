#include "app/win/file_picker.h"

#include <commdlg.h>
#include <shlobj.h>

namespace kx {

std::wstring PickFileToOpen(HWND owner, const std::wstring& title, const std::vector<FileFilter>& filters,
                            const std::wstring& startFolder) {
    std::wstring filter;
    for (const auto& f : filters) {
        filter += f.name + L" (" + f.pattern + L")";
        filter.push_back(L'\0');
        filter += f.pattern;
        filter.push_back(L'\0');
    }
    filter.push_back(L'\0');
    wchar_t path[MAX_PATH] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrInitialDir = startFolder.empty() ? nullptr : startFolder.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    return ::GetOpenFileNameW(&ofn) ? std::wstring(path) : std::wstring();
}

namespace {

int CALLBACK StartAt(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data) ::SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

}  // namespace

std::wstring PickFolder(HWND owner, const std::wstring& title, const std::wstring& startFolder) {
    BROWSEINFOW bi{};
    bi.hwndOwner = owner;
    bi.lpszTitle = title.c_str();
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    bi.lpfn = &StartAt;
    bi.lParam = reinterpret_cast<LPARAM>(startFolder.c_str());
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&bi);
    if (!chosen) return {};
    wchar_t path[MAX_PATH] = {};
    const BOOL ok = ::SHGetPathFromIDListW(chosen, path);
    ::CoTaskMemFree(chosen);
    return ok ? std::wstring(path) : std::wstring();
}

}  // namespace kx
