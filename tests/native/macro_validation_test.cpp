// The macro editor's check: the first line in error, with the balloon's
// title and text word for word, and the lines it lets through.
#include <gtest/gtest.h>

#include <string>

#include "base/text.h"
#include "engine/macro/script_validation.h"
#include "tests/native/macro_test_support.h"

namespace kx {
namespace {

// The balloon text for a script, or "" when it is accepted.
std::string Check(std::u16string_view script, MacroSystem* layout = nullptr) {
    const std::optional<ScriptError> e = ValidateScript(script, layout);
    if (!e) return "";
    EXPECT_EQ(e->title, u"Invalid Format");
    return U8(e->text);
}

const std::string kSee = "  See the help for details.";
std::string Line(const std::string& line, const std::string& why) { return "The line " + line + " is invalid." + why + kSee; }
const std::string kOneChar = "  Commands for click, press, and release must use single quotes and a single character between them.";
const std::string kDouble = "  It must use double quotes.";
const std::string kPause = "  A pause needs its length in milliseconds";

TEST(MacroValidation, EachRuleWithItsMessage) {
    const struct { std::u16string_view script; std::string text; } rows[] = {
        {u"type hello", Line("type hello", "  Please use the correct format.")},
        {u"kbrd_click 100 'ab'", Line("kbrd_click 100 'ab'", kOneChar)},
        // The first and last quote of any kind must hold one character.
        {u"kbrd_click 100 'a' \"x\"", Line("kbrd_click 100 'a' \"x\"", kOneChar)},
        {u"kbrd_input 'hello'", Line("kbrd_input 'hello'", kDouble)},
        {u"command notepad.exe", Line("command notepad.exe", kDouble)},
        {u"kbrd_press 100 \"a\"", Line("kbrd_press 100 \"a\"", "  It must use single quotes.")},
        // Unpaired quotes win over the missing kind of quote.
        {u"kbrd_input 'hello", "Quotes must be in pairs."},
        {u"kbrd_input \"abc", "Quotes must be in pairs."},
        {u"mouse_click \"left'\"", "Quotation mark mismatch."},
        {u"kbrd_release 100 '\"'x'", "Quotation mark mismatch."},
        // 30 units are shown whole; from 31 on, 26 units, "..." and the closing quote.
        {u"kbrd_input 'abcdefghijklmnopq'", Line("kbrd_input 'abcdefghijklmnopq'", kDouble)},
        {u"kbrd_input 'abcdefghijklmnopqr'", Line("kbrd_input 'abcdefghijklmn...'", kDouble)},
        // Accepted: every command form, comments, blank lines, mouse lines,
        // a bare hexadecimal pause with words after it, codes, apostrophes
        // and escaped quotes, a quoted quote or space.
        {u"// start\n\nkbrd_click 100 'c'\nKBRD_PRESS 001 'a' 500\nkbrd_release 001 'a'\nkbrd_input \"Dear\\n\\tSir\"\n"
         u"kbrd_input \"system date MM/DD/YY\"\ncommand \"notepad.exe\"\nmouse_click left\nmouse_wheel 'x'\n"
         u"pause 3E8 \"one second\"\nkbrd_click 100 20AC\nkbrd_press 011 41 250\nkbrd_input \"don't say \\\"no\\\"\"\n"
         u"command \"C:\\Users\\O'Neill\\run.exe\"\nkbrd_click 000 '''\nkbrd_click 000 '\"'\nkbrd_click 000 ' '", ""},
    };
    for (const auto& r : rows) EXPECT_EQ(Check(r.script), r.text) << U8(r.script);
    // A length that would play otherwise than it shows.
    for (const char16_t* line : {u"pause \"3E8\"", u"pause", u"pause 0", u"pause 3E8ms", u"pause FFFFFFFF", u"pause \"\""})
        EXPECT_NE(Check(line).find(kPause), std::string::npos) << U8(line);
    EXPECT_NE(Check(u"kbrd_press 011 41 250 'xy'"), "") << "junk after the hold time is still checked";
    EXPECT_EQ(ShownLine(u"kbrd_click 100 'abcdefghijklmnop' \"x\""), u"kbrd_click 100 'abcdefghij...\"");

    const auto e = ValidateScript(u"// greeting\r\n\r\nkbrd_input \"hi\"\r\nbeep\r\nkbrd_click 100 'ab'\r\n");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->lineNumber, 4u) << "the first bad line";
}

// A quoted character that no key of the layout types is refused where the
// layout is known; its code, or a character the layout has, passes.
TEST(MacroValidation, ACharacterTheLayoutCannotTypeIsRefused) {
    macrotest::FakeMacroSystem layout;  // letters, digits, space and the full stop
    EXPECT_EQ(Check(u"kbrd_input \"x\"\r\nkbrd_click 000 '\u00e9'", &layout),
              U8(u"The line kbrd_click 000 '\u00e9' is invalid.  No key of the current keyboard layout types this "
                 u"character.  Write its hexadecimal code instead (kbrd_click 000 E9 types \u00e9).") + kSee);
    EXPECT_EQ(Check(u"kbrd_click 000 E9\nkbrd_press 100 'a' 50\nkbrd_release 000 '.'", &layout), "");
    EXPECT_EQ(Check(u"kbrd_click 000 '\u00e9'"), "") << "without a layout the check is not made";
}

}  // namespace
}  // namespace kx
