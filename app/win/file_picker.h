// The system's file and folder pickers.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kx {

struct FileFilter {
    std::wstring name;     // "Rich Text Format"
    std::wstring pattern;  // "*.rtf"
};

// An open-file dialog. Returns the chosen path, empty when cancelled.
std::wstring PickFileToOpen(HWND owner, const std::wstring& title, const std::vector<FileFilter>& filters,
                            const std::wstring& startFolder);

// A folder picker starting at `startFolder`, with a field to type the folder
// in and `okText` on its OK button when given. Empty when cancelled.
std::wstring PickFolder(HWND owner, const std::wstring& title, const std::wstring& startFolder,
                        const std::wstring& okText = {});

}  // namespace kx
