// What the RTF reader keeps of a document: its fonts, colours and the text of
// each paragraph as runs of equally formatted characters. Everything that is
// not visible text (pictures, objects, headers, document information, hidden
// text, field instructions) is dropped by the reader.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kx {

// The generic family of an RTF font (\fnil, \froman, \fswiss, ...).
enum class RtfFontFamily : uint8_t { Nil, Roman, Swiss, Modern, Script, Decor, Tech, Bidi };

struct RtfFont {
    std::u16string name;
    RtfFontFamily family = RtfFontFamily::Nil;
    // Code page of the font's \fcharset, 0 for the document's code page.
    int codePage = 0;
    bool symbol = false;  // \fcharset2: bytes index the font's own glyphs
};

struct RtfColor {
    bool isAuto = true;  // the empty entry: the reader's default colour
    uint8_t red = 0, green = 0, blue = 0;
};

enum class RtfVertical : uint8_t { Baseline, Super, Sub };

struct RtfCharFormat {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    RtfVertical vertical = RtfVertical::Baseline;
    int halfPoints = 24;  // \fs: font size in half points
    int font = -1;        // \f: key into RtfDocument::fonts, -1 for none
    int color = 0;        // \cf: index into RtfDocument::colors
    int background = 0;   // \highlight / \cb: index into colors

    bool operator==(const RtfCharFormat&) const = default;
};

enum class RtfAlign : uint8_t { Left, Center, Right, Justify };

// Text with one format. Besides ordinary characters it holds '\t' for a tab
// and '\n' for a line break inside the paragraph (\line).
struct RtfRun {
    RtfCharFormat format;
    std::u16string text;
    // The target of the hyperlink field the text is the result of: an
    // http, https or mailto address; empty for text that links nowhere.
    std::u16string link;
};

struct RtfParagraph {
    RtfAlign align = RtfAlign::Left;
    std::vector<RtfRun> runs;
};

struct RtfDocument {
    int codePage = 1252;  // \ansicpg
    std::map<int, RtfFont> fonts;
    std::vector<RtfColor> colors;
    // Every paragraph closed by \par, and a last one only when it holds text.
    std::vector<RtfParagraph> paragraphs;

    // The font for an index, or nullptr when the table has none.
    const RtfFont* FontAt(int index) const {
        auto it = fonts.find(index);
        return it == fonts.end() ? nullptr : &it->second;
    }
    // The colour for an index, or nullptr for an auto entry or one the table
    // lacks (index 0 is normally the auto entry).
    const RtfColor* ColorAt(int index) const {
        if (index < 0 || size_t(index) >= colors.size() || colors[size_t(index)].isAuto) return nullptr;
        return &colors[size_t(index)];
    }
};

}  // namespace kx
