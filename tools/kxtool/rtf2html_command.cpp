// kxtool rtf2html FILE: prints the HTML that a rich-text shortcut's RTF
// becomes in a browser's "HTML Format".
#include <cstdio>
#include <string>

#include "convert/rtf_to_html.h"
#include "core/whole_file.h"
#include "tools/kxtool/commands.h"
#include "tools/kxtool/raw_output.h"


namespace kx {

int RunRtf2HtmlCommand(int argc, char** argv) {
    if (argc != 1) {
        std::fprintf(stderr, "usage: kxtool rtf2html FILE\n");
        return 2;
    }
    std::string rtf;
    if (!ReadWholeFile(argv[0], rtf)) {
        std::fprintf(stderr, "kxtool rtf2html: cannot read '%s'\n", argv[0]);
        return 2;
    }
    std::string html, error;
    if (!RtfToHtml(rtf, html, &error)) {
        std::fprintf(stderr, "kxtool rtf2html: %s: %s\n", argv[0], error.c_str());
        return 2;
    }
    return WriteRawToStdout(html, "rtf2html") ? 0 : 2;
}

}  // namespace kx
