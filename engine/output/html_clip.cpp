#include "engine/output/html_clip.h"

#include <cstdint>
#include <cstdio>

namespace kx {

HtmlClipOffsets ComputeHtmlClipOffsets(std::string_view html, bool pictureForm) {
    const std::string_view startMark = pictureForm ? "<!--StartFragment-->" : "<body>";
    const std::string_view endMark = pictureForm ? "<!--EndFragment-->" : "</body>";
    const size_t h = kHtmlClipHeaderSize;
    // For an empty document the end offset falls one before the start, as
    // the layout defines it.
    const size_t last = h + html.size() - 1;

    HtmlClipOffsets o;
    o.startHtml = h;
    o.endHtml = last;
    size_t start = html.find(startMark);
    o.startFragment = start == std::string_view::npos ? h : h + start + startMark.size();
    size_t end = html.find(endMark);
    o.endFragment = end == std::string_view::npos ? last : h + end;
    return o;
}

std::string MakeHtmlClip(std::string_view html, bool pictureForm) {
    // The offsets are ten decimal digits. Compared in 64 bits: the limit is
    // beyond what a 32-bit size_t holds.
    constexpr uint64_t kMaxOffset = 9999999999ull;
    if (uint64_t(html.size()) > kMaxOffset - kHtmlClipHeaderSize) return {};
    HtmlClipOffsets o = ComputeHtmlClipOffsets(html, pictureForm);

    char header[kHtmlClipHeaderSize + 1];
    int n = std::snprintf(header, sizeof header,
                          "Version:1.0\r\nStartHTML:%010llu\r\nEndHTML:%010llu\r\n"
                          "StartFragment:%010llu\r\nEndFragment:%010llu\r\n\r\n",
                          (unsigned long long)o.startHtml, (unsigned long long)o.endHtml,
                          (unsigned long long)o.startFragment, (unsigned long long)o.endFragment);
    if (n != int(kHtmlClipHeaderSize)) return {};

    std::string clip;
    clip.reserve(kHtmlClipHeaderSize + html.size() + 1);
    clip.append(header, kHtmlClipHeaderSize);
    clip.append(html);
    clip.push_back('\0');
    return clip;
}

}  // namespace kx
