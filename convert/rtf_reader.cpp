#include "convert/rtf_reader.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "convert/ansi_codepage.h"
#include "convert/rtf_keywords.h"
#include "convert/rtf_lexer.h"
#include "convert/rtf_link.h"

namespace kx {
namespace {

// Font names longer than this are cut; GDI face names are far shorter.
constexpr size_t kMaxFontName = 64;
// \ucN above this is nonsense; it would make \u swallow the text after it.
constexpr int kMaxFallbackChars = 8;
constexpr int kMaxHalfPoints = 3276;  // 1638 pt, the largest size Word offers

enum class Destination : uint8_t { Body, FontTable, ColorTable, FieldInstruction, Skip };

// A field instruction longer than this is no hyperlink worth keeping.
constexpr size_t kMaxFieldInstruction = 2048;

struct GroupState {
    RtfCharFormat format;
    RtfAlign align = RtfAlign::Left;
    Destination dest = Destination::Body;
    int fallbackChars = 1;  // \uc
    int field = -1;         // index of the innermost \field's instruction
    bool starred = false;   // the group began with \*
    std::u16string link;    // inside a hyperlink's \fldrslt
};

bool StartsAsRtf(std::string_view rtf) {
    size_t i = 0;
    while (i < rtf.size() && (rtf[i] == ' ' || rtf[i] == '\t' || rtf[i] == '\r' || rtf[i] == '\n')) ++i;
    return rtf.substr(i, 5) == "{\\rtf";
}

uint8_t ClampByte(int32_t v) { return uint8_t(std::clamp<int32_t>(v, 0, 255)); }

// \uN is a signed 16-bit number; writers put characters above 32767 as
// negative values. Anything outside 16 bits is not a character.
char16_t UnicodeParam(int32_t v) {
    if (v < -32768 || v > 65535) return u'\uFFFD';
    return char16_t(v < 0 ? v + 65536 : v);
}

RtfFontFamily FamilyOf(std::string_view word) {
    if (word == "froman") return RtfFontFamily::Roman;
    if (word == "fswiss") return RtfFontFamily::Swiss;
    if (word == "fmodern") return RtfFontFamily::Modern;
    if (word == "fscript") return RtfFontFamily::Script;
    if (word == "fdecor") return RtfFontFamily::Decor;
    if (word == "ftech") return RtfFontFamily::Tech;
    if (word == "fbidi") return RtfFontFamily::Bidi;
    return RtfFontFamily::Nil;
}

class Reader {
public:
    explicit Reader(RtfDocument& doc) : doc_(doc) {}

    void Run(std::string_view rtf) {
        RtfLexer lexer(rtf);
        for (;;) {
            RtfToken t = lexer.Next();
            if (t.kind == RtfTokenKind::End) break;
            if (t.kind == RtfTokenKind::GroupOpen) { OpenGroup(); continue; }
            if (t.kind == RtfTokenKind::GroupClose) {
                if (CloseGroup()) break;  // the document's outer group ended
                continue;
            }
            if (stack_.empty()) continue;  // nothing counts outside the document
            if (pendingFallback_ > 0) {
                // Each token stands for one character of a \u fallback.
                --pendingFallback_;
                continue;
            }
            switch (t.kind) {
                case RtfTokenKind::ControlWord: Word(t); break;
                case RtfTokenKind::ControlSymbol: Symbol(t.symbol); break;
                case RtfTokenKind::HexByte: Byte(t.byte); break;
                case RtfTokenKind::Text: TextByte(t.byte); break;
                default: break;  // \bin data is never text
            }
        }
        CommitFont();
        if (!para_.runs.empty()) {
            para_.align = stack_.empty() ? lastAlign_ : State().align;
            doc_.paragraphs.push_back(std::move(para_));
        }
    }

private:
    GroupState& State() { return stack_.back(); }

    void OpenGroup() {
        pendingFallback_ = 0;
        if (stack_.size() >= kMaxRtfGroupDepth) {
            ++overflow_;
            return;
        }
        stack_.push_back(stack_.empty() ? GroupState{} : stack_.back());
    }

    // True when the outermost group closed.
    bool CloseGroup() {
        pendingFallback_ = 0;
        if (overflow_ > 0) {
            --overflow_;
            return false;
        }
        if (stack_.empty()) return false;  // a stray brace before the document
        if (State().dest == Destination::FontTable) CommitFont();
        lastAlign_ = State().align;
        stack_.pop_back();
        return stack_.empty();
    }

    void Word(const RtfToken& t) {
        GroupState& s = State();
        std::string_view w = t.word;
        const bool starred = std::exchange(s.starred, false);
        // A field's instruction may be written {\*\fldinst ...} or without
        // the star; either way only a field's own instruction is kept.
        if (w == "fldinst" && s.field >= 0 && (s.dest == Destination::Body || (starred && s.dest == Destination::Skip))) {
            s.dest = Destination::FieldInstruction;
            return;
        }
        if (s.dest == Destination::Skip) return;
        if (s.dest == Destination::Body && w == "field") {
            s.field = int(fieldInstructions_.size());
            fieldInstructions_.emplace_back();
            s.link.clear();
            return;
        }
        if (s.dest == Destination::Body && w == "fldrslt") {
            s.link = s.field >= 0 ? HyperlinkTarget(fieldInstructions_[size_t(s.field)]) : std::u16string();
            return;
        }

        if (w == "fonttbl") { s.dest = Destination::FontTable; return; }
        if (w == "colortbl") {
            s.dest = Destination::ColorTable;
            doc_.colors.clear();
            color_ = {};
            return;
        }
        if (IsSkippedDestination(w)) { s.dest = Destination::Skip; return; }
        if (s.dest == Destination::FontTable) { FontTableWord(t); return; }
        if (s.dest == Destination::ColorTable) { ColorTableWord(t); return; }
        BodyWord(t, s);
    }

    void FontTableWord(const RtfToken& t) {
        std::string_view w = t.word;
        if (w == "f") {
            CommitFont();
            fontOpen_ = true;
            fontId_ = t.param;
            font_ = {};
        } else if (!fontOpen_) {
            return;
        } else if (w == "fcharset") {
            font_.codePage = CodePageForCharset(t.param);
            font_.symbol = t.param == 2;
        } else if (w.size() > 1 && w[0] == 'f' && FamilyOf(w) != RtfFontFamily::Nil) {
            font_.family = FamilyOf(w);
        } else if (w == "u" && t.hasParam) {
            FontNameChar(UnicodeParam(t.param));
            pendingFallback_ = State().fallbackChars;
        }
    }

    void ColorTableWord(const RtfToken& t) {
        std::string_view w = t.word;
        if (w == "red") { color_.red = ClampByte(t.param); color_.isAuto = false; }
        else if (w == "green") { color_.green = ClampByte(t.param); color_.isAuto = false; }
        else if (w == "blue") { color_.blue = ClampByte(t.param); color_.isAuto = false; }
    }

    void BodyWord(const RtfToken& t, GroupState& s) {
        std::string_view w = t.word;
        RtfCharFormat& f = s.format;
        // Toggles: \b on, \b0 off.
        const bool on = !t.hasParam || t.param != 0;

        if (w == "par" || w == "sect" || w == "page" || w == "row") { EndParagraph(); return; }
        if (w == "line") { AddChar(u'\n'); return; }
        if (w == "u") {
            if (!t.hasParam) return;
            AddChar(UnicodeParam(t.param));
            pendingFallback_ = s.fallbackChars;
            return;
        }
        if (char16_t c = SpecialCharacter(w)) { AddChar(c); return; }

        if (w == "b") f.bold = on;
        else if (w == "i") f.italic = on;
        else if (w == "ulnone") f.underline = false;
        else if (IsUnderlineWord(w)) f.underline = on;
        else if (w == "strike" || w == "striked") f.strike = on;
        else if (w == "v") f.hidden = on;
        else if (w == "super") f.vertical = RtfVertical::Super;
        else if (w == "sub") f.vertical = RtfVertical::Sub;
        else if (w == "nosupersub") f.vertical = RtfVertical::Baseline;
        else if (w == "fs") f.halfPoints = t.hasParam && t.param > 0 ? std::min(t.param, kMaxHalfPoints) : 24;
        else if (w == "f") f.font = t.hasParam ? t.param : -1;
        else if (w == "cf") f.color = t.param;
        else if (w == "highlight" || w == "cb" || w == "chcbpat") f.background = t.param;
        else if (w == "plain") { f = {}; f.font = defaultFont_; }
        else if (w == "pard") s.align = RtfAlign::Left;
        else if (w == "ql") s.align = RtfAlign::Left;
        else if (w == "qc") s.align = RtfAlign::Center;
        else if (w == "qr") s.align = RtfAlign::Right;
        else if (w == "qj") s.align = RtfAlign::Justify;
        else if (w == "uc") s.fallbackChars = std::clamp<int32_t>(t.param, 0, kMaxFallbackChars);
        else if (w == "ansi") doc_.codePage = kDefaultAnsiCodePage;
        else if (w == "ansicpg") doc_.codePage = t.param;
        else if (w == "deff") { defaultFont_ = t.param; f.font = t.param; }
    }

    void Symbol(char c) {
        GroupState& s = State();
        if (s.dest == Destination::Skip) return;
        switch (c) {
            case '*':  // an optional destination
                s.starred = s.dest == Destination::Body;
                s.dest = Destination::Skip;
                break;
            case '~': AddChar(u'\u00A0'); break;
            case '_': AddChar(u'\u2011'); break;
            case '{': case '}': case '\\': TextByte(uint8_t(c)); break;
            default: break;  // \- optional hyphen, \| \: index marks, broken \'
        }
    }

    // A byte given as \'hh: always a character in the current code page.
    void Byte(uint8_t b) {
        GroupState& s = State();
        if (s.dest == Destination::FontTable) { FontNameChar(AnsiByteToUtf16(doc_.codePage, b)); return; }
        if (s.dest != Destination::Body && s.dest != Destination::FieldInstruction) return;
        int codePage = doc_.codePage;
        if (const RtfFont* font = doc_.FontAt(s.format.font)) {
            if (font->symbol && b == 0xB7) { AddChar(u'\u2022'); return; }  // Symbol's bullet
            if (font->codePage != 0) codePage = font->codePage;
        }
        AddChar(AnsiByteToUtf16(codePage, b));
    }

    // A byte of plain text, where ';' ends table entries.
    void TextByte(uint8_t b) {
        GroupState& s = State();
        switch (s.dest) {
            case Destination::Skip: return;
            case Destination::ColorTable:
                if (b == ';') {
                    doc_.colors.push_back(color_);
                    color_ = {};
                }
                return;
            case Destination::FontTable:
                if (b == ';') CommitFont();
                else if (b >= 0x20) FontNameChar(AnsiByteToUtf16(doc_.codePage, b));
                return;
            case Destination::Body:
            case Destination::FieldInstruction:
                if (b == '\t') AddChar(u'\t');
                else if (b >= 0x20) Byte(b);
                return;
        }
    }

    void FontNameChar(char16_t c) {
        if (fontOpen_ && font_.name.size() < kMaxFontName) font_.name.push_back(c);
    }

    void CommitFont() {
        if (!fontOpen_) return;
        fontOpen_ = false;
        // Writers pad names with blanks before the ';'.
        while (!font_.name.empty() && font_.name.back() == u' ') font_.name.pop_back();
        doc_.fonts[fontId_] = std::move(font_);
        font_ = {};
    }

    void AddChar(char16_t c) {
        GroupState& s = State();
        if (s.dest == Destination::FieldInstruction) {
            std::u16string& instruction = fieldInstructions_[size_t(s.field)];
            if (instruction.size() < kMaxFieldInstruction) instruction.push_back(c);
            return;
        }
        if (s.dest != Destination::Body || s.format.hidden) return;
        if (para_.runs.empty() || !(para_.runs.back().format == s.format) || para_.runs.back().link != s.link)
            para_.runs.push_back(RtfRun{s.format, {}, s.link});
        para_.runs.back().text.push_back(c);
    }

    void EndParagraph() {
        GroupState& s = State();
        if (s.dest != Destination::Body) return;
        para_.align = s.align;
        doc_.paragraphs.push_back(std::move(para_));
        para_ = {};
    }

    RtfDocument& doc_;
    std::vector<GroupState> stack_;
    std::vector<std::u16string> fieldInstructions_;
    size_t overflow_ = 0;  // groups opened past kMaxRtfGroupDepth
    int pendingFallback_ = 0;
    int defaultFont_ = -1;
    RtfAlign lastAlign_ = RtfAlign::Left;  // of the group closed last

    bool fontOpen_ = false;
    int fontId_ = 0;
    RtfFont font_;
    RtfColor color_;
    RtfParagraph para_;
};

}  // namespace

bool ReadRtf(std::string_view rtf, RtfDocument& doc, std::string* error) {
    doc = {};
    if (!StartsAsRtf(rtf)) {
        if (error) *error = "not an RTF document: it does not begin with {\\rtf";
        return false;
    }
    Reader(doc).Run(rtf);
    return true;
}

}  // namespace kx
