#include "app/dialogs/shortcut_file_dialogs_win32.h"

#include <commdlg.h>

#include <string>

#include "app/win/wide.h"

namespace kx {
namespace {

constexpr wchar_t kFilter[] = L"Shortcut Database File (*.dat)\0*.dat\0All Files (*.*)\0*.*\0";

std::u16string Choose(HWND owner, bool save, std::u16string_view folder, std::u16string_view fileName) {
    wchar_t path[MAX_PATH] = {};
    const std::wstring name = W(fileName.substr(0, MAX_PATH - 1));
    name.copy(path, MAX_PATH - 1);
    const std::wstring start = W(folder);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kFilter;
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = save ? L"Save Data" : L"Load Data";
    ofn.lpstrInitialDir = start.empty() ? nullptr : start.c_str();
    ofn.lpstrDefExt = L"dat";
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_NOCHANGEDIR |
                (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL chosen = save ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn);
    return chosen ? U(path) : std::u16string();
}

}  // namespace

std::u16string Win32ShortcutFileDialogs::ChooseFileToSave(std::u16string_view folder, std::u16string_view fileName) {
    return Choose(owner_, true, folder, fileName);
}

std::u16string Win32ShortcutFileDialogs::ChooseFileToLoad(std::u16string_view folder, std::u16string_view fileName) {
    return Choose(owner_, false, folder, fileName);
}

}  // namespace kx
