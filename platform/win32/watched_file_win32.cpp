// The shared file's watch on Windows: ReadDirectoryChangesW on its folder,
// and GetFileAttributesExW for its stamp.
#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/watched_file.h"
#include "platform/win32/handles.h"

namespace kx {
namespace {

std::wstring Wide(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }

bool SameName(const wchar_t* a, size_t aLength, const std::wstring& b) {
    return !b.empty() && CompareStringOrdinal(a, int(aLength), b.c_str(), int(b.size()), TRUE) == CSTR_EQUAL;
}

class Win32WatchedFile final : public WatchedFile {
public:
    explicit Win32WatchedFile(std::u16string_view path) : path_(Wide(path)) {
        const size_t slash = path_.find_last_of(L"\\/");
        folder_ = slash == std::wstring::npos ? L"." : path_.substr(0, slash == 0 ? 1 : slash);
        name_ = slash == std::wstring::npos ? path_ : path_.substr(slash + 1);
        io_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        wake_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    }
    ~Win32WatchedFile() override { Disarm(); }

    bool Arm() override {
        Disarm();
        if (!io_ || !wake_) return false;
        // FILE_LIST_DIRECTORY and FILE_FLAG_BACKUP_SEMANTICS are what a folder
        // handle for ReadDirectoryChangesW needs; overlapped, so that a wait
        // can also end on Wake.
        HANDLE h = CreateFileW(folder_.c_str(), FILE_LIST_DIRECTORY,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        folderHandle_.Reset(h);
        // The short name, which the notices may give instead of the long one.
        wchar_t shortPath[MAX_PATH];
        const DWORD n = GetShortPathNameW(path_.c_str(), shortPath, MAX_PATH);
        std::wstring s = n > 0 && n < MAX_PATH ? std::wstring(shortPath, n) : std::wstring();
        const size_t slash = s.find_last_of(L"\\/");
        shortName_ = slash == std::wstring::npos ? s : s.substr(slash + 1);
        if (!Issue()) {
            folderHandle_.Reset();
            return false;
        }
        return true;
    }

    FolderNotice Wait(uint32_t ms) override {
        const DWORD start = GetTickCount();
        for (;;) {
            const DWORD waited = GetTickCount() - start;
            const DWORD left = waited >= ms ? 0 : ms - waited;
            if (!pending_) {
                return WaitForSingleObject(wake_.Get(), left) == WAIT_OBJECT_0 ? FolderNotice::Woken
                                                                               : FolderNotice::Quiet;
            }
            const HANDLE both[2] = {wake_.Get(), io_.Get()};
            const DWORD r = WaitForMultipleObjects(2, both, FALSE, left);
            if (r == WAIT_OBJECT_0) return FolderNotice::Woken;
            if (r != WAIT_OBJECT_0 + 1) return FolderNotice::Quiet;
            DWORD bytes = 0;
            const BOOL done = GetOverlappedResult(folderHandle_.Get(), &overlapped_, &bytes, FALSE);
            pending_ = false;
            if (!done) {
                // ERROR_NOTIFY_ENUM_DIR: more changes than the buffer held.
                if (GetLastError() == ERROR_NOTIFY_ENUM_DIR && Issue()) return FolderNotice::Changed;
                Disarm();
                return FolderNotice::Lost;
            }
            // No bytes: the system dropped the buffer's notices (documented
            // for a buffer that overflowed), so any file may have changed.
            const bool ours = bytes == 0 || MentionsFile(bytes);
            if (!Issue()) {
                Disarm();
                return ours ? FolderNotice::Changed : FolderNotice::Lost;
            }
            if (ours) return FolderNotice::Changed;
        }
    }

    void Wake() override { SetEvent(wake_.Get()); }

    FileStamp Stamp() override {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        FileStamp s;
        if (!GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &data)) return s;
        s.writeTime = (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
        s.size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        return s;
    }

private:
    bool Issue() {
        overlapped_ = OVERLAPPED{};
        overlapped_.hEvent = io_.Get();
        ResetEvent(io_.Get());
        // A save writes a staged file and moves it over the old one: both
        // the name and the write notices matter.
        pending_ = ReadDirectoryChangesW(folderHandle_.Get(), buffer_, sizeof buffer_, FALSE,
                                         FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE |
                                             FILE_NOTIFY_CHANGE_SIZE,
                                         nullptr, &overlapped_, nullptr) != FALSE;
        return pending_;
    }

    // The buffer must stay in place until the read it was given to has
    // ended, so a pending read is cancelled and waited for before the folder
    // handle closes (CancelIoEx, then GetOverlappedResult with bWait).
    void Disarm() {
        if (pending_) {
            CancelIoEx(folderHandle_.Get(), &overlapped_);
            DWORD bytes = 0;
            GetOverlappedResult(folderHandle_.Get(), &overlapped_, &bytes, TRUE);
            pending_ = false;
        }
        folderHandle_.Reset();
    }

    // Whether a notice names the file. ReadDirectoryChangesW may give a
    // file's short name instead of its long one, and which one is not
    // specified: the short name taken at Arm counts too, and so does any
    // name of the short form ("~"), which may be the file's new short name
    // after a save moved a staged file over it.
    bool MentionsFile(DWORD bytes) const {
        size_t at = 0;
        for (;;) {
            if (at + sizeof(FILE_NOTIFY_INFORMATION) > bytes) return false;
            const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer_ + at);
            if (at + offsetof(FILE_NOTIFY_INFORMATION, FileName) + info->FileNameLength > bytes) return false;
            const size_t length = info->FileNameLength / sizeof(wchar_t);
            if (SameName(info->FileName, length, name_) || SameName(info->FileName, length, shortName_) ||
                std::wstring_view(info->FileName, length).find(L'~') != std::wstring_view::npos)
                return true;
            if (info->NextEntryOffset == 0) return false;
            at += info->NextEntryOffset;
        }
    }

    std::wstring path_, folder_, name_, shortName_;
    UniqueHandle folderHandle_;
    UniqueHandle io_, wake_;
    OVERLAPPED overlapped_{};
    bool pending_ = false;
    // DWORD-aligned, as the notices must be; at most 64 KB, the limit for a
    // folder on a network share.
    alignas(DWORD) BYTE buffer_[16384];
};

}  // namespace

std::unique_ptr<WatchedFile> WatchFile(std::u16string_view path) {
    if (path.empty()) return nullptr;
    return std::make_unique<Win32WatchedFile>(path);
}

}  // namespace kx
