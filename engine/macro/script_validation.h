// The macro editor's check of a script before it is saved: line by line,
// stopping at the first line in error, with the texts of the balloon tip
// shown at the script box.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kx {

inline constexpr std::u16string_view kScriptErrorTitle = u"Invalid Format";
inline constexpr std::u16string_view kUnknownLineText =
    u"The line %s is invalid.  Please use the correct format.  See the help for details.";
inline constexpr std::u16string_view kQuoteMismatchText = u"Quotation mark mismatch.";
inline constexpr std::u16string_view kUnpairedQuoteText = u"Quotes must be in pairs.";
inline constexpr std::u16string_view kNeedsDoubleQuotesText =
    u"The line %s is invalid.  It must use double quotes.  See the help for details.";
inline constexpr std::u16string_view kNeedsSingleQuotesText =
    u"The line %s is invalid.  It must use single quotes.  See the help for details.";
inline constexpr std::u16string_view kPauseLengthText =
    u"The line %s is invalid.  A pause needs its length in milliseconds as a hexadecimal number without "
    u"quotes, for example pause 3E8 for one second.  See the help for details.";
inline constexpr std::u16string_view kNoKeyText =
    u"The line %s is invalid.  No key of the current keyboard layout types this character.  Write its "
    u"hexadecimal code instead (kbrd_click 000 E9 types \u00E9).  See the help for details.";
inline constexpr std::u16string_view kOneCharacterText =
    u"The line %s is invalid.  Commands for click, press, and release must use single quotes and a "
    u"single character between them.  See the help for details.";

struct ScriptError {
    size_t lineNumber = 0;  // 1-based, counting every line of the text
    std::u16string title;   // the balloon's title
    std::u16string text;    // the balloon's text
};

class MacroSystem;

// Nothing when the script is accepted. With `layout`, a click, press or
// release of a quoted character that no key of that layout types is refused
// too: it would not play as the key it shows.
std::optional<ScriptError> ValidateScript(std::u16string_view script, MacroSystem* layout = nullptr);

// A line as the messages show it: whole up to 30 units, else its first 26,
// "..." and the line's closing quote (a double quote when it ends with one,
// a single quote otherwise).
std::u16string ShownLine(std::u16string_view line);

}  // namespace kx
