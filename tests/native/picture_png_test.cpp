// The browser clip's PNG: the bitmap found again inside a stored picture's
// metafile, the limits of rendering it, and each picture rendered once
// however often the stores load. (The Wine picture suite checks the clip a
// browser is given.)
#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "core/base64.h"
#include "engine/output/html_clip.h"
#include "engine/output/picture_html_clip.h"
#include "engine/output/png_cache.h"
#include "picture/bmp_file.h"
#include "picture/codec_png_encoder.h"
#include "picture/metafile_bitmap.h"
#include "picture/metafile_text.h"
#include "tests/native/picture_test_codec.h"

namespace kx {
namespace {

std::vector<uint8_t> MetafileOf(std::string_view dib) {
    std::string hex;
    EXPECT_TRUE(AppendMetafileHex(hex, dib));
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        if (hex[i] == '\r') continue;  // the line break after 78 digits, a pair of its own
        bytes.push_back(uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

TEST(MetafileBitmap, StoredBitmapComesBackAsItsBmpFile) {
    const std::string bmp = EncodeBmpFile(test::Pattern(7, 5));
    std::string again;
    ASSERT_TRUE(BmpFileOfMetafile(MetafileOf(std::string_view(bmp).substr(14)), again));
    EXPECT_EQ(again, bmp);
}

TEST(MetafileBitmap, PixelsStartAfterTheColourTableAndDamagedMetafilesGiveNone) {
    // An 8-bit bitmap of 2 x 2 pixels with a table of the two colours it uses.
    const std::string dib = test::BmpWith(2, 2, 8, 0, std::string("\x00\x00\x00\x00\xff\xff\xff\x00", 8),
                                          std::string("\x00\x01\x00\x00\x01\x00\x00\x00", 8), 40, 2)
                                .substr(14);
    std::string bmp;
    ASSERT_TRUE(BmpFileOfMetafile(MetafileOf(dib), bmp));
    EXPECT_EQ(test::GetLe(bmp, 10), 14u + 40u + 8u);

    const std::string file = EncodeBmpFile(test::Pattern(4, 4));
    const std::vector<uint8_t> good = MetafileOf(std::string_view(file).substr(14));
    std::vector<uint8_t> noBlit(good.begin(), good.begin() + 36), huge = good, notMeta = good;
    noBlit.insert(noBlit.end(), {3, 0, 0, 0, 0, 0});
    huge[18 + 8 + 10 + 3] = 0x7f;  // the blit's size runs past the end
    notMeta[0] = 7;
    for (const auto& m : {std::vector<uint8_t>(), std::vector<uint8_t>(good.begin(), good.begin() + 40), noBlit, huge,
                          notMeta}) {
        EXPECT_FALSE(BmpFileOfMetafile(m, bmp)) << m.size();
        EXPECT_TRUE(bmp.empty());
    }
}

TEST(CodecPngEncoder, NoCodecOrNoPictureRendersNothing) {
    std::string png = "old";
    CodecPngEncoder none([] { return std::unique_ptr<ImageCodec>(); });
    EXPECT_FALSE(none.RenderPng({1, 2, 3}, png));
    EXPECT_TRUE(png.empty());
    CodecPngEncoder system;
    EXPECT_FALSE(system.RenderPng({1, 0, 9, 0, 0, 3, 0, 0}, png));
}

// A picture expanded into a browser is decoded then, from a document that a
// shared file may have brought: no side over 4096 pixels is decoded.
TEST(CodecPngEncoder, PicturesOverTheSideLimitAreNotRendered) {
    CodecPngEncoder encoder;
    std::string png;
    for (auto [width, height, renders] : {std::tuple{4096, 1, true}, {1, 4096, true}, {4097, 1, false},
                                          {1, 4097, false}}) {
        const std::string bmp = EncodeBmpFile(test::Pattern(width, height));
        EXPECT_EQ(encoder.RenderPng(MetafileOf(std::string_view(bmp).substr(14)), png), renders) << width;
        // A picture file kept as it is goes through the same limit.
        EXPECT_EQ(encoder.RenderPng(std::vector<uint8_t>(bmp.begin(), bmp.end()), png), renders) << width;
    }
}

struct CountingEncoder : PngEncoder {
    bool RenderPng(const std::vector<uint8_t>& picture, std::string& png) override {
        ++calls;
        if (std::exchange(failNext, false)) return false;
        png = "png of " + std::to_string(picture.size()) + " bytes";
        return true;
    }
    int calls = 0;
    bool failNext = false;
};

// Each picture renders once however often the stores load; a failed render
// is tried again, and the least recently used goes first.
TEST(CachedPngEncoder, EachPictureRendersOnceUntilTheLeastRecentlyUsedMakesRoom) {
    CountingEncoder inner;
    CachedPngEncoder cache(inner, 32);  // each item costs 2 picture and 14 PNG bytes: room for two
    const std::string rtf = "{\\rtf1{\\*\\KestrixFileName{\\a}}{\\pict\\picwgoal150\\pichgoal150 \r\n0101\r\n}}";
    for (int load = 0; load < 3; ++load) {
        auto a = ShortcutEntry::Make(ShortcutKind::Picture, u"", rtf);
        ASSERT_TRUE(BuildPictureHtmlClip(*a, cache));
        EXPECT_NE(a->htmlClip.find(Base64Encode(std::string_view("png of 2 bytes"))), std::string::npos);
    }
    EXPECT_EQ(inner.calls, 1);
    std::string png;
    inner.failNext = true;
    EXPECT_FALSE(cache.RenderPng({2, 2}, png));
    for (const auto& [picture, calls] : {std::pair{std::vector<uint8_t>{2, 2}, 3}, {{1, 1}, 3}, {{3, 3}, 4},
                                         {{1, 1}, 4}, {{2, 2}, 5}}) {
        ASSERT_TRUE(cache.RenderPng(picture, png));
        EXPECT_EQ(png, "png of 2 bytes");
        EXPECT_EQ(inner.calls, calls) << int(picture[0]);
    }
    EXPECT_EQ(cache.CachedPictures(), 2u);
}

}  // namespace
}  // namespace kx
