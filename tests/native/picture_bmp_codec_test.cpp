// The BMP codec of the Linux tools reads files other programs wrote, so its
// reader is held to hand-made files of each layout, and to damaged ones.
#include <gtest/gtest.h>

#include <string>

#include "picture/bmp_codec.h"
#include "picture/bmp_file.h"
#include "picture/pixels.h"
#include "tests/native/picture_test_codec.h"

namespace kx::test {
namespace {

std::string Pixel(const Bitmap& b, int x, int y) {
    const uint8_t* p = b.bgra.data() + (size_t(y) * size_t(b.width) + size_t(x)) * 4;
    char s[16];
    std::snprintf(s, sizeof s, "%02x%02x%02x%02x", p[2], p[1], p[0], p[3]);  // RRGGBBAA
    return s;
}

TEST(BmpFile, WritesWhatItReadsWithTransparencyOverWhite) {
    Bitmap picture = Pattern(5, 3);  // 15-byte rows, padded to 16
    picture.bgra[3] = 0;             // transparent: white
    picture.bgra[7] = 128;           // half transparent: half way to white
    std::string file = EncodeBmpFile(picture);
    ASSERT_EQ(file.size(), 54u + 16 * 3);
    EXPECT_EQ(GetLe(file, 2), file.size());
    EXPECT_EQ(GetLe(file, 10), 54u);
    Bitmap back;
    ASSERT_TRUE(DecodeBmpFile(file, back));
    ASSERT_EQ(back.width, 5);
    ASSERT_EQ(back.height, 3);
    EXPECT_EQ(Pixel(back, 0, 0), "ffffffff");
    const uint8_t* p = picture.bgra.data() + 4;
    EXPECT_EQ(back.bgra[4], uint8_t((p[0] * 128 + 255 * 127 + 127) / 255));
    for (size_t i = 8; i < picture.bgra.size(); ++i) EXPECT_EQ(back.bgra[i], picture.bgra[i]) << i;
}

TEST(BmpFile, ReadsPalettesMasksAndBothRowOrders) {
    // 8 bits, bottom-up, two colours used of a table of two.
    std::string table = std::string("\x00\x00\xff\x00", 4) + std::string("\xff\x00\x00\x00", 4);
    Bitmap b;
    ASSERT_TRUE(DecodeBmpFile(BmpWith(3, 2, 8, 0, table, std::string("\x00\x01\x00\x00\x01\x01\x01\x00", 8)), b));
    EXPECT_EQ(Pixel(b, 0, 1), "ff0000ff");  // the first row in the file is the bottom one
    EXPECT_EQ(Pixel(b, 1, 1), "0000ffff");
    EXPECT_EQ(Pixel(b, 0, 0), "0000ffff");

    // 1 bit: the highest bit is the leftmost pixel.
    ASSERT_TRUE(DecodeBmpFile(BmpWith(9, 1, 1, 0, table, std::string("\x40\x80\x00\x00", 4)), b));
    EXPECT_EQ(Pixel(b, 0, 0), "ff0000ff");
    EXPECT_EQ(Pixel(b, 1, 0), "0000ffff");
    EXPECT_EQ(Pixel(b, 8, 0), "0000ffff");

    // 32 bits with alpha masks in a version 5 header, top-down.
    std::string v5 = BmpWith(1, -2, 32, 3, "", std::string("\x11\x22\x33\x80\x44\x55\x66\xff", 8), 124);
    std::string masks;
    for (uint32_t m : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) PutLe(masks, m, 4);
    v5.replace(54, 16, masks);
    ASSERT_TRUE(DecodeBmpFile(v5, b));
    EXPECT_EQ(Pixel(b, 0, 0), "33221180");
    EXPECT_EQ(Pixel(b, 0, 1), "665544ff");

    // 16 bits, five bits a channel.
    ASSERT_TRUE(DecodeBmpFile(BmpWith(1, 1, 16, 0, "", std::string("\x1f\x7c\x00\x00", 4)), b));
    EXPECT_EQ(Pixel(b, 0, 0), "ff00ffff");
}

TEST(BmpFile, RefusesDamagedAndUnsupportedFiles) {
    const std::string good = EncodeBmpFile(Pattern(4, 4));
    Bitmap b;
    for (size_t cut : {size_t(0), size_t(20), size_t(53), good.size() - 1})
        EXPECT_FALSE(DecodeBmpFile(good.substr(0, cut), b)) << cut;
    const struct {
        size_t at;
        std::string bytes;
    } damage[] = {
        {0, "X"},
        {18, std::string(4, '\0')},                               // no width
        {10, "\xff\xff\xff\x7f"},                                 // pixels past the end
        {18, std::string("\xff\xff\x00\x00\xff\xff\x00\x00", 8)},  // 4 billion pixels claimed
    };
    for (const auto& d : damage) EXPECT_FALSE(DecodeBmpFile(std::string(good).replace(d.at, d.bytes.size(), d.bytes), b)) << d.at;
    EXPECT_FALSE(DecodeBmpFile(BmpWith(2, 2, 8, 1, "", std::string(8, '\0')), b)) << "run-length";
    EXPECT_FALSE(DecodeBmpFile(BmpWith(2, 2, 7, 0, "", std::string(8, '\0')), b));
    EXPECT_TRUE(b.bgra.empty());
    BmpCodec codec;
    Bitmap wrong{2, 2, std::vector<uint8_t>(3)};
    std::string out;
    EXPECT_FALSE(codec.EncodeBmp(wrong, out));
    EXPECT_FALSE(codec.EncodePng(wrong, out));
}

TEST(Resample, KeepsColoursAndAveragesWhenShrinking) {
    Bitmap flat{7, 5, {}};
    for (int i = 0; i < 35; ++i) flat.bgra.insert(flat.bgra.end(), {10, 120, 250, 255});
    Bitmap out;
    for (auto [w, h] : {std::pair{200, 300}, std::pair{3, 2}, std::pair{1, 1}}) {
        ASSERT_TRUE(ResampleBitmap(flat, w, h, out));
        ASSERT_EQ(out.bgra.size(), size_t(w) * size_t(h) * 4);
        for (size_t i = 0; i < out.bgra.size(); i += 4) ASSERT_EQ(Pixel(out, int(i / 4) % w, int(i / 4) / w), "fa780aff");
    }
    // Black and white columns shrunk four times become grey.
    Bitmap stripes{8, 1, {}};
    for (int x = 0; x < 8; ++x) stripes.bgra.insert(stripes.bgra.end(), {uint8_t(x % 2 * 255), uint8_t(x % 2 * 255), uint8_t(x % 2 * 255), 255});
    ASSERT_TRUE(ResampleBitmap(stripes, 2, 1, out));
    EXPECT_EQ(Pixel(out, 0, 0), "808080ff");
    EXPECT_FALSE(ResampleBitmap(stripes, 0, 1, out));
    EXPECT_FALSE(ResampleBitmap(stripes, 100000, 100000, out));
}

}  // namespace
}  // namespace kx::test
