#include "core/whole_file.h"

#include <fstream>

namespace kx {

bool ReadWholeFile(const std::filesystem::path& path, std::string& out, size_t maxBytes) {
    out.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    // Read in pieces: the size the file reports up front is not to be
    // trusted for pipes and devices.
    char buffer[64 * 1024];
    for (;;) {
        in.read(buffer, sizeof buffer);
        std::streamsize got = in.gcount();
        if (got > 0) {
            if (out.size() + size_t(got) > maxBytes) {
                out.clear();
                return false;
            }
            out.append(buffer, size_t(got));
        }
        if (in.eof()) return true;
        if (!in) {
            out.clear();
            return false;
        }
    }
}

bool WriteWholeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), std::streamsize(bytes.size()));
    out.close();
    return !out.fail();
}

}  // namespace kx
