#include "platform/win32/known_folders_win32.h"

#include <windows.h>
#include <shlobj.h>

namespace kx {
namespace {

constexpr int kRoamingAppData = 0x1A;
constexpr int kCommonAppData = 0x23;

std::u16string FolderPath(int code) {
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, code, nullptr, 0, buffer))) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(buffer));
}

}  // namespace

std::u16string Win32KnownFolders::RoamingAppData() { return FolderPath(kRoamingAppData); }
std::u16string Win32KnownFolders::CommonAppData() { return FolderPath(kCommonAppData); }

}  // namespace kx
