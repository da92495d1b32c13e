// Windows builds use stream_file_win32.cpp.
#if !defined(_WIN32)
#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "base/text.h"
#include "platform/stream_file.h"

namespace kx {
namespace {

class PosixStreamFile final : public StreamFile {
public:
    explicit PosixStreamFile(int fd) : fd_(fd) {}
    ~PosixStreamFile() override { Close(); }

    bool Read(void* buffer, size_t size, size_t& got) override {
        got = 0;
        while (got < size) {
            const ssize_t n = ::read(fd_, static_cast<char*>(buffer) + got, size - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return false;
            if (n == 0) break;
            got += size_t(n);
        }
        return true;
    }
    bool Write(const void* data, size_t size) override {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t n = ::write(fd_, p, size);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            p += n;
            size -= size_t(n);
        }
        return true;
    }
    bool Close() override {
        if (fd_ < 0) return true;
        const bool ok = ::close(fd_) == 0;
        fd_ = -1;
        return ok;
    }

private:
    int fd_;
};

}  // namespace

std::unique_ptr<StreamFile> OpenStreamFile(std::u16string_view path, StreamMode mode, FileError& error) {
    const std::string native = Utf16ToUtf8(path);
    const int flags = mode == StreamMode::Read ? O_RDONLY : O_WRONLY | O_CREAT | O_EXCL;
    const int fd = ::open(native.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = errno == ENOENT ? FileError::NotFound : errno == EACCES ? FileError::AccessDenied : FileError::Other;
        return nullptr;
    }
    error = FileError::None;
    return std::make_unique<PosixStreamFile>(fd);
}

// The user address space of a 64-bit process, as Windows reports it for one.
uint64_t TotalVirtualBytes() { return 0x7FFFFFFE0000ull; }

}  // namespace kx

#endif
