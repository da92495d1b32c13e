// The WIC codec under Wine with real files: each test writes its pictures
// with WIC's own encoders, then reads them back through the codec.
#include <gtest/gtest.h>

#include "platform/win32/handles.h"

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

class WicFiles {
public:
    WicFiles() {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        IWICImagingFactory* raw = nullptr;
        ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                           reinterpret_cast<void**>(&raw));
        factory_.Reset(raw);
    }

    // Writes `b` with the encoder of `container`; GIF gets an index per
    // pixel into the picture's own four colours.
    void Write(const std::filesystem::path& path, const Bitmap& b, REFGUID container) {
        ASSERT_TRUE(factory_);
        IWICStream* streamRaw = nullptr;
        ASSERT_HRESULT_SUCCEEDED(factory_.Get()->CreateStream(&streamRaw));
        UniqueCom<IWICStream> stream(streamRaw);
        ASSERT_HRESULT_SUCCEEDED(stream.Get()->InitializeFromFilename(path.wstring().c_str(), GENERIC_WRITE));
        IWICBitmapEncoder* encoderRaw = nullptr;
        ASSERT_HRESULT_SUCCEEDED(factory_.Get()->CreateEncoder(container, nullptr, &encoderRaw));
        UniqueCom<IWICBitmapEncoder> encoder(encoderRaw);
        ASSERT_HRESULT_SUCCEEDED(encoder.Get()->Initialize(stream.Get(), WICBitmapEncoderNoCache));
        IWICBitmapFrameEncode* frameRaw = nullptr;
        IPropertyBag2* bagRaw = nullptr;
        ASSERT_HRESULT_SUCCEEDED(encoder.Get()->CreateNewFrame(&frameRaw, &bagRaw));
        UniqueCom<IWICBitmapFrameEncode> frame(frameRaw);
        UniqueCom<IPropertyBag2> bag(bagRaw);
        ASSERT_HRESULT_SUCCEEDED(frame.Get()->Initialize(bag.Get()));
        ASSERT_HRESULT_SUCCEEDED(frame.Get()->SetSize(UINT(b.width), UINT(b.height)));

        std::vector<BYTE> pixels;
        UINT stride = 0;
        WICPixelFormatGUID format;
        if (container == GUID_ContainerFormatGif) {
            std::vector<WICColor> colours;
            for (size_t i = 0; i < b.bgra.size(); i += 4) {
                WICColor c = 0xFF000000u | b.bgra[i + 2] << 16 | b.bgra[i + 1] << 8 | b.bgra[i];
                size_t index = 0;
                while (index < colours.size() && colours[index] != c) ++index;
                if (index == colours.size()) colours.push_back(c);
                pixels.push_back(BYTE(index));
            }
            IWICPalette* paletteRaw = nullptr;
            ASSERT_HRESULT_SUCCEEDED(factory_.Get()->CreatePalette(&paletteRaw));
            UniqueCom<IWICPalette> palette(paletteRaw);
            ASSERT_HRESULT_SUCCEEDED(palette.Get()->InitializeCustom(colours.data(), UINT(colours.size())));
            ASSERT_HRESULT_SUCCEEDED(frame.Get()->SetPalette(palette.Get()));
            format = GUID_WICPixelFormat8bppIndexed;
            stride = UINT(b.width);
        } else if (container == GUID_ContainerFormatPng) {
            pixels.assign(b.bgra.begin(), b.bgra.end());
            format = GUID_WICPixelFormat32bppBGRA;
            stride = UINT(b.width) * 4;
        } else {
            stride = UINT((b.width * 3 + 3) & ~3);
            pixels.assign(size_t(stride) * size_t(b.height), 0);
            for (int y = 0; y < b.height; ++y)
                for (int x = 0; x < b.width; ++x)
                    for (int c = 0; c < 3; ++c)
                        pixels[size_t(y) * stride + size_t(x) * 3 + size_t(c)] = b.bgra[(size_t(y) * b.width + x) * 4 + c];
            format = GUID_WICPixelFormat24bppBGR;
        }
        WICPixelFormatGUID asked = format;
        ASSERT_HRESULT_SUCCEEDED(frame.Get()->SetPixelFormat(&asked));
        ASSERT_TRUE(asked == format);
        ASSERT_HRESULT_SUCCEEDED(frame.Get()->WritePixels(UINT(b.height), stride, UINT(pixels.size()), pixels.data()));
        ASSERT_HRESULT_SUCCEEDED(frame.Get()->Commit());
        ASSERT_HRESULT_SUCCEEDED(encoder.Get()->Commit());
    }

private:
    UniqueCom<IWICImagingFactory> factory_;
};

// The largest difference of any channel of any pixel farther than `margin`
// from the lines between the quarters: JPEG blurs colour across an edge
// (its colour planes are halved), so only the inside of a quarter is held
// to the tolerance.
int MaxDifference(const Bitmap& a, const Bitmap& b, int margin) {
    int most = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            if (margin && (std::abs(2 * x + 1 - a.width) < 2 * margin || std::abs(2 * y + 1 - a.height) < 2 * margin))
                continue;
            for (size_t c = 0; c < 4; ++c) {
                size_t i = (size_t(y) * size_t(a.width) + size_t(x)) * 4 + c;
                most = std::max(most, std::abs(int(a.bgra[i]) - int(b.bgra[i])));
            }
        }
    return most;
}

// The mean difference over every channel of every pixel.
double MeanDifference(const Bitmap& a, const Bitmap& b) {
    double sum = 0;
    for (size_t i = 0; i < a.bgra.size(); ++i) sum += std::abs(int(a.bgra[i]) - int(b.bgra[i]));
    return sum / double(a.bgra.size());
}

struct WicCodecTest : ::testing::Test {
    PictureScratch scratch;
    WicFiles files;
    std::unique_ptr<ImageCodec> codec = MakeWicCodec();
};

TEST_F(WicCodecTest, ReadsTheFourFormatsItsEncodersWrite) {
    ASSERT_TRUE(codec);
    const Bitmap picture = Quarters(64, 48);
    struct Case {
        const char* name;
        GUID container;
        int margin, tolerance;  // JPEG is lossy; the others give the pixels back
        double meanTolerance;
    };
    for (const Case& c : {Case{"p.png", GUID_ContainerFormatPng, 0, 0, 0}, Case{"p.bmp", GUID_ContainerFormatBmp, 0, 0, 0},
                          Case{"p.gif", GUID_ContainerFormatGif, 0, 0, 0},
                          Case{"p.jpg", GUID_ContainerFormatJpeg, 8, 16, 4}}) {
        files.Write(scratch.Dir() / c.name, picture, c.container);
        Bitmap loaded;
        ASSERT_TRUE(codec->Load(scratch.Path(c.name), loaded)) << c.name;
        EXPECT_EQ(loaded.width, 64) << c.name;
        EXPECT_EQ(loaded.height, 48) << c.name;
        ASSERT_EQ(loaded.bgra.size(), picture.bgra.size()) << c.name;
        EXPECT_LE(MaxDifference(loaded, picture, c.margin), c.tolerance) << c.name;
        EXPECT_LE(MeanDifference(loaded, picture), c.meanTolerance) << c.name;

        Bitmap fromMemory;
        ASSERT_TRUE(codec->LoadMemory(ReadFile(scratch.Dir() / c.name), fromMemory)) << c.name;
        EXPECT_EQ(fromMemory.bgra, loaded.bgra) << c.name;
    }
    // Not a picture, and no file.
    WriteFile(scratch.Dir() / "text.png", "just text");
    Bitmap none;
    EXPECT_FALSE(codec->Load(scratch.Path("text.png"), none));
    EXPECT_FALSE(codec->Load(scratch.Path("missing.png"), none));
    EXPECT_TRUE(none.bgra.empty());
}

TEST_F(WicCodecTest, BitmapAndPngOutputReadBackTheSame) {
    ASSERT_TRUE(codec);
    Bitmap picture = Pattern(13, 7);  // rows whose length is no multiple of four
    picture.bgra[3] = 0;              // one transparent pixel: laid over white in a bitmap

    std::string bmp;
    ASSERT_TRUE(codec->EncodeBmp(picture, bmp));
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(GetLe(bmp, 14), 40u) << "an information header, as a metafile's bitmap needs";
    Bitmap back;
    ASSERT_TRUE(codec->LoadMemory(bmp, back));
    Bitmap expected = picture;
    expected.bgra[0] = expected.bgra[1] = expected.bgra[2] = expected.bgra[3] = 255;
    EXPECT_EQ(back.bgra, expected.bgra);

    std::string png;
    ASSERT_TRUE(codec->EncodePng(picture, png));
    EXPECT_EQ(png.substr(1, 3), "PNG");
    ASSERT_TRUE(codec->LoadMemory(png, back));
    EXPECT_EQ(back.bgra, picture.bgra);

    ASSERT_TRUE(codec->SaveBmp(picture, scratch.Path("saved.bmp")));
    EXPECT_EQ(ReadFile(scratch.Dir() / "saved.bmp"), bmp);

    // The Linux tools' own files, read by WIC.
    ASSERT_TRUE(codec->LoadMemory(EncodeStoredPngFile(picture), back));
    EXPECT_EQ(back.bgra, picture.bgra);
    ASSERT_TRUE(codec->LoadMemory(EncodeBmpFile(picture), back));
    EXPECT_EQ(back.bgra, expected.bgra);
}

TEST_F(WicCodecTest, ResamplesToTheAskedSize) {
    ASSERT_TRUE(codec);
    Bitmap resized;
    ASSERT_TRUE(codec->Resample(Quarters(40, 20), 2000, 2000, resized));
    EXPECT_EQ(resized.width, 2000);
    EXPECT_EQ(resized.height, 2000);
    ASSERT_EQ(resized.bgra.size(), 2000u * 2000u * 4u);
    // Corners keep their quarter's colour.
    EXPECT_EQ(resized.bgra[0], 0);
    EXPECT_EQ(resized.bgra[2], 255);
    const uint8_t* last = resized.bgra.data() + resized.bgra.size() - 4;
    EXPECT_EQ(last[0], 40);
    EXPECT_EQ(last[1], 220);
    ASSERT_TRUE(codec->Resample(Quarters(40, 20), 4, 2, resized));
    EXPECT_EQ(resized.bgra.size(), 4u * 2u * 4u);
}

TEST_F(WicCodecTest, EncodesEveryFormatIntoAStoredDocument) {
    ASSERT_TRUE(codec);
    const Bitmap picture = Quarters(100, 50);
    for (auto [name, container] : {std::pair{"Photo.JPEG", GUID_ContainerFormatJpeg},
                                   std::pair{"Photo.png", GUID_ContainerFormatPng},
                                   std::pair{"Photo.bmp", GUID_ContainerFormatBmp},
                                   std::pair{"Photo.gif", GUID_ContainerFormatGif}}) {
        files.Write(scratch.Dir() / name, picture, container);
        std::string rtf;
        ASSERT_TRUE(EncodePicture(rtf, scratch.Path(name), 0, 0, *codec, scratch.Temp())) << name;
        EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\deff0{\\*\\KestrixFileName{\\Photo}}{\\pict\\wmetafile8"
                            "\\picw1500\\pich750\\picwgoal1500\\pichgoal750 \r\n",
                            0),
                  0u)
            << name;
        // A 24-bit bitmap of 100 by 50: 40 + 300 * 50 bytes, 7520 words.
        EXPECT_NE(rtf.find("010009000003" "821d0000" "0000" "6d1d0000" "0000"), std::string::npos) << name;
        EXPECT_NE(rtf.find("050000000c0232006400"), std::string::npos) << name;
        EXPECT_TRUE(scratch.TempFiles().empty()) << name;

        ASSERT_TRUE(EncodePicture(rtf, scratch.Path(name), 3000, 100, *codec, scratch.Temp())) << name;
        EXPECT_NE(rtf.find("\\picw30000\\pich30000\\picwgoal45000\\pichgoal1500 "), std::string::npos) << name;
        EXPECT_TRUE(scratch.TempFiles().empty()) << name;
    }
}

}  // namespace
}  // namespace kx::test
