// Picture shortcuts: the title a document carries, the BMP files the Linux
// tools read and write, the bitmap found again in a stored metafile and the
// browser clip's PNG made from it, the encoder's document for a picture file,
// and the pass that encodes older pictures again.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "base/text.h"
#include "core/base64.h"
#include "core/database_io.h"
#include "core/file_paths.h"
#include "core/picture_name.h"
#include "engine/output/html_clip.h"
#include "engine/output/picture_html_clip.h"
#include "engine/output/png_cache.h"
#include "picture/bmp_codec.h"
#include "picture/bmp_file.h"
#include "picture/codec_png_encoder.h"
#include "picture/legacy_conversion.h"
#include "picture/legacy_picture.h"
#include "picture/metafile_bitmap.h"
#include "picture/metafile_text.h"
#include "picture/picture_encoder.h"
#include "picture/pixels.h"
#include "platform/fake/fake_file_security.h"
#include "platform/fake/memory_registry.h"
#include "settings/settings_store.h"
#include "tests/native/picture_test_codec.h"

namespace kx::test {
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

// A stored picture document around a 2 x 2 bitmap, as the encoder writes it.
std::string PictureDoc(const std::string& title, int goalw, int goalh, bool withPicture = true) {
    std::string doc;
    AppendPictureHead(doc, {title, 30, 30, goalw, goalh});
    const std::string dib = std::string("\x0c\0\0\0\2\0\2\0\1\0\x18\0", 12) + std::string(12, '\x7f');
    if (withPicture) {
        EXPECT_TRUE(AppendMetafileHex(doc, dib));
    }
    AppendPictureTail(doc);
    return doc;
}

// A title with braces or a backslash stays inside its group, so the picture
// stays inside the document, and reads back as it was written, with its
// size in pixels.
TEST(PictureFileName, TitlesWithBracesAndBackslashesKeepTheDocumentWhole) {
    for (const auto& [title, goalw, goalh] : {std::tuple{"plan {draft", 30, 30}, {"x}y", 30, 30}, {"}x", 30, 30},
                                              {"\\b", 30, 30}, {"'ab", 30, 30}, {"a}}{\\pict", 30, 30},
                                              {"Logo \xc3\xa9t\xc3\xa9", 3000, 1515}}) {
        const std::string doc = PictureDoc(title, goalw, goalh);
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
        EXPECT_EQ(std::pair(read.width, read.height), std::pair(goalw / 15, goalh / 15)) << title;
    }
}


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


TEST(PictureHtmlClip, IncompleteDescriptionsFail) {
    const std::string good = PictureDoc("photo", 1500, 750);
    std::string odd = good, bad = good, noName = good;
    odd.insert(odd.find("\r\n}"), "a");  // half a byte
    bad[bad.find("\r\n}") - 2] = 'g';
    noName.replace(noName.find("KestrixFileName"), 7, "Unknown");
    CountingEncoder encoder;
    for (const std::string& rtf : {std::string(), PictureDoc("photo", 14, 750) /* under a pixel wide */,
                                   PictureDoc("photo", 1500, 0), PictureDoc("photo", 1500, 750, false),
                                   PictureDoc("", 1500, 750), odd, bad, noName, good /* with the encoder failing */}) {
        encoder.failNext = rtf == good;
        auto entry = ShortcutEntry::Make(ShortcutKind::Picture, u"", rtf);
        entry->htmlClip = "previous";
        EXPECT_FALSE(BuildPictureHtmlClip(*entry, encoder)) << rtf;
        EXPECT_TRUE(entry->htmlClip.empty()) << rtf;
    }
}

TEST(Base64, StandardAlphabetWithPadding) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foobar", "Zm9vYmFy"}, {"\xfb\xff\xbf", "+/+/"}};
    for (const auto& [plain, encoded] : cases) {
        EXPECT_EQ(Base64Encode(plain), encoded);
        std::vector<uint8_t> back;
        ASSERT_TRUE(Base64Decode(encoded, back)) << encoded;
        EXPECT_EQ(std::string(back.begin(), back.end()), plain);
    }
    std::vector<uint8_t> out{1};
    for (const char* bad : {"Zg=", "Zg==Zg==", "Z===", "Zm9v\n", "Zm-v", "=Zm9"}) {
        EXPECT_FALSE(Base64Decode(bad, out)) << bad;
        EXPECT_TRUE(out.empty());
    }
}

// `bytes` bytes of `v` in hexadecimal, least significant first.
std::string Hex(uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i, v >>= 8) s += {"0123456789abcdef"[v >> 4 & 15], "0123456789abcdef"[v & 15]};
    return s;
}
// In capitals, as the older versions wrote it.
std::string HexOf(const std::string& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string s;
    for (unsigned char c : bytes) s += {kDigits[c >> 4], kDigits[c & 15]};
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
        std::filesystem::create_directories((scratch.Dir() / name).parent_path());
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
// The resized copy is named from the file's title and last extension.
TEST_F(EncoderTest, RequestedSizesAboveTheCapGiveATwoThousandPixelSquare) {
    for (const auto& [w, h, name, sizes, resized] :
         {std::tuple{10, 2001, "tall.v2.png", "\\picw30000\\pich30000\\", u"tall.v2Resized.png"},
          {2000, 8, "v1.2/tall", "\\picw30000\\pich120\\picwgoal30000\\pichgoal120 ", u"tallResized"}}) {
        codec.saved.clear();
        ASSERT_TRUE(Encode(PictureFile(name, Pattern(4, 4)), w, h));
        EXPECT_NE(out.find(sizes), std::string::npos) << name;
        EXPECT_EQ(codec.saved.front(), JoinPath(scratch.Temp(), resized));
    }
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

// A picture shortcut as the older versions stored it: the picture file's
// own bytes in hexadecimal right after the name's group.
std::string LegacyDocument(const std::string& name, int goalw, int goalh, const std::string& file) {
    return "{\\rtf1\\ansi{\\*\\KestrixFileName{\\" + name + "}}" + HexOf(file) +
           "}{\\*\\shppict{\\pict\\pngblip\\picwgoal" + std::to_string(goalw) + "\\pichgoal" +
           std::to_string(goalh) + "{}}}}";
}

struct ConversionTest : ::testing::Test {
    PictureScratch scratch;
    TestCodec codec;
    MemoryRegistry registry;
    SettingsStore settings{registry};
    FakeFileSecurity grants;
    DataFolders folders;
    std::u16string password;

    void SetUp() override {
        std::filesystem::create_directories(scratch.Dir() / "machine");
        std::filesystem::create_directories(scratch.Dir() / "user" / "local");
        folders.machine = scratch.Path("machine");
        folders.user = scratch.Path("user");
        folders.local = JoinPath(folders.user, u"local");
    }

    LegacyConversion Pass() {
        return LegacyConversion{settings, SystemFileSystem(), grants, folders, SystemDatabaseIo(), codec,
                                scratch.Temp(), nullptr, nullptr};
    }

    void Save(const std::u16string& path, std::initializer_list<std::pair<std::u16string, EntryRef>> entries,
              bool password = false) {
        StoreRef store = ShortcutStore::Create();
        for (auto& [key, entry] : entries) store->Insert(key, entry);
        if (password) {
            store->SetCarriesPassword(true);
            store->SetAdminPassword(u"secret");
        }
        ASSERT_TRUE(ShortcutStore::Save(*store, path, SystemDatabaseIo()));
    }

    EntryRef Entry(const std::u16string& path, const std::u16string& key, std::u16string* password = nullptr) {
        StoreRef store = ShortcutStore::Create();
        uint32_t count = 0;
        EXPECT_EQ(ShortcutStore::Load(*store, path, password != nullptr, count, SystemDatabaseIo()), LoadOk);
        if (password) store->GetAdminPassword(*password);
        EntryRef e;
        store->Find(key, e);
        return e;
    }

    static EntryRef Picture(const std::string& rtf) {
        return ShortcutEntry::Make(ShortcutKind::Picture, u"", rtf);
    }
};

TEST_F(ConversionTest, OlderPicturesEverywhereAreEncodedAgain) {
    const std::string file = RawFile(Pattern(4, 2));
    const std::u16string shared = folders.DefaultSharedFile();
    const std::u16string group = JoinPath(folders.local, u"abbrev.dat");
    Save(shared, {{u"LOGO", Picture(LegacyDocument("logo.png", 600, 300, file))}}, true);
    // Goal sizes of 0 keep the picture's own size; a name with folders is
    // written into the temporary folder all the same.
    Save(group, {{u"A", Picture(LegacyDocument("..\\..\\sig.gif", 0, 0, file))},
                 {u"B", ShortcutEntry::Make(ShortcutKind::SimpleText, u"text {\\*\\shppict{ }}}")},
                 {u"C", Picture(LegacyDocument("broken.png", 30, 30, "not a picture"))}});
    WriteFile(scratch.Dir() / "user" / "local" / "readme.txt", "not a database");

    std::vector<std::pair<size_t, size_t>> progress;
    LegacyConversion pass = Pass();
    pass.progress = [&](size_t done, size_t total) { progress.emplace_back(done, total); };
    EXPECT_TRUE(ConvertLegacyPictures(pass));
    EXPECT_EQ(Entry(shared, u"LOGO", &password)->richText.rfind("{\\rtf1\\ansi\\deff0{\\*\\KestrixFileName{\\logo}}{\\pict\\wmetafile8\\picw600\\pich300"
              "\\picwgoal600\\pichgoal300 \r\n0100", 0), 0u);
    EXPECT_EQ(password, u"secret");
    ASSERT_EQ(grants.given.size(), 1u);
    EXPECT_EQ(grants.given[0], std::make_pair(shared, UsersAccess::Modify));
    EXPECT_EQ(Entry(group, u"A")->richText.rfind("{\\rtf1\\ansi\\deff0{\\*\\KestrixFileName{\\sig}}{\\pict\\wmetafile8\\picw60\\pich30"
              "\\picwgoal60\\pichgoal30 \r\n", 0), 0u);
    EXPECT_EQ(Entry(group, u"B")->plainText, u"text {\\*\\shppict{ }}}");
    // A picture that cannot be read again keeps its old document.
    EXPECT_EQ(Entry(group, u"C")->richText, LegacyDocument("broken.png", 30, 30, "not a picture"));
    EXPECT_EQ(ReadFile(scratch.Dir() / "user" / "local" / "readme.txt"), "not a database");
    EXPECT_TRUE(scratch.TempFiles().empty());
    EXPECT_TRUE(settings.ReadBool(settings::PicShortcutsConvertedToWindowMetaFile));
    EXPECT_EQ(progress.front(), std::make_pair(size_t(0), size_t(3)));
    EXPECT_EQ(progress.back(), std::make_pair(size_t(3), size_t(3)));

    // Once done, the pass leaves even new older pictures alone.
    Save(group, {{u"A", Picture(LegacyDocument("late.png", 0, 0, file))}});
    const std::string before = ReadFile(std::filesystem::path(group));
    EXPECT_TRUE(ConvertLegacyPictures(Pass()));
    EXPECT_EQ(ReadFile(std::filesystem::path(group)), before);
}

TEST(LegacyPicture, ReadsNameSizeAndBytes) {
    LegacyPicture p;
    ASSERT_TRUE(ReadLegacyPicture(LegacyDocument("caf\xc3\xa9.png", 1514, 755, "\x89PNG\x01"), p));
    EXPECT_EQ(p.fileName, u"caf\u00e9.png");
    EXPECT_EQ(p.width, 100);
    EXPECT_EQ(p.height, 50);
    EXPECT_EQ(p.bytes, "\x89PNG\x01");
    // The bytes end at the first pair that is not hexadecimal.
    ASSERT_TRUE(ReadLegacyPicture("{\\rtf1{\\*\\KestrixFileName{\\x.png}}0a0bzz0c}{\\*\\shppict{\\picwgoal15\\pichgoal15{}}}", p));
    EXPECT_EQ(p.bytes, "\x0a\x0b");
    // Without the picture group it is no older picture.
    EXPECT_FALSE(ReadLegacyPicture("{\\rtf1{\\*\\KestrixFileName{\\x.png}}0a0b}}}\\picwgoal15\\pichgoal15", p));
    EXPECT_EQ(SafeFileName(u"C:\\x\\..\\y.png"), u"y.png");
    EXPECT_EQ(SafeFileName(u"a/.."), u"");
    EXPECT_EQ(SafeFileName(u"a:b.png"), u"");
}

}  // namespace
}  // namespace kx::test
