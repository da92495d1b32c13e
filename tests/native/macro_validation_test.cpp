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
std::string Check(std::u16string_view script) {
    const std::optional<ScriptError> e = ValidateScript(script);
    if (!e) return "";
    EXPECT_EQ(e->title, u"Invalid Format");
    return U8(e->text);
}

TEST(MacroValidation, EachRuleWithItsMessage) {
    EXPECT_EQ(Check(u"type hello"),
              "The line type hello is invalid.  Please use the correct format.  See the help for details.");
    EXPECT_EQ(Check(u"kbrd_click 100 'ab'"),
              "The line kbrd_click 100 'ab' is invalid.  Commands for click, press, and release must use single "
              "quotes and a single character between them.  See the help for details.");
    EXPECT_EQ(Check(u"kbrd_input 'hello'"),
              "The line kbrd_input 'hello' is invalid.  It must use double quotes.  See the help for details.");
    EXPECT_EQ(Check(u"command notepad.exe"),
              "The line command notepad.exe is invalid.  It must use double quotes.  See the help for details.");
    EXPECT_EQ(Check(u"kbrd_press 100 \"a\""),
              "The line kbrd_press 100 \"a\" is invalid.  It must use single quotes.  See the help for details.");
    EXPECT_EQ(Check(u"kbrd_click 100 'a"), "Quotes must be in pairs.");
    EXPECT_EQ(Check(u"kbrd_input \"abc"), "Quotes must be in pairs.");
    EXPECT_EQ(Check(u"mouse_click \"left'\""), "Quotation mark mismatch.");
    EXPECT_EQ(Check(u"kbrd_release 100 '\"'x'"), "Quotation mark mismatch.");
}

TEST(MacroValidation, QuotesAreCheckedBeforeTheirKindAndTheFirstBadLineIsReported) {
    // Unpaired quotes win over the missing kind of quote.
    EXPECT_EQ(Check(u"kbrd_input 'hello"), "Quotes must be in pairs.");
    // The first and last quote of any kind must hold one character.
    EXPECT_EQ(Check(u"mouse_move 'a' 'b'").substr(0, 30), "The line mouse_move 'a' 'b' is");
    EXPECT_EQ(Check(u"kbrd_click 100 'a' \"x\""),
              "The line kbrd_click 100 'a' \"x\" is invalid.  Commands for click, press, and release must use single "
              "quotes and a single character between them.  See the help for details.");

    const std::optional<ScriptError> e =
        ValidateScript(u"// greeting\r\n\r\nkbrd_input \"hi\"\r\nbeep\r\nkbrd_click 100 'ab'\r\n");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->lineNumber, 4u);
    EXPECT_EQ(U8(e->text).substr(0, 14), "The line beep ");
}

// A quoted character that no key of the layout types is refused where the
// layout is known; its code, or a character the layout has, passes.
TEST(MacroValidation, ACharacterTheLayoutCannotTypeIsRefused) {
    macrotest::FakeMacroSystem layout;  // letters, digits, space and the full stop
    const std::optional<ScriptError> e = ValidateScript(u"kbrd_input \"x\"\r\nkbrd_click 000 '\u00e9'", &layout);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->lineNumber, 2u);
    EXPECT_EQ(e->title, u"Invalid Format");
    EXPECT_EQ(U8(e->text), U8(u"The line kbrd_click 000 '\u00e9' is invalid.  No key of the current keyboard layout "
                              u"types this character.  Write its hexadecimal code instead (kbrd_click 000 E9 types "
                              u"\u00e9).  See the help for details."));
    for (std::u16string_view ok : {u"kbrd_click 000 E9", u"kbrd_press 100 'a' 50", u"kbrd_release 000 '.'"})
        EXPECT_FALSE(ValidateScript(ok, &layout)) << U8(ok);
    EXPECT_FALSE(ValidateScript(u"kbrd_click 000 '\u00e9'")) << "without a layout the check is not made";
}

TEST(MacroValidation, LongLinesAreShortenedWithTheirClosingQuote) {
    // 30 units are shown whole; from 31 on, 26 units, "..." and the closing quote.
    EXPECT_EQ(Check(u"kbrd_input 'abcdefghijklmnopq'"),
              "The line kbrd_input 'abcdefghijklmnopq' is invalid.  It must use double quotes.  See the help for details.");
    EXPECT_EQ(Check(u"kbrd_input 'abcdefghijklmnopqr'"),
              "The line kbrd_input 'abcdefghijklmn...' is invalid.  It must use double quotes.  See the help for details.");
    EXPECT_EQ(Check(u"mouse_move \"abcdefghijklmnopqrstuvwxyz\" 'x'").substr(0, 40), "The line mouse_move \"abcdefghijklmn...' ");
    EXPECT_EQ(ShownLine(u"kbrd_click 100 'abcdefghijklmnop' \"x\""), u"kbrd_click 100 'abcdefghij...\"");
}

TEST(MacroValidation, LinesThatPlayAsWrittenAreAccepted) {
    // Every command form, comments and blank lines; mouse lines pass.
    EXPECT_EQ(Check(u"// start\n\nkbrd_click 100 'c'\nKBRD_PRESS 001 'a' 500\nkbrd_release 001 'a'\n"
                    u"kbrd_input \"Dear\\n\\tSir\"\nkbrd_input \"system date MM/DD/YY\"\n"
                    u"command \"notepad.exe\"\nmouse_click left\nmouse_wheel 'x'\n"),
              "");
    // A bare hexadecimal pause length needs no quotes, and words in quotes may follow it. A
    // length that would play otherwise than it shows is refused: quoted (plays 100 ms), missing
    // or 0 (100 ms), not a bare number, or past the longest pause.
    EXPECT_EQ(Check(u"pause 3E8"), "");
    EXPECT_EQ(Check(u"pause 3E8 \"one second\""), "");
    for (const char16_t* line : {u"pause \"3E8\"", u"pause", u"pause 0", u"pause 3E8ms", u"pause FFFFFFFF", u"pause \"\""})
        EXPECT_NE(Check(line).find("is invalid.  A pause needs its length in milliseconds"), std::string::npos) << U8(line);
    // A key given as its character code plays, quotes or not.
    EXPECT_EQ(Check(u"kbrd_click 100 20AC"), "");
    EXPECT_EQ(Check(u"kbrd_press 011 41 250"), "");
    EXPECT_NE(Check(u"kbrd_press 011 41 250 'xy'"), "") << "junk after the hold time is still checked";
    // Apostrophes and escaped quotes inside typed text or a command line.
    EXPECT_EQ(Check(u"kbrd_input \"don't say \\\"no\\\"\""), "");
    EXPECT_EQ(Check(u"command \"C:\\Users\\O'Neill\\run.exe\""), "");
    // A quoted quote or space is one key.
    EXPECT_EQ(Check(u"kbrd_click 000 '''\nkbrd_click 000 '\"'\nkbrd_click 000 ' '"), "");
}

}  // namespace
}  // namespace kx
