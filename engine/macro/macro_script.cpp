#include "engine/macro/macro_script.h"

#include "base/text.h"

namespace kx {
namespace {

struct KeywordEntry {
    MacroKeyword keyword;
    std::u16string_view text;
};

// The order of this table decides between keywords that begin alike.
constexpr KeywordEntry kKeywords[] = {
    {MacroKeyword::MouseMove, u"mouse_move"},     {MacroKeyword::MouseClick, u"mouse_click"},
    {MacroKeyword::MousePress, u"mouse_press"},   {MacroKeyword::MouseRelease, u"mouse_release"},
    {MacroKeyword::MouseDblClick, u"mouse_dblclick"}, {MacroKeyword::MouseWheel, u"mouse_wheel"},
    {MacroKeyword::KbrdClick, u"kbrd_click"},     {MacroKeyword::KbrdPress, u"kbrd_press"},
    {MacroKeyword::KbrdRelease, u"kbrd_release"}, {MacroKeyword::KbrdInput, u"kbrd_input"},
    {MacroKeyword::Pause, u"pause"},              {MacroKeyword::Command, u"command"},
};

}  // namespace

std::u16string_view TrimScriptSpace(std::u16string_view s) {
    while (!s.empty() && IsScriptSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsScriptSpace(s.back())) s.remove_suffix(1);
    return s;
}

std::u16string_view CommandLineText(std::u16string_view line) { return TrimScriptSpace(CutToField(line)); }

MacroScript::MacroScript(std::u16string_view text) {
    size_t number = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = pos;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
        ++number;
        const std::u16string_view line = CommandLineText(text.substr(pos, end - pos));
        if (!line.empty() && !IsCommentLine(line)) lines_.push_back({number, std::u16string(line)});
        pos = end;
        if (pos < text.size()) {
            // CR LF and LF CR end one line; CR CR or LF LF end two.
            const char16_t first = text[pos++];
            if (pos < text.size() && (text[pos] == u'\r' || text[pos] == u'\n') && text[pos] != first) ++pos;
        }
    }
}

MacroKeyword ClassifyLine(std::u16string_view line) {
    for (const KeywordEntry& k : kKeywords)
        if (line.size() >= k.text.size() && EqualsNoCaseAscii(line.substr(0, k.text.size()), k.text)) return k.keyword;
    return MacroKeyword::None;
}

std::u16string_view KeywordText(MacroKeyword keyword) {
    for (const KeywordEntry& k : kKeywords)
        if (k.keyword == keyword) return k.text;
    return {};
}

std::u16string_view NextToken(std::u16string_view line, size_t& pos) {
    while (pos < line.size() && IsScriptSpace(line[pos])) ++pos;
    const size_t start = pos;
    while (pos < line.size() && !IsScriptSpace(line[pos])) ++pos;
    return CutToField(line.substr(start, pos - start));
}

std::u16string_view AfterKeyword(std::u16string_view line) {
    size_t pos = 0;
    NextToken(line, pos);
    return TrimScriptSpace(line.substr(pos));
}

}  // namespace kx
