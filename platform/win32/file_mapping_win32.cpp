// Windows files and mappings: CreateFileW, ReadFile, CreateFileMappingW, MapViewOfFile.
#include <windows.h>

#include "platform/file_mapping.h"

namespace kx {
namespace {

std::wstring WidePath(std::u16string_view path) { return std::wstring(path.begin(), path.end()); }

class Win32View final : public FileView {
public:
    Win32View(HANDLE mapping, uint8_t* data, uint64_t size) : mapping_(mapping) { data_ = data; size_ = size; }
    ~Win32View() override { Unmap(); }
    bool Unmap() override {
        if (!mapping_) return true;
        bool ok = UnmapViewOfFile(data_) != 0;
        ok = CloseHandle(mapping_) != 0 && ok;
        mapping_ = nullptr;
        data_ = nullptr;
        size_ = 0;
        return ok;
    }

private:
    HANDLE mapping_;
};

class Win32File final : public OpenFile {
public:
    Win32File(HANDLE h, FileAccess access) : h_(h), access_(access) {}
    ~Win32File() override { CloseHandle(h_); }

    bool Size(uint64_t& out) override {
        LARGE_INTEGER li;
        if (!GetFileSizeEx(h_, &li)) return false;
        out = uint64_t(li.QuadPart);
        return true;
    }
    bool Flush() override { return FlushFileBuffers(h_) != 0; }

    bool Read(uint64_t offset, void* buffer, size_t size, size_t& got) override {
        got = 0;
        // A synchronous handle reads at the offset an OVERLAPPED gives and
        // returns once the read is complete (ReadFile's documented rule for
        // handles opened without FILE_FLAG_OVERLAPPED).
        OVERLAPPED at{};
        at.Offset = DWORD(offset);
        at.OffsetHigh = DWORD(offset >> 32);
        DWORD read = 0;
        const DWORD ask = size > (DWORD(1) << 30) ? (DWORD(1) << 30) : DWORD(size);
        if (!ReadFile(h_, buffer, ask, &read, &at)) return GetLastError() == ERROR_HANDLE_EOF;
        got = read;
        return true;
    }

    std::unique_ptr<FileView> Map(uint64_t size) override {
        uint64_t current = 0;
        if (!Size(current)) return nullptr;
        const uint64_t mappingSize = size > current ? size : current;
        const uint64_t viewSize = size ? size : current;
        if (viewSize == 0 || viewSize > SIZE_MAX) return nullptr;
        const bool write = access_ == FileAccess::ReadWrite;
        HANDLE mapping = CreateFileMappingW(h_, nullptr, write ? PAGE_READWRITE : PAGE_READONLY,
                                            DWORD(mappingSize >> 32), DWORD(mappingSize), nullptr);
        if (!mapping) return nullptr;
        void* view = MapViewOfFile(mapping, write ? FILE_MAP_WRITE : FILE_MAP_READ, 0, 0, SIZE_T(size));
        if (!view) {
            CloseHandle(mapping);
            return nullptr;
        }
        return std::make_unique<Win32View>(mapping, static_cast<uint8_t*>(view), viewSize);
    }

private:
    HANDLE h_;
    FileAccess access_;
};

class Win32FileMapping final : public FileMapping {
public:
    uint32_t AllocationGranularity() override {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        return si.dwAllocationGranularity;
    }

    std::unique_ptr<OpenFile> Open(std::u16string_view path, FileAccess access, FileShare share,
                                   FileDisposition disposition, FileError& error) override {
        DWORD desired = access == FileAccess::ReadWrite ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
        DWORD shareMode = share == FileShare::ReadWrite ? FILE_SHARE_READ | FILE_SHARE_WRITE
                        : share == FileShare::Read      ? FILE_SHARE_READ
                                                        : 0;
        DWORD create = disposition == FileDisposition::OpenAlways ? OPEN_ALWAYS : OPEN_EXISTING;
        HANDLE h = CreateFileW(WidePath(path).c_str(), desired, shareMode, nullptr, create,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            DWORD e = GetLastError();
            error = e == ERROR_SHARING_VIOLATION                            ? FileError::SharingViolation
                  : (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) ? FileError::NotFound
                  : e == ERROR_ACCESS_DENIED                                 ? FileError::AccessDenied
                                                                             : FileError::Other;
            return nullptr;
        }
        error = FileError::None;
        return std::make_unique<Win32File>(h, access);
    }

    bool Exists(std::u16string_view path) override {
        return GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    bool SetNormalAttributes(std::u16string_view path) override {
        return SetFileAttributesW(WidePath(path).c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
    }
    bool Delete(std::u16string_view path) override { return DeleteFileW(WidePath(path).c_str()) != 0; }
    bool Rename(std::u16string_view from, std::u16string_view to) override {
        return MoveFileW(WidePath(from).c_str(), WidePath(to).c_str()) != 0;
    }
};

}  // namespace

FileMapping& SystemFileMapping() {
    static Win32FileMapping files;  // stateless
    return files;
}

}  // namespace kx
