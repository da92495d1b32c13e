// The file title that the list and the listing show for a picture shortcut.
#include <gtest/gtest.h>

#include "core/picture_name.h"
#include "base/text.h"
#include "engine/output/picture_html_clip.h"
#include "picture/metafile_text.h"

namespace kx {
namespace {

TEST(PictureFileName, TitleIsReadAsUtf8) {
    // "Café Ünïcode 2024" as the encoder writes it.
    EXPECT_EQ(PictureFileName("{\\rtf1\\ansi\\deff0{\\*\\KestrixFileName{\\Caf\xc3\xa9 \xc3\x9cn\xc3\xaf" "code 2024}}"
                              "{\\pict\\wmetafile8\\picw15 \r\n}}"),
              u"Caf\u00e9 \u00dcn\u00efcode 2024");
}

// A title with braces or a backslash stays inside its group, so the picture
// stays inside the document, and reads back as it was written.
TEST(PictureFileName, TitlesWithBracesAndBackslashesKeepTheDocumentWhole) {
    for (const std::string title : {"plan {draft", "x}y", "{}", "}x", "\\b", "'ab", "a}}{\\pict"}) {
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

TEST(PictureFileName, LongTitlesStopAtTheFieldSize) {
    const std::string title(300, 'x');
    EXPECT_EQ(PictureFileName("{\\*\\KestrixFileName{\\" + title + "}}"), std::u16string(259, u'x'));
    std::string many;
    for (int i = 0; i < 300; ++i) many += "\xc3\xa9";  // é, two bytes each
    EXPECT_EQ(PictureFileName("{\\*\\KestrixFileName{\\" + many), std::u16string(259, u'\u00e9'));
}

}  // namespace
}  // namespace kx
