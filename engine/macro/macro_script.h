// A macro shortcut's text: one command a line. The lines are split here, cut
// to the 259 units a line keeps and trimmed; empty lines and "//" comments
// carry no command. Each command line starts with its keyword.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

struct ScriptLine {
    size_t number = 0;  // 1-based, counting every line of the text
    std::u16string text;
};

class MacroScript {
public:
    // Lines end at CR, LF, CR LF or LF CR.
    explicit MacroScript(std::u16string_view text);
    // The command lines in order.
    const std::vector<ScriptLine>& Lines() const { return lines_; }

private:
    std::vector<ScriptLine> lines_;
};

// The keywords in the order they are tried. A line matches a keyword when it
// begins with it, in any ASCII case, so "pausex" is a pause.
enum class MacroKeyword : int {
    None,
    MouseMove, MouseClick, MousePress, MouseRelease, MouseDblClick, MouseWheel,
    KbrdClick, KbrdPress, KbrdRelease, KbrdInput,
    Pause, Command,
};

MacroKeyword ClassifyLine(std::u16string_view line);
// The keyword as scripts spell it ("kbrd_click"); empty for None.
std::u16string_view KeywordText(MacroKeyword keyword);

inline bool IsMouseKeyword(MacroKeyword k) { return k >= MacroKeyword::MouseMove && k <= MacroKeyword::MouseWheel; }
inline bool IsKeyboardKeyword(MacroKeyword k) { return k >= MacroKeyword::KbrdClick && k <= MacroKeyword::KbrdInput; }
inline bool IsOtherKeyword(MacroKeyword k) { return k == MacroKeyword::Pause || k == MacroKeyword::Command; }

// White space in a script is every unit up to and including the space.
inline bool IsScriptSpace(char16_t c) { return c <= u' '; }
std::u16string_view TrimScriptSpace(std::u16string_view s);
// A "//" comment line, which carries no command.
inline bool IsCommentLine(std::u16string_view line) { return line.size() >= 2 && line[0] == u'/' && line[1] == u'/'; }
// A line as it is parsed: cut to 259 units, then trimmed.
std::u16string_view CommandLineText(std::u16string_view line);

// The token that starts at or after `pos` (white space skipped); `pos` moves
// past it. Empty at the end of the line.
std::u16string_view NextToken(std::u16string_view line, size_t& pos);
// What follows the keyword token, trimmed.
std::u16string_view AfterKeyword(std::u16string_view line);

}  // namespace kx
