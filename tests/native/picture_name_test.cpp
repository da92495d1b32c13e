// The file title that the list and the listing show for a picture shortcut.
#include <gtest/gtest.h>

#include "base/text.h"
#include "core/picture_name.h"
#include "engine/output/picture_html_clip.h"
#include "picture/metafile_text.h"

namespace kx {
namespace {

TEST(PictureFileName, ReadsTheTitleFromTheMarker) {
    std::string accents;
    for (int i = 0; i < 300; ++i) accents += "\xc3\xa9";  // é, two bytes each
    const struct {
        std::string doc;
        std::u16string title;
    } rows[] = {
        {"{\\rtf1{\\*\\KestrixFileName{\\Caf\xc3\xa9 2024}}{\\pict\\wmetafile8\\picw15 \r\n}}", u"Caf\u00e9 2024"},
        {"{\\rtf1{\\*\\KestrixFileName{\\C:\\\\pics\\\\photo 2019-10.png}}{\\pict}}", u"C:\\pics\\photo 2019-10.png"},
        {"{\\rtf1 no marker}", u""},
        // Long titles stop at the field size, in characters, not bytes.
        {"{\\*\\KestrixFileName{\\" + accents, std::u16string(259, u'\u00e9')},
    };
    for (const auto& r : rows) EXPECT_EQ(PictureFileName(r.doc), r.title) << r.doc.substr(0, 60);
}

// A title with braces or a backslash stays inside its group, so the picture
// stays inside the document, and reads back as it was written.
TEST(PictureFileName, TitlesWithBracesAndBackslashesKeepTheDocumentWhole) {
    for (const std::string title : {"plan {draft", "x}y", "}x", "\\b", "'ab", "a}}{\\pict"}) {
        std::string doc;
        AppendPictureHead(doc, {title, 30, 30, 30, 30});
        ASSERT_TRUE(AppendMetafileHex(doc, std::string("\x0c\0\0\0\2\0\2\0\1\0\x18\0", 12) + std::string(12, '\x7f')));
        AppendPictureTail(doc);
        // Braces balance, and the first group closes only at the end.
        int depth = 0;
        size_t closedAt = 0;
        for (size_t i = 0; i < doc.size(); ++i) {
            if (doc[i] == '\\') ++i;
            else if (doc[i] == '{') ++depth;
            else if (doc[i] == '}' && --depth == 0 && !closedAt) closedAt = i;
        }
        EXPECT_EQ(depth, 0) << title;
        EXPECT_EQ(doc.find_first_not_of("\r\n", closedAt + 1), std::string::npos) << title;
        EXPECT_EQ(PictureFileName(doc), Utf8ToUtf16(title));
        PictureDescription read;
        ASSERT_TRUE(ReadPictureDescription(doc, read)) << title;
        EXPECT_EQ(read.fileName, Utf8ToUtf16(title));
        EXPECT_EQ(read.width, 2);
    }
}

}  // namespace
}  // namespace kx
