// Feeds arbitrary bytes to the RTF converter, the picture clip reader and
// the cleaner of shared rich text. Beside crashes and sanitizer reports it
// checks that no document text can end the HTML body early or open a tag of
// its own, and that cleaning leaves nothing a second pass would take out.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "convert/rtf_embedded_content.h"
#include "convert/rtf_to_html.h"
#include "convert/rtf_to_text.h"
#include "engine/output/html_clip.h"
#include "engine/output/picture_html_clip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view rtf(reinterpret_cast<const char*>(data), size);

    std::string html;
    if (kx::RtfToHtml(rtf, html, nullptr)) {
        constexpr std::string_view kTail = "</body>\r\n</html>\r\n";
        if (html.size() < kTail.size() || html.find("</body>") != html.size() - kTail.size()) __builtin_trap();
        if (html.find("<script") != std::string::npos || html.find("<img") != std::string::npos) __builtin_trap();
        // A link goes to a web or mail address, and its address stays inside
        // its attribute.
        for (size_t a = html.find("<a"); a != std::string::npos; a = html.find("<a", a + 1)) {
            std::string_view rest = std::string_view(html).substr(a);
            if (rest.substr(0, 9) != "<a href=\"") __builtin_trap();
            std::string_view url = rest.substr(9, rest.find('"', 9) - 9);
            if (url.find_first_of("<> \t\r\n'") != std::string_view::npos) __builtin_trap();
            std::string scheme(url.substr(0, 8));
            for (char& c : scheme) c = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
            if (scheme.rfind("http://", 0) && scheme.rfind("https://", 0) && scheme.rfind("mailto:", 0)) __builtin_trap();
        }
        std::string clip = kx::MakeHtmlClip(html, false);
        if (clip.size() != html.size() + 108) __builtin_trap();
    } else if (!html.empty()) {
        __builtin_trap();
    }
    kx::RtfToPlainText(rtf);

    const std::string stripped = kx::StripEmbeddedContent(rtf);
    if (stripped.size() > rtf.size() || kx::StripEmbeddedContent(stripped) != stripped) __builtin_trap();

    kx::PictureDescription picture;
    if (kx::ReadPictureDescription(rtf, picture) && (picture.width <= 0 || picture.height <= 0 || picture.picture.empty()))
        __builtin_trap();
    return 0;
}
