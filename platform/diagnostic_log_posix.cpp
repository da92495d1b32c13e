#if !defined(_WIN32)

#include <cstdio>
#include <mutex>

#include "platform/diagnostic_log.h"

namespace kx {

void WriteDiagnosticLine(std::string_view utf8) {
    static std::mutex lock;
    std::lock_guard<std::mutex> hold(lock);
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // namespace kx

#endif
