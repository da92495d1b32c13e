// Windows folders and files.
#include <windows.h>

#include "platform/file_system.h"

namespace kx {
namespace {

std::wstring Wide(std::u16string_view path) { return std::wstring(path.begin(), path.end()); }

FileError ErrorKind(DWORD e) {
    switch (e) {
    case ERROR_SHARING_VIOLATION: return FileError::SharingViolation;
    case ERROR_ACCESS_DENIED: return FileError::AccessDenied;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return FileError::NotFound;
    default: return FileError::Other;
    }
}

class Win32FileSystem final : public FileSystem {
public:
    bool IsFolder(std::u16string_view path) override {
        DWORD a = GetFileAttributesW(Wide(path).c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
    }
    bool IsFile(std::u16string_view path) override {
        DWORD a = GetFileAttributesW(Wide(path).c_str());
        return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
    }
    bool MakeFolder(std::u16string_view path) override { return CreateDirectoryW(Wide(path).c_str(), nullptr) != 0; }
    bool Copy(std::u16string_view from, std::u16string_view to, bool replace) override {
        return CopyFileW(Wide(from).c_str(), Wide(to).c_str(), replace ? FALSE : TRUE) != 0;
    }
    std::vector<std::u16string> ListFiles(std::u16string_view folder) override {
        std::vector<std::u16string> names;
        std::wstring pattern = Wide(folder) + L"\\*";
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.emplace_back(reinterpret_cast<const char16_t*>(fd.cFileName));
        } while (FindNextFileW(h, &fd));
        FindClose(h);
        return names;
    }
    std::vector<std::u16string> ListFolders(std::u16string_view folder) override {
        std::vector<std::u16string> names;
        std::wstring pattern = Wide(folder) + L"\\*";
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            const std::wstring_view name = fd.cFileName;
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..")
                names.emplace_back(reinterpret_cast<const char16_t*>(fd.cFileName));
        } while (FindNextFileW(h, &fd));
        FindClose(h);
        return names;
    }
    bool FileSize(std::u16string_view path, uint64_t& bytes) override {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data) ||
            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return false;
        bytes = uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
        return true;
    }
    bool Remove(std::u16string_view path) override { return DeleteFileW(Wide(path).c_str()) != 0; }
    bool LastWriteTime(std::u16string_view path, int64_t& seconds) override {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return false;
        const uint64_t ticks = uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
        seconds = int64_t(ticks / 10000000u);  // 100-ns ticks since 1601
        return true;
    }
    FileError MoveReplacing(std::u16string_view from, std::u16string_view to) override {
        if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return FileError::None;
        return ErrorKind(GetLastError());
    }
    std::u16string MakeUniqueFile(std::u16string_view folder) override {
        wchar_t name[MAX_PATH] = {};
        if (!GetTempFileNameW(Wide(folder).c_str(), L"kx", 0, name)) return {};
        return std::u16string(reinterpret_cast<const char16_t*>(name));
    }
};

}  // namespace

FileSystem& SystemFileSystem() {
    static Win32FileSystem fs;  // stateless
    return fs;
}

}  // namespace kx
