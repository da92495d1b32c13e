#include "app/search/print_folder.h"

#include <windows.h>

namespace kx {
namespace {

constexpr wchar_t kListingName[] = L"TempPrint.txt";
constexpr int kNameAttempts = 100;

}  // namespace

PrintFolder::~PrintFolder() {
    if (path_.empty()) return;
    ::DeleteFileW((path_ + L"\\" + kListingName).c_str());
    ::RemoveDirectoryW(path_.c_str());
}

const std::wstring& PrintFolder::Path() {
    if (!path_.empty()) return path_;
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) return path_;
    std::wstring base(temp, n);
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    base += L"\\Kestrix" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(::GetTickCount());
    // CreateDirectoryW fails on any existing name, folder, file or link
    // alike: the folder we get is one we made.
    for (int i = 0; i < kNameAttempts; ++i) {
        const std::wstring candidate = base + L"-" + std::to_wstring(i);
        if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = candidate;
            break;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    return path_;
}

std::wstring PrintFolder::Listing() {
    const std::wstring& folder = Path();
    return folder.empty() ? std::wstring() : folder + L"\\" + kListingName;
}

}  // namespace kx
