// The file title that the list and the listing show for a picture shortcut.
#include <gtest/gtest.h>

#include "core/picture_name.h"

namespace kx {
namespace {

TEST(PictureFileName, TitleIsReadAsUtf8) {
    // "Café Ünïcode 2024" as the encoder writes it.
    EXPECT_EQ(PictureFileName("{\\rtf1\\ansi\\deff0{\\*\\KestrixFileName{\\Caf\xc3\xa9 \xc3\x9cn\xc3\xaf" "code 2024}}"
                              "{\\pict\\wmetafile8\\picw15 \r\n}}"),
              u"Caf\u00e9 \u00dcn\u00efcode 2024");
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
