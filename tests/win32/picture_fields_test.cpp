// The picture editor's rules: which file and sizes it refuses, with which
// message, and how the percentage, the width and the height follow one
// another.
#include <gtest/gtest.h>

#include "app/editors/picture_fields.h"

namespace kx {
namespace {

PictureFieldCheck Check(std::u16string_view path, std::u16string_view w = u"100", std::u16string_view h = u"50",
                        bool exists = true) {
    return CheckPictureFields(path, exists, w, h);
}

TEST(PictureFields, RefusalsInTheOrderTheUserMeetsThem) {
    EXPECT_EQ(Check(u"", u"0", u"0", false), PictureFieldCheck::NoPath);
    EXPECT_EQ(Check(u"C:\\gone.txt", u"0", u"0", false), PictureFieldCheck::PathMissing);
    EXPECT_EQ(Check(u"C:\\notes.txt", u"0", u"0"), PictureFieldCheck::Unsupported);
    EXPECT_EQ(Check(u"C:\\pictures", u"0", u"0"), PictureFieldCheck::Unsupported);  // no extension
    EXPECT_EQ(Check(u"C:\\a.png", u"05", u"0"), PictureFieldCheck::WidthZero);
    EXPECT_EQ(Check(u"C:\\a.png", u"2001", u"0"), PictureFieldCheck::HeightZero);
    EXPECT_EQ(Check(u"C:\\a.png", u"2001", u"2001"), PictureFieldCheck::WidthTooLarge);
    EXPECT_EQ(Check(u"C:\\a.png", u"2000", u"2001"), PictureFieldCheck::HeightTooLarge);
    EXPECT_EQ(Check(u"C:\\a.png", u"2000", u"2000"), PictureFieldCheck::Ok);
    EXPECT_EQ(Check(u"C:\\a.png", u"", u""), PictureFieldCheck::Ok);  // the picture's own size
}

TEST(PictureFields, EveryPictureExtensionInAnyCase) {
    for (auto path : {u"a.jpeg", u"a.JPG", u"a.Png", u"a.bmp", u"a.GIF", u"C:\\x.y\\Logo.JpEg"})
        EXPECT_TRUE(IsPictureExtension(path)) << std::string(path, path + std::char_traits<char16_t>::length(path));
    for (auto path : {u"a.tif", u"a.png.txt", u"png", u"C:\\x.png\\file", u"a.jpe"})
        EXPECT_FALSE(IsPictureExtension(path));
}

TEST(PictureFields, MessagesNameTheFault) {
    EXPECT_EQ(PictureFieldMessage(PictureFieldCheck::NoPath).text,
              u"No image file specified, please click \"Import\" and add an image file.");
    EXPECT_EQ(PictureFieldMessage(PictureFieldCheck::Unsupported).title, u"Unsupported File Specified");
    EXPECT_EQ(PictureFieldMessage(PictureFieldCheck::PathMissing).title, u"Invalid File Path");
    EXPECT_EQ(PictureFieldMessage(PictureFieldCheck::HeightZero).text, u"The height cannot be zero.");
    EXPECT_EQ(PictureFieldMessage(PictureFieldCheck::WidthTooLarge).title, u"Dimensions Too Large");
}

TEST(PictureSizes, SliderGivesAShareOfTheOwnSize) {
    PictureSize s = SizeAtPercent(300, 151, 50);
    EXPECT_EQ(s.width, 150);
    EXPECT_EQ(s.height, 75);
    s = SizeAtPercent(300, 151, 250);
    EXPECT_EQ(s.percent, 200);
    EXPECT_EQ(s.width, 600);
    s = SizeAtPercent(300, 151, 0);
    EXPECT_EQ(s.percent, 1);
    EXPECT_EQ(s.width, 3);
}

TEST(PictureSizes, TypedSideKeepsTheProportion) {
    PictureSize s = SizeForWidth(400, 200, 100);
    EXPECT_EQ(s.width, 100);
    EXPECT_EQ(s.height, 50);
    EXPECT_EQ(s.percent, 25);
    s = SizeForHeight(400, 200, 300);
    EXPECT_EQ(s.width, 600);
    EXPECT_EQ(s.height, 300);
    EXPECT_EQ(s.percent, 150);
}

TEST(PictureSizes, TypedSideBeyondTheSliderTakesTheSliderEnd) {
    PictureSize s = SizeForWidth(400, 200, 1000);  // 250%
    EXPECT_EQ(s.percent, 200);
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(s.height, 400);
    s = SizeForHeight(400, 200, 1);  // below 1%
    EXPECT_EQ(s.percent, 1);
    EXPECT_EQ(s.width, 4);
    EXPECT_EQ(s.height, 2);
}

TEST(PictureSizes, FieldNumbers) {
    EXPECT_EQ(SizeFieldValue(u"2000"), 2000);
    EXPECT_EQ(SizeFieldValue(u""), 0);
    EXPECT_EQ(SizeFieldValue(u"12a"), 0);
    EXPECT_GT(SizeFieldValue(u"99999999999999"), 2000);
}

}  // namespace
}  // namespace kx
