#include "convert/rtf_to_text.h"

#include "convert/rtf_reader.h"

namespace kx {

std::u16string RenderPlainText(const RtfDocument& doc) {
    std::u16string out;
    bool first = true;
    for (const RtfParagraph& p : doc.paragraphs) {
        if (!first) out += u"\r\n";
        first = false;
        for (const RtfRun& run : p.runs) {
            for (char16_t c : run.text) {
                if (c == u'\n') out += u"\r\n";
                else out.push_back(c);
            }
        }
    }
    return out;
}

std::u16string RtfToPlainText(std::string_view rtf) {
    RtfDocument doc;
    if (!ReadRtf(rtf, doc, nullptr)) return {};
    return RenderPlainText(doc);
}

}  // namespace kx
