#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "core/file_paths.h"
#include "picture/picture_encoder.h"
#include "tests/native/picture_test_codec.h"

namespace kx::test {
namespace {

// `bytes` bytes of `v` in hexadecimal, least significant first.
std::string Hex(uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i, v >>= 8) s += {"0123456789abcdef"[v >> 4 & 15], "0123456789abcdef"[v & 15]};
    return s;
}

// The document the rules give for a bitmap (without its file header) whose
// header says w by h, written out record by record.
std::string ExpectedDocument(const std::string& title, int picw, int pich, int goalw, int goalh,
                             const std::string& dib, uint32_t w, uint32_t h) {
    char head[1400];
    std::snprintf(head, sizeof head,
                  "{\\rtf1\\ansi\\deff0{\\*\\KestrixFileName{\\%s}}{\\pict%s\\picw%d\\pich%d\\picwgoal%d\\pichgoal%d \r\n",
                  title.c_str(), "\\wmetafile8", picw, pich, goalw, goalh);
    uint32_t d = uint32_t(dib.size() / 2);
    std::string doc = head;
    doc += "010009000003" + Hex(d + 34, 4) + "0000" + Hex(d + 13, 4) + "0000";
    doc += "0400000003010800";
    doc += "050000000c02" + Hex(h, 2) + Hex(w, 2);
    doc += Hex(d + 13, 4) + "410b2000cc00" + Hex(h, 2) + Hex(w, 2) + "00000000" + Hex(h, 2) + Hex(w, 2) + "00000000";
    for (size_t i = 0; i < dib.size(); ++i) {
        doc += Hex(uint8_t(dib[i]), 1);
        if ((i + 1) % 39 == 0) doc += "\r\n";
    }
    doc += "030000000000";
    doc += "\r\n}}\r\n";
    return doc;
}

struct EncoderTest : ::testing::Test {
    PictureScratch scratch;
    TestCodec codec;
    std::string out = "left over";

    std::u16string PictureFile(const std::string& name, const Bitmap& b) {
        WriteFile(scratch.Dir() / name, RawFile(b));
        return scratch.Path(name);
    }
    bool Encode(const std::u16string& path, int w, int h) {
        return EncodePicture(out, path, w, h, codec, scratch.Temp());
    }
};

TEST_F(EncoderTest, PngAtItsOwnSizeIsDrawnFromATemporaryBitmap) {
    Bitmap picture = Pattern(100, 50);
    ASSERT_TRUE(Encode(PictureFile("holiday photo.png", picture), 0, 0));

    std::string dib = TestBmpFile(picture).substr(14);
    EXPECT_EQ(out, ExpectedDocument("holiday photo", 1500, 750, 1500, 750, dib, 100, uint32_t(-50)));
    // The picture went through "holiday photo.bmp" in the temporary folder,
    // which is gone again.
    ASSERT_EQ(codec.saved.size(), 1u);
    EXPECT_EQ(codec.saved[0], JoinPath(scratch.Temp(), u"holiday photo.bmp"));
    EXPECT_TRUE(scratch.TempFiles().empty());
    EXPECT_TRUE(codec.resampledTo.empty());
}

TEST_F(EncoderTest, ABitmapFileIsUsedAsItIs) {
    Bitmap picture = Pattern(3, 2);
    WriteFile(scratch.Dir() / "Dot.BMP", TestBmpFile(picture));
    ASSERT_TRUE(Encode(scratch.Path("Dot.BMP"), 0, 0));
    EXPECT_EQ(out, ExpectedDocument("Dot", 45, 30, 45, 30, TestBmpFile(picture).substr(14), 3, uint32_t(-2)));
    EXPECT_TRUE(codec.saved.empty());
}

// A requested side over 2000 pixels resizes to a 2000-pixel square (the WIC
// suite checks the document then); a side of exactly 2000 is not over it.
TEST_F(EncoderTest, RequestedSizesAboveTheCapGiveATwoThousandPixelSquare) {
    for (const auto& [w, h, resampled] : {std::tuple{10, 2001, std::pair{2000, 2000}}, {2000, 8, std::pair{2000, 8}}}) {
        codec.resampledTo.clear();
        codec.saved.clear();
        ASSERT_TRUE(Encode(PictureFile("tall.png", Pattern(4, 4)), w, h));
        EXPECT_EQ(codec.resampledTo, (std::vector<std::pair<int, int>>{resampled})) << w;
        EXPECT_EQ(codec.saved.front(), JoinPath(scratch.Temp(), u"tallResized.png"));  // keeps the extension
    }
    EXPECT_NE(out.find("\\picw30000\\pich120\\picwgoal30000\\pichgoal120 "), std::string::npos);
    EXPECT_TRUE(scratch.TempFiles().empty());
}

// Records of any size: the bitmap's bytes 39 to a line, and the header's
// size fields counting them.
TEST_F(EncoderTest, BitmapLinesHoldThirtyNineBytes) {
    const std::u16string path = PictureFile("tiny.png", Pattern(2, 2));
    for (size_t size : {38u, 39u, 40u, 78u}) {
        codec.bitmapOverride = std::string(14, 'F');
        for (size_t i = 0; i < size; ++i) codec.bitmapOverride += char(i < 4 ? "\x0c\0\0\0"[i] : 0xA0 + i % 16);
        ASSERT_TRUE(Encode(path, 0, 0)) << size;
        std::string dib = codec.bitmapOverride.substr(14);
        EXPECT_EQ(out, ExpectedDocument("tiny", 30, 30, 30, 30, dib, 0xa5a4, 0xa7a6)) << size;
    }
}

TEST_F(EncoderTest, FailuresLeaveNothingBehind) {
    // Not a picture at all, and no file.
    WriteFile(scratch.Dir() / "notes.png", "hello");
    EXPECT_FALSE(Encode(scratch.Path("notes.png"), 0, 0));
    EXPECT_EQ(out, "");
    out = "x";
    EXPECT_FALSE(Encode(scratch.Path("missing.png"), 0, 0));
    EXPECT_EQ(out, "");

    // A bitmap file of exactly 54 bytes holds no picture, whatever its
    // header claims.
    codec.trustHeaders = true;
    WriteFile(scratch.Dir() / "empty.bmp", TestBmpFile(Pattern(1, 1)).substr(0, 54));
    EXPECT_FALSE(Encode(scratch.Path("empty.bmp"), 0, 0));
    WriteFile(scratch.Dir() / "one.bmp", TestBmpFile(Pattern(1, 1)).substr(0, 55));
    EXPECT_TRUE(Encode(scratch.Path("one.bmp"), 0, 0));
    codec.trustHeaders = false;

    // A codec that gives only a file header gives no bitmap.
    codec.bitmapOverride = std::string(14, 'B');
    EXPECT_FALSE(Encode(PictureFile("flat.png", Pattern(2, 2)), 5, 5));
    EXPECT_EQ(out, "");
    EXPECT_TRUE(scratch.TempFiles().empty());
}

TEST(PictureNames, TitleAndExtension) {
    EXPECT_EQ(FileTitleOf(u"C:\\pics\\a.b.jpeg"), u"a.b");
    EXPECT_EQ(ExtensionOf(u"C:\\pics\\a.b.jpeg"), u".jpeg");
    EXPECT_EQ(ExtensionOf(u"/x.y/noext"), u"");
}

}  // namespace
}  // namespace kx::test
