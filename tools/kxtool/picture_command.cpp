// kxtool picture FILE [WIDTH HEIGHT]: prints the RTF document a picture
// shortcut stores for FILE, as the picture editor makes it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "base/text.h"
#include "picture/image_codec.h"
#include "picture/picture_encoder.h"
#include "tools/kxtool/commands.h"
#include "tools/kxtool/raw_output.h"


namespace kx {
namespace {

constexpr const char* kUsage = "usage: kxtool picture FILE [WIDTH HEIGHT]\n";

// A size in pixels: digits only, at most the largest stored side's order.
bool ParseSide(const char* text, int& out) {
    if (!*text || std::strlen(text) > 6) return false;
    for (const char* p = text; *p; ++p)
        if (*p < '0' || *p > '9') return false;
    out = std::atoi(text);
    return true;
}

}  // namespace

int RunPictureCommand(int argc, char** argv) {
    int width = 0, height = 0;
    if ((argc != 1 && argc != 3) || (argc == 3 && (!ParseSide(argv[1], width) || !ParseSide(argv[2], height)))) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::unique_ptr<ImageCodec> codec = MakeSystemImageCodec();
    if (!codec) {
        std::fprintf(stderr, "kxtool picture: the system's image library cannot be started\n");
        return 3;
    }
    std::string rtf;
    if (!EncodePicture(rtf, Utf8ToUtf16(argv[0]), width, height, *codec, SystemTempFolder())) {
        std::fprintf(stderr, "kxtool picture: '%s' cannot be loaded as a picture\n", argv[0]);
        return 3;
    }
    return WriteRawToStdout(rtf, "picture") ? 0 : 2;
}

}  // namespace kx
