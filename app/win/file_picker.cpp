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

struct FolderStart {
    const std::wstring& folder;
    const std::wstring& okText;
};

int CALLBACK StartAt(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message != BFFM_INITIALIZED || !data) return 0;
    const auto& start = *reinterpret_cast<const FolderStart*>(data);
    if (!start.folder.empty()) ::SendMessageW(window, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(start.folder.c_str()));
    if (!start.okText.empty()) ::SendMessageW(window, BFFM_SETOKTEXT, 0, reinterpret_cast<LPARAM>(start.okText.c_str()));
    return 0;
}

}  // namespace

std::wstring PickFolder(HWND owner, const std::wstring& title, const std::wstring& startFolder,
                        const std::wstring& okText) {
    const FolderStart start{startFolder, okText};
    BROWSEINFOW bi{};
    bi.hwndOwner = owner;
    bi.lpszTitle = title.c_str();
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
    bi.lpfn = &StartAt;
    bi.lParam = reinterpret_cast<LPARAM>(&start);
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&bi);
    if (!chosen) return {};
    wchar_t path[MAX_PATH] = {};
    const BOOL ok = ::SHGetPathFromIDListW(chosen, path);
    ::CoTaskMemFree(chosen);
    return ok ? std::wstring(path) : std::wstring();
}

}  // namespace kx
