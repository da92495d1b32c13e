// Scripts as a whole: lines and comments, the 259-unit cut, pauses and
// program starts, and date placeholders in the user's date order.
#include <gtest/gtest.h>

#include <string>

#include "engine/macro/date_placeholders.h"
#include "engine/macro/macro_script.h"
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

}  // namespace
}  // namespace kx
