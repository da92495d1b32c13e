#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/stream_file.h"
#include "platform/win32/handles.h"

namespace kx {
namespace {

struct FileHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Close(HANDLE h) { return ::CloseHandle(h) != 0; }
};
using UniqueFileHandle = UniqueWin<HANDLE, FileHandleTraits>;

class Win32StreamFile final : public StreamFile {
public:
    explicit Win32StreamFile(HANDLE h) : h_(h) {}

    bool Read(void* buffer, size_t size, size_t& got) override {
        got = 0;
        while (got < size) {
            const DWORD want = DWORD(std::min<size_t>(size - got, 1u << 30));
            DWORD n = 0;
            if (!::ReadFile(h_.Get(), static_cast<char*>(buffer) + got, want, &n, nullptr)) return false;
            if (n == 0) break;
            got += n;
        }
        return true;
    }
    bool Write(const void* data, size_t size) override {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            const DWORD want = DWORD(std::min<size_t>(size, 1u << 30));
            DWORD n = 0;
            if (!::WriteFile(h_.Get(), p, want, &n, nullptr) || n == 0) return false;
            p += n;
            size -= n;
        }
        return true;
    }
    bool Close() override { return h_.Reset(); }

private:
    UniqueFileHandle h_;
};

}  // namespace

std::unique_ptr<StreamFile> OpenStreamFile(std::u16string_view path, StreamMode mode, FileError& error) {
    const std::wstring wide(path.begin(), path.end());
    HANDLE h = mode == StreamMode::Read
                   ? ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr)
                   : ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = ::GetLastError();
        error = (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) ? FileError::NotFound
              : e == ERROR_SHARING_VIOLATION                             ? FileError::SharingViolation
              : e == ERROR_ACCESS_DENIED                                 ? FileError::AccessDenied
                                                                         : FileError::Other;
        return nullptr;
    }
    error = FileError::None;
    return std::make_unique<Win32StreamFile>(h);
}

uint64_t TotalVirtualBytes() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return ::GlobalMemoryStatusEx(&status) ? status.ullTotalVirtual : 0;
}

}  // namespace kx
