// POSIX folders and files for native builds (Windows uses win32/file_system_win32.cpp).
#if !defined(_WIN32)

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "base/text.h"
#include "platform/file_system.h"

namespace kx {
namespace {

std::string NativePath(std::u16string_view path) { return Utf16ToUtf8(path); }

bool StatMode(std::u16string_view path, mode_t& mode) {
    struct stat st;
    if (stat(NativePath(path).c_str(), &st) != 0) return false;
    mode = st.st_mode;
    return true;
}

// Closes a descriptor on scope exit.
struct Fd {
    int fd;
    ~Fd() { if (fd >= 0) close(fd); }
};

class PosixFileSystem final : public FileSystem {
public:
    bool IsFolder(std::u16string_view path) override {
        mode_t m;
        return StatMode(path, m) && S_ISDIR(m);
    }
    bool IsFile(std::u16string_view path) override {
        mode_t m;
        return StatMode(path, m) && !S_ISDIR(m);
    }
    bool MakeFolder(std::u16string_view path) override { return mkdir(NativePath(path).c_str(), 0777) == 0; }

    bool Copy(std::u16string_view from, std::u16string_view to, bool replace) override {
        Fd in{open(NativePath(from).c_str(), O_RDONLY | O_CLOEXEC)};
        if (in.fd < 0) return false;
        const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (replace ? 0 : O_EXCL);
        Fd out{open(NativePath(to).c_str(), flags, 0666)};
        if (out.fd < 0) return false;
        char buf[65536];
        for (;;) {
            ssize_t n = read(in.fd, buf, sizeof buf);
            if (n < 0) return false;
            if (n == 0) return true;
            for (ssize_t done = 0; done < n;) {
                ssize_t w = write(out.fd, buf + done, size_t(n - done));
                if (w <= 0) return false;
                done += w;
            }
        }
    }

    std::vector<std::u16string> ListFiles(std::u16string_view folder) override {
        std::vector<std::u16string> names;
        const std::string dir = NativePath(folder);
        DIR* d = opendir(dir.c_str());
        if (!d) return names;
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            struct stat st;
            if (stat((dir + "/" + name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) names.push_back(Utf8ToUtf16(name));
        }
        closedir(d);
        return names;
    }

    std::vector<std::u16string> ListFolders(std::u16string_view folder) override {
        std::vector<std::u16string> names;
        const std::string dir = NativePath(folder);
        DIR* d = opendir(dir.c_str());
        if (!d) return names;
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            struct stat st;
            if (stat((dir + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) names.push_back(Utf8ToUtf16(name));
        }
        closedir(d);
        return names;
    }

    bool FileSize(std::u16string_view path, uint64_t& bytes) override {
        struct stat st;
        if (stat(NativePath(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
        bytes = uint64_t(st.st_size);
        return true;
    }

    bool Remove(std::u16string_view path) override { return unlink(NativePath(path).c_str()) == 0; }

    bool LastWriteTime(std::u16string_view path, int64_t& seconds) override {
        struct stat st;
        if (stat(NativePath(path).c_str(), &st) != 0) return false;
        seconds = int64_t(st.st_mtime);
        return true;
    }

    FileError MoveReplacing(std::u16string_view from, std::u16string_view to) override {
        if (rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0) return FileError::None;
        return errno == ENOENT ? FileError::NotFound
             : (errno == EACCES || errno == EPERM) ? FileError::AccessDenied
             : FileError::Other;
    }

    std::u16string MakeUniqueFile(std::u16string_view folder) override {
        // The name has the form Windows gives it (kx....tmp).
        std::string pattern = NativePath(folder) + "/kxXXXXXX.tmp";
        Fd fd{mkstemps(pattern.data(), 4)};
        if (fd.fd < 0) return {};
        return Utf8ToUtf16(pattern);
    }
};

}  // namespace

FileSystem& SystemFileSystem() {
    static PosixFileSystem fs;  // stateless
    return fs;
}

}  // namespace kx

#endif
