// POSIX files and mappings for native builds (Windows uses win32/file_mapping_win32.cpp).
#if !defined(_WIN32)

#include <errno.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "base/text.h"
#include "platform/file_mapping.h"

namespace kx {
namespace {

std::string NativePath(std::u16string_view path) { return Utf16ToUtf8(path); }

class PosixView final : public FileView {
public:
    PosixView(uint8_t* data, uint64_t size) { data_ = data; size_ = size; }
    ~PosixView() override { Unmap(); }
    bool Unmap() override {
        if (!data_) return true;
        bool ok = munmap(data_, size_) == 0;
        data_ = nullptr;
        size_ = 0;
        return ok;
    }
};

class PosixFile final : public OpenFile {
public:
    PosixFile(int fd, FileAccess access) : fd_(fd), access_(access) {}
    ~PosixFile() override { close(fd_); }

    bool Size(uint64_t& out) override {
        struct stat st;
        if (fstat(fd_, &st) != 0) return false;
        out = uint64_t(st.st_size);
        return true;
    }
    bool Flush() override { return fsync(fd_) == 0; }
    bool Read(uint64_t offset, void* buffer, size_t size, size_t& got) override {
        got = 0;
        for (;;) {
            const ssize_t n = pread(fd_, buffer, size, off_t(offset));
            if (n >= 0) {
                got = size_t(n);
                return true;
            }
            if (errno != EINTR) return false;
        }
    }
    bool GrowsWithZeros() const override { return true; }
    void StartWriteBack(uint64_t offset, uint64_t bytes) override {
#if defined(__linux__)
        sync_file_range(fd_, off_t(offset), off_t(bytes), SYNC_FILE_RANGE_WRITE);
#else
        (void)offset, (void)bytes;
#endif
    }

    std::unique_ptr<FileView> Map(uint64_t size) override {
        uint64_t current = 0;
        if (!Size(current)) return nullptr;
        if (size > current) {
            if (access_ != FileAccess::ReadWrite || ftruncate(fd_, off_t(size)) != 0) return nullptr;
            current = size;
        }
        uint64_t viewSize = size ? size : current;
        if (viewSize == 0 || viewSize > SIZE_MAX) return nullptr;
        int prot = access_ == FileAccess::ReadWrite ? PROT_READ | PROT_WRITE : PROT_READ;
        int flags = MAP_SHARED;
#ifdef MAP_POPULATE
        // The reader goes through every page: fault them in at once. Not for
        // writing: that would read (zero-fill) every page of the grown file,
        // padding included, only to fault each again on its first write.
        if (access_ == FileAccess::Read) flags |= MAP_POPULATE;
#endif
        void* p = mmap(nullptr, size_t(viewSize), prot, flags, fd_, 0);
        if (p == MAP_FAILED) return nullptr;
        return std::make_unique<PosixView>(static_cast<uint8_t*>(p), viewSize);
    }

private:
    int fd_;
    FileAccess access_;
};

class PosixFileMapping final : public FileMapping {
public:
    uint32_t AllocationGranularity() override { return 65536; }

    std::unique_ptr<OpenFile> Open(std::u16string_view path, FileAccess access, FileShare,
                                   FileDisposition disposition, FileError& error) override {
        int flags = (access == FileAccess::ReadWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC;
        if (disposition == FileDisposition::OpenAlways) flags |= O_CREAT;
        int fd = open(NativePath(path).c_str(), flags, 0666);
        if (fd < 0) {
            error = errno == ENOENT ? FileError::NotFound
                  : (errno == EACCES || errno == EPERM) ? FileError::AccessDenied
                  : FileError::Other;
            return nullptr;
        }
        struct stat st;
        if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            close(fd);
            error = FileError::AccessDenied;
            return nullptr;
        }
        error = FileError::None;
        return std::make_unique<PosixFile>(fd, access);
    }

    bool Exists(std::u16string_view path) override {
        struct stat st;
        return lstat(NativePath(path).c_str(), &st) == 0;
    }

    bool SetNormalAttributes(std::u16string_view path) override {
        std::string p = NativePath(path);
        struct stat st;
        if (stat(p.c_str(), &st) != 0) return false;
        return chmod(p.c_str(), (st.st_mode & 07777) | S_IRUSR | S_IWUSR) == 0;
    }

    bool Delete(std::u16string_view path) override { return unlink(NativePath(path).c_str()) == 0; }

    bool Rename(std::u16string_view from, std::u16string_view to) override {
        std::string f = NativePath(from), t = NativePath(to);
        struct stat st;
        if (lstat(t.c_str(), &st) == 0) return false;
        return std::rename(f.c_str(), t.c_str()) == 0;
    }
};

}  // namespace

FileMapping& SystemFileMapping() {
    static PosixFileMapping files;  // stateless
    return files;
}

}  // namespace kx

#endif  // !_WIN32
