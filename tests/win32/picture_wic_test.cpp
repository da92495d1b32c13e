// The WIC codec under Wine with real files: each test writes its pictures
// with WIC's own encoders, then reads them back through the codec.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlwapi.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "picture/bmp_file.h"
#include "picture/picture_encoder.h"
#include "picture/png_file.h"
#include "picture/wic_codec_win32.h"
#include "tests/native/picture_test_codec.h"

namespace kx::test {
namespace {

// Four colours only, so that a GIF's palette holds the picture exactly.
Bitmap Quarters(int width, int height) {
    static const uint8_t kColours[4][3] = {{0, 0, 255}, {0, 200, 0}, {255, 0, 0}, {40, 220, 250}};
    Bitmap b{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t* c = kColours[(y * 2 / height) * 2 + x * 2 / width];
            b.bgra.insert(b.bgra.end(), {c[0], c[1], c[2], 255});
        }
    return b;
}

// Writes pictures with WIC's own encoders: GIF with an index per pixel into
// the picture's own colours, the others as 24-bit pixels.
class WicFiles {
public:
    WicFiles() {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                           reinterpret_cast<void**>(&factory_));
    }
    ~WicFiles() {
        if (factory_) factory_->Release();
    }
    void Write(const std::filesystem::path& path, const Bitmap& b, REFGUID container) {
        ASSERT_TRUE(factory_);
        IWICStream* stream = nullptr;
        IWICBitmapEncoder* encoder = nullptr;
        IWICBitmapFrameEncode* frame = nullptr;
        IPropertyBag2* bag = nullptr;
        IWICPalette* palette = nullptr;
        const bool gif = container == GUID_ContainerFormatGif;
        const UINT stride = gif ? UINT(b.width) : UINT((b.width * 3 + 3) & ~3);
        std::vector<BYTE> pixels(size_t(stride) * size_t(b.height));
        std::vector<WICColor> colours;
        for (size_t i = 0; i < b.bgra.size(); i += 4) {
            const size_t y = i / 4 / size_t(b.width), x = i / 4 % size_t(b.width);
            const WICColor c = 0xFF000000u | b.bgra[i + 2] << 16 | b.bgra[i + 1] << 8 | b.bgra[i];
            const size_t index = std::find(colours.begin(), colours.end(), c) - colours.begin();
            if (index == colours.size()) colours.push_back(c);
            if (gif) pixels[y * stride + x] = BYTE(index);
            else std::copy_n(&b.bgra[i], 3, &pixels[y * stride + x * 3]);
        }
        WICPixelFormatGUID format = gif ? GUID_WICPixelFormat8bppIndexed : GUID_WICPixelFormat24bppBGR;
        const HRESULT hr = [&] {
            HRESULT r;
            if (FAILED(r = factory_->CreateStream(&stream)) ||
                FAILED(r = stream->InitializeFromFilename(path.wstring().c_str(), GENERIC_WRITE)) ||
                FAILED(r = factory_->CreateEncoder(container, nullptr, &encoder)) ||
                FAILED(r = encoder->Initialize(stream, WICBitmapEncoderNoCache)) ||
                FAILED(r = encoder->CreateNewFrame(&frame, &bag)) || FAILED(r = frame->Initialize(bag)) ||
                FAILED(r = frame->SetSize(UINT(b.width), UINT(b.height))))
                return r;
            if (gif && (FAILED(r = factory_->CreatePalette(&palette)) ||
                        FAILED(r = palette->InitializeCustom(colours.data(), UINT(colours.size()))) ||
                        FAILED(r = frame->SetPalette(palette))))
                return r;
            if (FAILED(r = frame->SetPixelFormat(&format)) ||
                FAILED(r = frame->WritePixels(UINT(b.height), stride, UINT(pixels.size()), pixels.data())) ||
                FAILED(r = frame->Commit()))
                return r;
            return encoder->Commit();
        }();
        for (IUnknown* object : std::initializer_list<IUnknown*>{palette, bag, frame, encoder, stream})
            if (object) object->Release();
        ASSERT_HRESULT_SUCCEEDED(hr) << path;
        ASSERT_TRUE(format == (gif ? GUID_WICPixelFormat8bppIndexed : GUID_WICPixelFormat24bppBGR)) << path;
    }

private:
    IWICImagingFactory* factory_ = nullptr;
};

// The largest difference of any channel of any pixel farther than `margin`
// from the lines between the quarters (JPEG blurs colour across an edge: its
// colour planes are halved), and the mean difference over all of them.
std::pair<int, double> Differences(const Bitmap& a, const Bitmap& b, int margin) {
    int most = 0;
    double sum = 0;
    for (size_t i = 0; i < a.bgra.size(); ++i) {
        const int d = std::abs(int(a.bgra[i]) - int(b.bgra[i])), x = int(i / 4) % a.width, y = int(i / 4) / a.width;
        sum += d;
        if (!margin || (std::abs(2 * x + 1 - a.width) >= 2 * margin && std::abs(2 * y + 1 - a.height) >= 2 * margin))
            most = std::max(most, d);
    }
    return {most, sum / double(a.bgra.size())};
}

struct WicCodecTest : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(codec); }
    PictureScratch scratch;
    WicFiles files;
    std::unique_ptr<ImageCodec> codec = MakeWicCodec();
};

// Each format read from its file and from memory, and stored in a document
// as a metafile's 24-bit bitmap of the picture's size or the asked one.
TEST_F(WicCodecTest, ReadsTheFourFormatsAndStoresThemInADocument) {
    const Bitmap picture = Quarters(64, 48), stored = Quarters(100, 50);
    const struct {
        const char* name;
        GUID container;
        int margin, tolerance;  // JPEG is lossy; the others give the pixels back
        double meanTolerance;
    } rows[] = {{"png", GUID_ContainerFormatPng, 0, 0, 0}, {"bmp", GUID_ContainerFormatBmp, 0, 0, 0},
                {"gif", GUID_ContainerFormatGif, 0, 0, 0}, {"JPEG", GUID_ContainerFormatJpeg, 8, 16, 4}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const std::string name = std::string("p.") + r.name, photo = std::string("Photo.") + r.name;
        files.Write(scratch.Dir() / name, picture, r.container);
        files.Write(scratch.Dir() / photo, stored, r.container);
        Bitmap loaded, fromMemory;
        ASSERT_TRUE(codec->Load(scratch.Path(name), loaded));
        EXPECT_EQ(loaded.width, 64);
        EXPECT_EQ(loaded.height, 48);
        ASSERT_EQ(loaded.bgra.size(), picture.bgra.size());
        const auto [most, mean] = Differences(loaded, picture, r.margin);
        EXPECT_LE(most, r.tolerance);
        EXPECT_LE(mean, r.meanTolerance);
        ASSERT_TRUE(codec->LoadMemory(ReadFile(scratch.Dir() / name), fromMemory));
        EXPECT_EQ(fromMemory.bgra, loaded.bgra);

        std::string rtf;
        ASSERT_TRUE(EncodePicture(rtf, scratch.Path(photo), 0, 0, *codec, scratch.Temp()));
        EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\deff0{\\*\\KestrixFileName{\\Photo}}{\\pict\\wmetafile8"
                            "\\picw1500\\pich750\\picwgoal1500\\pichgoal750 \r\n", 0), 0u);
        // 40 + 300 * 50 bytes of bitmap, 7520 words.
        EXPECT_NE(rtf.find("010009000003" "821d0000" "0000" "6d1d0000" "0000"), std::string::npos);
        EXPECT_NE(rtf.find("050000000c0232006400"), std::string::npos);
        ASSERT_TRUE(EncodePicture(rtf, scratch.Path(photo), 3000, 100, *codec, scratch.Temp()));
        EXPECT_NE(rtf.find("\\picw30000\\pich30000\\picwgoal45000\\pichgoal1500 "), std::string::npos);
        EXPECT_TRUE(scratch.TempFiles().empty());
    }
    WriteFile(scratch.Dir() / "text.png", "just text");
    Bitmap none;
    EXPECT_FALSE(codec->Load(scratch.Path("text.png"), none));
    EXPECT_FALSE(codec->Load(scratch.Path("missing.png"), none));
    EXPECT_TRUE(none.bgra.empty());
}

TEST_F(WicCodecTest, BitmapAndPngOutputReadBackTheSame) {
    Bitmap picture = Pattern(13, 7);  // rows whose length is no multiple of four
    picture.bgra[3] = 0;              // one transparent pixel: laid over white in a bitmap
    Bitmap overWhite = picture, back;
    std::fill_n(overWhite.bgra.begin(), 4, 255);
    std::string bmp, png;
    ASSERT_TRUE(codec->EncodeBmp(picture, bmp));
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(GetLe(bmp, 14), 40u) << "an information header, as a metafile's bitmap needs";
    ASSERT_TRUE(codec->EncodePng(picture, png));
    EXPECT_EQ(png.substr(1, 3), "PNG");
    ASSERT_TRUE(codec->SaveBmp(picture, scratch.Path("saved.bmp")));
    EXPECT_EQ(ReadFile(scratch.Dir() / "saved.bmp"), bmp);
    // Our own files and the Linux tools', read by WIC.
    for (const auto& [file, expected] : {std::pair{bmp, overWhite}, {png, picture}, {EncodeStoredPngFile(picture), picture},
                                         {EncodeBmpFile(picture), overWhite}}) {
        ASSERT_TRUE(codec->LoadMemory(file, back));
        EXPECT_EQ(back.bgra, expected.bgra) << file.substr(0, 4);
    }
}

TEST_F(WicCodecTest, ResamplesToTheAskedSize) {
    Bitmap resized;
    ASSERT_TRUE(codec->Resample(Quarters(40, 20), 2000, 2000, resized));
    EXPECT_EQ(resized.width, 2000);
    EXPECT_EQ(resized.height, 2000);
    ASSERT_EQ(resized.bgra.size(), 2000u * 2000u * 4u);
    // Corners keep their quarter's colour.
    const uint8_t* last = resized.bgra.data() + resized.bgra.size() - 4;
    EXPECT_EQ(resized.bgra[0], 0);
    EXPECT_EQ(resized.bgra[2], 255);
    EXPECT_EQ(last[0], 40);
    EXPECT_EQ(last[1], 220);
}

}  // namespace
}  // namespace kx::test
