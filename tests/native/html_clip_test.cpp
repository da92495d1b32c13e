#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/base64.h"
#include "engine/output/browser_window.h"
#include "engine/output/html_clip.h"
#include "engine/output/picture_html_clip.h"
#include "engine/output/rich_html_clip.h"

namespace kx::test {
namespace {

// The four numbers of a clip's header.
struct Header {
    unsigned long long startHtml, endHtml, startFragment, endFragment;
};

Header ParseHeader(const std::string& clip) {
    Header h{};
    EXPECT_GE(clip.size(), kHtmlClipHeaderSize);
    EXPECT_EQ(std::sscanf(clip.c_str(),
                          "Version:1.0\r\nStartHTML:%10llu\r\nEndHTML:%10llu\r\n"
                          "StartFragment:%10llu\r\nEndFragment:%10llu\r\n\r\n",
                          &h.startHtml, &h.endHtml, &h.startFragment, &h.endFragment),
              4);
    return h;
}

// The fragment the header marks: between the body tags, or in the picture
// form between the fragment comments; without them the whole document but
// its last byte, as the ending offsets count.
TEST(HtmlClip, FragmentWithMissingMarkersAndInThePictureForm) {
    const std::string comments = "<body>ab<!--StartFragment-->IMG<!--EndFragment--></body>";
    const struct {
        std::string html;
        bool picture;
        std::string fragment;
    } rows[] = {
        {"<p>hi</p>", false, "<p>hi</p"},
        {comments, true, "IMG"},
        {comments, false, "ab<!--StartFragment-->IMG<!--EndFragment-->"},
        {"<body>no comments</body>", true, "<body>no comments</body"},
        {"", false, ""},
    };
    for (const auto& r : rows) {
        const std::string clip = MakeHtmlClip(r.html, r.picture);
        ASSERT_EQ(clip.size(), r.html.size() + 108) << r.html;
        const Header h = ParseHeader(clip);
        EXPECT_EQ(h.startHtml, 107u);
        EXPECT_EQ(h.endHtml, 106u + r.html.size()) << r.html;
        const size_t length = h.endFragment > h.startFragment ? h.endFragment - h.startFragment : 0;
        EXPECT_EQ(clip.substr(h.startFragment, length), r.fragment) << r.html;
        EXPECT_EQ(clip.substr(h.startHtml), r.html + '\0') << r.html;
    }
}

TEST(BrowserWindow, ClassNameRules) {
    for (const char16_t* name : {u"Chrome_WidgetWin_1", u"MozillaWindowClass", u"IEFrame", u"xxchromexx",
                                 u"myMOZILLAapp", u"{1c03b488-d53b-4a81-97f8-754559640193}",
                                 u"{1C03B488-D53B-4A81-97F8-754559640193}"})
        EXPECT_TRUE(IsBrowserWindowClass(name)) << std::string(name, name + std::char_traits<char16_t>::length(name));
    for (const char16_t* name : {u"ie-frame", u"OpusApp", u"", u"Chrom", u"{1C03B488-D53B-4a81-97F8-754559640193}x",
                                 u"Moz illa"})
        EXPECT_FALSE(IsBrowserWindowClass(name)) << std::string(name, name + std::char_traits<char16_t>::length(name));
    // Only the first 259 characters of a class name count.
    EXPECT_FALSE(IsBrowserWindowClass(std::u16string(259, u'a') + u"chrome"));
    EXPECT_TRUE(IsBrowserWindowClass(std::u16string(253, u'a') + u"chrome"));
}

TEST(RichHtmlClip, ConvertsTheRichTextIntoAClipAndNoRtfIntoNone) {
    auto entry = ShortcutEntry::Make(ShortcutKind::RichText, u"", "{\\rtf1\\ansi {\\b Hello} w\\'f6rld\\par}");
    entry->htmlClip = "previous";
    ASSERT_TRUE(BuildRichHtmlClip(*entry));
    Header h = ParseHeader(entry->htmlClip);
    std::string fragment = entry->htmlClip.substr(h.startFragment, h.endFragment - h.startFragment);
    EXPECT_NE(fragment.find("font-weight:bold\">Hello</span>"), std::string::npos) << fragment;
    EXPECT_NE(fragment.find(" w\xc3\xb6rld</span>"), std::string::npos) << fragment;
    EXPECT_EQ(fragment.find("previous"), std::string::npos);
    EXPECT_EQ(entry->htmlClip.substr(h.endFragment, 7), "</body>");

    entry->richText = "plain words, no RTF";
    EXPECT_FALSE(BuildRichHtmlClip(*entry));
    EXPECT_TRUE(entry->htmlClip.empty());
}

// Renders every picture, or fails.
struct FakePngEncoder : PngEncoder {
    bool RenderPng(const std::vector<uint8_t>&, std::string& png) override { return png = "png", ok; }
    bool ok = true;
};

// A picture document laid out as the picture encoder writes it, with a
// metafile of `bytes` bytes (two lines of hex when more than 39).
std::string PictureRtf(int wgoal, int hgoal, size_t bytes, const char* name = "photo") {
    std::string rtf = std::string("{\\rtf1\\ansi\\deff0{\\*\\KestrixFileName{\\") + name +
                      "}}{\\pict\\wmetafile8\\picw1500\\pich750\\picwgoal" + std::to_string(wgoal) +
                      "\\pichgoal" + std::to_string(hgoal) + " \r\n";
    static const char kHex[] = "0123456789abcdef";
    for (size_t i = 0; i < bytes; ++i) {
        if (i > 0 && i % 39 == 0) rtf += "\r\n";
        rtf += kHex[(i * 7) % 16];
        rtf += kHex[i % 16];
    }
    return rtf + "\r\n}}\r\n";
}

TEST(PictureHtmlClip, IncompleteDescriptionsFail) {
    const std::string good = PictureRtf(1500, 750, 10);
    std::string odd = good, bad = good, noName = good;
    odd.insert(odd.find("\r\n}"), "a");  // half a byte
    bad[bad.find("\r\n}") - 2] = 'g';
    noName.replace(noName.find("KestrixFileName"), 7, "Unknown");
    FakePngEncoder encoder;
    for (const std::string& rtf : {std::string(), PictureRtf(14, 750, 10) /* under a pixel wide */,
                                   PictureRtf(1500, 0, 10), PictureRtf(1500, 750, 0), PictureRtf(1500, 750, 10, ""),
                                   odd, bad, noName, good /* with the encoder failing */}) {
        encoder.ok = rtf != good;
        auto entry = ShortcutEntry::Make(ShortcutKind::Picture, u"", rtf);
        entry->htmlClip = "previous";
        EXPECT_FALSE(BuildPictureHtmlClip(*entry, encoder)) << rtf;
        EXPECT_TRUE(entry->htmlClip.empty()) << rtf;
    }

    PictureDescription d;
    ASSERT_TRUE(ReadPictureDescription(PictureRtf(3000, 1515, 4, "Logo \xc3\xa9t\xc3\xa9"), d));
    EXPECT_EQ(d.fileName, u"Logo \u00e9t\u00e9");
    EXPECT_EQ(d.width, 200);
    EXPECT_EQ(d.height, 101);
}

TEST(Base64, StandardAlphabetWithPadding) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foobar", "Zm9vYmFy"}, {"\xfb\xff\xbf", "+/+/"}};
    for (const auto& [plain, encoded] : cases) {
        EXPECT_EQ(Base64Encode(plain), encoded);
        std::vector<uint8_t> back;
        ASSERT_TRUE(Base64Decode(encoded, back)) << encoded;
        EXPECT_EQ(std::string(back.begin(), back.end()), plain);
    }
    std::vector<uint8_t> out{1};
    for (const char* bad : {"Zg=", "Zg==Zg==", "Z===", "Zm9v\n", "Zm-v", "=Zm9"}) {
        EXPECT_FALSE(Base64Decode(bad, out)) << bad;
        EXPECT_TRUE(out.empty());
    }
}

}  // namespace
}  // namespace kx::test
