#include <windows.h>

#include <mutex>
#include <string>

#include "platform/diagnostic_log.h"

namespace kx {

void WriteDiagnosticLine(std::string_view utf8) {
    // A program without a console has a standard error handle only when its
    // starter passed one (STARTF_USESTDHANDLES, or an inherited redirection).
    const HANDLE out = ::GetStdHandle(STD_ERROR_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    std::string line(utf8);
    line += "\r\n";
    static std::mutex lock;
    std::lock_guard<std::mutex> hold(lock);
    DWORD written = 0;
    ::WriteFile(out, line.data(), DWORD(line.size()), &written, nullptr);
}

}  // namespace kx
