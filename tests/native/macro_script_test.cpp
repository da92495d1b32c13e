// Macro scripts: lines and comments, the 259-unit cut, keyboard lines and the
// records they inject, pauses and program starts, date placeholders in the
// user's date order, and the editor's check of a script.
#include <gtest/gtest.h>

#include <string>

#include "engine/macro/date_placeholders.h"
#include "engine/macro/macro_script.h"
#include "engine/macro/script_validation.h"
#include "tests/native/macro_test_support.h"

namespace kx {
namespace {

using namespace macrotest;

std::vector<std::u16string> Texts(std::u16string_view script) {
    FakeMacroSystem system;
    MacroCommandList list;
    ParseScript(script, list, system);
    std::vector<std::u16string> out;
    for (const auto& c : list.commands) out.push_back(c->ToText());
    return out;
}

TEST(MacroScriptLines, EveryLineEndStartsACommandAndOnlyCommandLinesCount) {
    // CR, LF, CR LF and LF CR each end a line; blank lines, comments and
    // lines naming no command are left out; mouse lines stay as commands.
    EXPECT_EQ(Texts(u"pause 1\rpause 2\npause 3\r\npause 4\n\rpause 5\r\r  \t\n// pause 6\nwait 7\n"
                    u"mouse_move 10 10\n   pause 8   "),
              (std::vector<std::u16string>{u"pause 1 ms", u"pause 2 ms", u"pause 3 ms", u"pause 4 ms", u"pause 5 ms",
                                           u"", u"pause 8 ms"}));
    const MacroScript script(u"a\r\n\r\nb\n\rc\r\rd");
    std::vector<size_t> numbers;
    for (const ScriptLine& l : script.Lines()) numbers.push_back(l.number);
    EXPECT_EQ(numbers, (std::vector<size_t>{1, 3, 4, 6}));
    // A bad keyboard line past the first hundred still takes its place.
    std::u16string many;
    for (int i = 0; i < 120; ++i) many += u"pause 1\r\n";
    EXPECT_EQ(Texts(many + u"kbrd_click 1 'q'\r\npause 2").size(), 122u);

    // Lines are cut to 259 units before they are read, white space up
    // front included: one more and the closing quote is gone.
    const std::u16string fits = u"kbrd_input \"" + std::u16string(246, u'x') + u"\"";
    ASSERT_EQ(fits.size(), 259u);
    EXPECT_EQ(ParseKeys(fits).records.size(), 2u * 246);
    EXPECT_EQ(ParseKeys(u"kbrd_input \"" + std::u16string(247, u'x') + u"\"").subKind, keysub::kNone);
    EXPECT_EQ(ParseKeys(std::u16string(10, u' ') + fits).subKind, keysub::kNone);
}

TEST(MacroPauseAndCommand, LengthsAreHexadecimalAndCommandsQuoted) {
    const struct { std::u16string_view line; int subKind; uint32_t pauseMs; std::u16string_view command; } rows[] = {
        {u"pause 3E8", othersub::kPause, 1000, u""},
        {u"PAUSE 1f4 then more", othersub::kPause, 500, u""},
        {u"pausex 10", othersub::kPause, 16, u""},  // a prefix is enough
        // Missing, zero or unreadable: the default.
        {u"pause", othersub::kPause, 100, u""},
        {u"pause 0", othersub::kPause, 100, u""},
        {u"pause \"3E8\"", othersub::kPause, 100, u""},
        {u"pause zz", othersub::kPause, 100, u""},
        // However long, a pause ends.
        {u"pause FFFFFFFFFFFF", othersub::kPause, 0xFFFFFFFEu, u""},
        {u"Command   \"notepad.exe C:\\notes\\today.txt\"", othersub::kCommand, 0, u"notepad.exe C:\\notes\\today.txt"},
        {u"command notepad.exe", othersub::kNone, 0, u""},
        {u"command \"notepad.exe", othersub::kNone, 0, u""},
        {u"command 'notepad.exe'", othersub::kNone, 0, u""},
        // A date placeholder is for typed text only.
        {u"command \"system date YYYY-MM-DD\"", othersub::kCommand, 0, u"system date YYYY-MM-DD"},
    };
    for (const auto& r : rows) {
        const OtherCommand c = ParseOther(r.line);
        EXPECT_EQ(c.subKind, r.subKind) << U8(r.line);
        if (r.subKind == othersub::kPause) { EXPECT_EQ(c.pauseMs, r.pauseMs) << U8(r.line); }
        EXPECT_EQ(c.commandLine, r.command) << U8(r.line);
    }
}

TEST(MacroDates, PlaceholdersTakeTheRestOfTheLineInTheUsersOrder) {
    const auto M = ShortDateOrder::MonthDayYear, D = ShortDateOrder::DayMonthYear, Y = ShortDateOrder::YearMonthDay;
    const struct { ShortDateOrder order; std::u16string_view line, want; } rows[] = {
        {M, u"kbrd_input \"system date YYYY-MM-DD HH:MM:SS\"", u"kbrd_input \"2026-03-07 09:05:02\""},
        {M, u"kbrd_input \"system date YYYY-MM-DD HH:MM\" and so on", u"kbrd_input \"2026-03-07 09:05\""},
        {M, u"kbrd_input x\"system date YYYY-MM-DD\"y", u"kbrd_input x\"2026-03-07\""},
        {M, u"kbrd_input \"system date MM/DD/YY\"", u"kbrd_input \"03/07/26\""},
        {D, u"kbrd_input \"system date MM/DD/YY\"", u"kbrd_input \"07/03/26\""},
        {Y, u"kbrd_input \"system date MM/DD/YY\"", u"kbrd_input \"26/03/07\""},
        // Only the exact text, quotes included.
        {M, u"kbrd_input \"System date YYYY-MM-DD\"", u"kbrd_input \"System date YYYY-MM-DD\""},
        {M, u"kbrd_input system date YYYY-MM-DD", u"kbrd_input system date YYYY-MM-DD"},
    };
    FakeMacroSystem system;  // 2026-03-07 09:05:02
    for (const auto& r : rows) {
        system.order = r.order;
        EXPECT_EQ(ApplyDatePlaceholders(r.line, system), r.want) << U8(r.line);
    }
    // A keyboard line types the date it was given.
    system.order = D;
    EXPECT_EQ(ParseKeys(u"kbrd_input \"system date YYYY-MM-DD HH:MM:SS\" trailing", system).records,
              Typed(u"2026-03-07") + Tapped(0x20) + Typed(u"09:05:02"));
}


constexpr uint16_t kCtrl = 0x11, kAlt = 0x12, kShift = 0x10;

TEST(MacroKeyboard, EachLineGivesItsRecordsAndHoldTime) {
    using namespace keysub;
    struct Case {
        std::u16string_view line;
        int subKind;
        Records records;
        int32_t holdMs = -1;
    };
    const Records ctrlC = {VkDown(kCtrl), UniDown(u'C'), VkUp(kCtrl), UniUp(u'C')};
    const Case cases[] = {
        // Keywords ignore case; a quoted letter goes as the key that types it,
        // its capital; modifiers are pressed, then the key, then released in
        // the same order.
        {u"KBRD_CLICK 100 'c'", kClick, ctrlC},
        // All three modifiers go CTRL, ALT, SHIFT whatever; a code is the character itself.
        {u"kbrd_click 111 20ac", kClick,
         {VkDown(kCtrl), VkDown(kAlt), VkDown(kShift), UniDown(u'\u20AC'), VkUp(kCtrl), VkUp(kAlt), VkUp(kShift),
          UniUp(u'\u20AC')}},
        // Only three mask positions count; the code is read up to the first other character.
        {u"kbrd_click 0109 41zz", kClick, {VkDown(kAlt), UniDown(u'A'), VkUp(kAlt), UniUp(u'A')}},
        // A press releases at once only with a hold time; 0 is none.
        {u"kbrd_press 001 'a' 500", kPress, {VkDown(kShift), UniDown(u'A'), VkUp(kShift), UniUp(u'A')}, 500},
        {u"kbrd_press 001 'a'", kPress, {VkDown(kShift), UniDown(u'A')}},
        {u"kbrd_press 001 'a' 0", kPress, {VkDown(kShift), UniDown(u'A')}},
        {u"kbrd_press 001 'a'   250ms ", kPress, {VkDown(kShift), UniDown(u'A'), VkUp(kShift), UniUp(u'A')}, 250},
        // Kept, though only a press waits it out.
        {u"kbrd_release 110 '7' 300", kRelease, {VkUp(kCtrl), VkUp(kAlt), UniUp(u'7')}, 300},
        // The full stop's key is VK_OEM_PERIOD (0xBE), sent as that character.
        {u"kbrd_click 000 '.'", kClick, {UniDown(0xBE), UniUp(0xBE)}},
        // A capital is typed with SHIFT: only the low byte is the key.
        {u"kbrd_click 000 'Q'", kClick, {UniDown(u'Q'), UniUp(u'Q')}},
        // A quoted space is one key, not two tokens.
        {u"kbrd_press 000 ' ' 40", kPress, {UniDown(u' '), UniUp(u' ')}, 40},
        // No key of the layout types it: typed by its code rather than dropped.
        {u"kbrd_click 100 '\u00e9'", kClick, {VkDown(kCtrl), UniDown(u'\u00e9'), VkUp(kCtrl), UniUp(u'\u00e9')}},

        // Malformed lines stay commands that play nothing.
        {u"kbrd_click 10 'a'", kNone, {}},     // mask too short
        {u"kbrd_click 102 'a'", kNone, {}},    // mask of another digit
        {u"kbrd_click 'a'", kNone, {}},        // no mask
        {u"kbrd_click 100", kNone, {}},        // no key
        {u"kbrd_click 100 'ab'", kNone, {}},   // two characters between the quotes
        {u"kbrd_click 100 'a", kNone, {}},     // no closing quote
        {u"kbrd_click 100 \"a\"", kNone, {}},  // double quotes
        {u"kbrd_click 100 0", kNone, {}},      // code 0, and not quoted either
        {u"kbrd_click 100 1F600", kNone, {}},  // beyond one UTF-16 unit
        {u"kbrd_press 100 xyz 500", kNone, {}},
        {u"kbrd_input hello", kNone, {}},      // typed text without quotes
        {u"kbrd_input \"hello", kNone, {}},
        {u"kbrd_input \"", kNone, {}},         // one quote is not a pair

        // Typed text: letters as characters; space, Enter, Tab and Backspace as keys.
        {u"kbrd_input \"Dear\\n\\tSir\\<\"", kInput,
         Typed(u"Dear") + Tapped(0x0D) + Tapped(0x09) + Typed(u"Sir") + Tapped(0x08)},
        {u"kbrd_input \"a b\"", kInput, Typed(u"a") + Tapped(0x20) + Typed(u"b")},
        // \n\r and \r\n are one line end; two of the same are two.
        {u"kbrd_input \"\\n\\r\\r\\n\"", kInput, Tapped(0x0D) + Tapped(0x0D)},
        {u"kbrd_input \"\\n\\nx\\r\\r\"", kInput, Tapped(0x0D) + Tapped(0x0D) + Typed(u"x") + Tapped(0x0D) + Tapped(0x0D)},
        // Escaped quote and backslash are typed; a bare quote or TAB in the text is not.
        {u"kbrd_input \"\\\"x\\\\\"", kInput, Typed(u"\"x\\")},
        {u"kbrd_input \"a\"b\tc\"", kInput, Typed(u"abc")},
        {u"Kbrd_Input \"\"", kInput, {}},
        // Two-digit function keys win over F1; a name is a prefix of what follows it.
        {u"kbrd_input \"\\F12\"", kInput, Tapped(0x7B)},
        {u"kbrd_input \"\\F20\\F9\"", kInput, Tapped(0x83) + Tapped(0x78)},
        {u"kbrd_input \"\\F1x\"", kInput, Tapped(0x70) + Typed(u"x")},
        {u"kbrd_input \"\\DELETE\"", kInput, Tapped(0x2E) + Typed(u"ETE")},
        {u"kbrd_input \"\\UP\\PGDWN\\ESC\\TAB\\ENTER\\PRNSCR\\CAPS\"", kInput,
         Tapped(0x26) + Tapped(0x22) + Tapped(0x1B) + Tapped(0x09) + Tapped(0x0D) + Tapped(0x2C) + Tapped(0x14)},
        // Anything else after a backslash ends the text; names are upper case only.
        {u"kbrd_input \"\\Q ok\"", kInput, {}},
        {u"kbrd_input \"ab\\esc cd\"", kInput, Typed(u"ab")},
        {u"kbrd_input \"ab\\\"", kInput, Typed(u"ab")},
    };
    for (const Case& c : cases) {
        const KeyCommand k = ParseKeys(c.line);
        EXPECT_EQ(k.subKind, c.subKind) << U8(c.line);
        EXPECT_EQ(k.records, c.records) << U8(c.line);
        EXPECT_EQ(k.holdMs, c.holdMs) << U8(c.line);
    }
}


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
    FakeMacroSystem layout;  // letters, digits, space and the full stop
    EXPECT_EQ(Check(u"kbrd_input \"x\"\r\nkbrd_click 000 '\u00e9'", &layout),
              U8(u"The line kbrd_click 000 '\u00e9' is invalid.  No key of the current keyboard layout types this "
                 u"character.  Write its hexadecimal code instead (kbrd_click 000 E9 types \u00e9).") + kSee);
    EXPECT_EQ(Check(u"kbrd_click 000 E9\nkbrd_press 100 'a' 50\nkbrd_release 000 '.'", &layout), "");
    EXPECT_EQ(Check(u"kbrd_click 000 '\u00e9'"), "") << "without a layout the check is not made";
}

}  // namespace
}  // namespace kx
