#include "tools/kxtool/raw_output.h"

#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace kx {

bool WriteRawToStdout(std::string_view data, const char* command) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    if (std::fwrite(data.data(), 1, data.size(), stdout) != data.size() || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "kxtool %s: cannot write the output\n", command);
        return false;
    }
    return true;
}

}  // namespace kx
