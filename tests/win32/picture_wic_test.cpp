// The WIC codec under Wine with real files. Every format reaches the codec's
// own code the same way (the system's decoder it picks, then one converter
// to 32-bit pixels), so the files here are the PNGs and bitmaps our own
// writers and WIC's encoders make; the picture suite reads a user's PNG end
// to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "picture/bmp_file.h"
#include "picture/picture_encoder.h"
#include "picture/png_file.h"
#include "picture/wic_codec_win32.h"
#include "tests/native/picture_test_codec.h"

namespace kx::test {
namespace {

struct WicCodecTest : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(codec); }
    PictureScratch scratch;
    std::unique_ptr<ImageCodec> codec = MakeWicCodec();
};

// Read from a file and from memory, the pixels come back whole; a
// transparent pixel is laid over white in a bitmap. Text is no picture.
TEST_F(WicCodecTest, OurFilesAndItsOwnReadBackTheSame) {
    Bitmap picture = Pattern(13, 7);  // rows whose length is no multiple of four
    picture.bgra[3] = 0;
    Bitmap overWhite = picture;
    std::fill_n(overWhite.bgra.begin(), 4, 255);
    std::string bmp, png;
    ASSERT_TRUE(codec->EncodeBmp(picture, bmp));
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(GetLe(bmp, 14), 40u) << "an information header, as a metafile's bitmap needs";
    ASSERT_TRUE(codec->EncodePng(picture, png));
    EXPECT_EQ(png.substr(1, 3), "PNG");
    ASSERT_TRUE(codec->SaveBmp(picture, scratch.Path("saved.bmp")));
    EXPECT_EQ(ReadFile(scratch.Dir() / "saved.bmp"), bmp);
    const struct {
        const char* name;
        std::string file;
        const Bitmap& expected;
    } rows[] = {{"p.bmp", bmp, overWhite}, {"p.png", png, picture}, {"stored.png", EncodeStoredPngFile(picture), picture},
                {"ours.bmp", EncodeBmpFile(picture), overWhite}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        WriteFile(scratch.Dir() / r.name, r.file);
        Bitmap fromFile, fromMemory;
        ASSERT_TRUE(codec->Load(scratch.Path(r.name), fromFile));
        EXPECT_EQ(fromFile.width, 13);
        EXPECT_EQ(fromFile.height, 7);
        EXPECT_EQ(fromFile.bgra, r.expected.bgra);
        ASSERT_TRUE(codec->LoadMemory(r.file, fromMemory));
        EXPECT_EQ(fromMemory.bgra, r.expected.bgra);
    }
    WriteFile(scratch.Dir() / "text.png", "just text");
    Bitmap none;
    EXPECT_FALSE(codec->Load(scratch.Path("text.png"), none));
    EXPECT_FALSE(codec->Load(scratch.Path("missing.png"), none));
    EXPECT_TRUE(none.bgra.empty());
}

// Resampled to the asked size, each corner keeps its quarter's colour; a
// picture stored at that size leaves no temporary file behind.
TEST_F(WicCodecTest, ResamplesToTheAskedSize) {
    Bitmap quarters{40, 20, {}}, resized;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            quarters.bgra.insert(quarters.bgra.end(), {uint8_t(y < 10 ? 0 : 40), uint8_t(x < 20 ? 0 : 220), 255, 255});
    ASSERT_TRUE(codec->Resample(quarters, 2000, 2000, resized));
    EXPECT_EQ(resized.width, 2000);
    EXPECT_EQ(resized.height, 2000);
    ASSERT_EQ(resized.bgra.size(), 2000u * 2000u * 4u);
    const uint8_t* last = resized.bgra.data() + resized.bgra.size() - 4;
    EXPECT_EQ((std::vector<uint8_t>(resized.bgra.begin(), resized.bgra.begin() + 3)), (std::vector<uint8_t>{0, 0, 255}));
    EXPECT_EQ((std::vector<uint8_t>(last, last + 3)), (std::vector<uint8_t>{40, 220, 255}));

    WriteFile(scratch.Dir() / "Photo.bmp", EncodeBmpFile(quarters));
    std::string rtf;
    ASSERT_TRUE(EncodePicture(rtf, scratch.Path("Photo.bmp"), 3000, 100, *codec, scratch.Temp()));
    EXPECT_NE(rtf.find("\\picw30000\\pich30000\\picwgoal45000\\pichgoal1500 "), std::string::npos);
    EXPECT_TRUE(scratch.TempFiles().empty());
}

}  // namespace
}  // namespace kx::test
