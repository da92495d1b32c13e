// Scripts as a whole: lines and comments, the 259-unit cut, pauses and
// program starts, date placeholders in the user's date order, the command
// list of a job, and the copies of commands.
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
}

TEST(MacroScriptLines, LongLinesAreCutTo259BeforeTheyAreRead) {
    const std::u16string head = u"kbrd_input \"";  // 12 units
    const std::u16string fits = head + std::u16string(246, u'x') + u"\"";
    ASSERT_EQ(fits.size(), 259u);
    EXPECT_EQ(ParseKeys(fits).records.size(), 2u * 246);
    // One more and the closing quote is cut off: the line plays nothing.
    EXPECT_EQ(ParseKeys(head + std::u16string(247, u'x') + u"\"").subKind, keysub::kNone);
    // The cut comes before the trim: white space up front counts.
    EXPECT_EQ(ParseKeys(std::u16string(10, u' ') + fits).subKind, keysub::kNone);
    FakeMacroSystem system;
    EXPECT_EQ(ParseLine(std::u16string(300, u' ') + u"pause 5", system), nullptr);
}

TEST(MacroPauseAndCommand, LengthsAreHexadecimalAndCommandsQuoted) {
    EXPECT_EQ(ParseOther(u"pause 3E8").pauseMs, 1000u);
    EXPECT_EQ(ParseOther(u"PAUSE 1f4 then more").pauseMs, 500u);
    EXPECT_EQ(ParseOther(u"pausex 10").pauseMs, 16u) << "a prefix is enough";
    for (std::u16string_view line : {u"pause", u"pause 0", u"pause \"3E8\"", u"pause zz"}) {
        const OtherCommand c = ParseOther(line);
        EXPECT_EQ(c.subKind, othersub::kPause) << U8(line);
        EXPECT_EQ(c.pauseMs, 100u) << U8(line);
    }
    // However long, a pause ends.
    EXPECT_EQ(ParseOther(u"pause FFFFFFFFFFFF").pauseMs, 0xFFFFFFFEu);

    const OtherCommand run = ParseOther(u"Command   \"notepad.exe C:\\notes\\today.txt\"");
    EXPECT_EQ(run.subKind, othersub::kCommand);
    EXPECT_EQ(run.commandLine, u"notepad.exe C:\\notes\\today.txt");
    for (std::u16string_view line : {u"command notepad.exe", u"command \"notepad.exe", u"command 'notepad.exe'"}) {
        const OtherCommand c = ParseOther(line);
        EXPECT_EQ(c.subKind, othersub::kNone) << U8(line);
        EXPECT_TRUE(c.commandLine.empty()) << U8(line);
    }
}

TEST(MacroDates, PlaceholdersTakeTheRestOfTheLine) {
    FakeMacroSystem system;  // 2026-03-07 09:05:02
    EXPECT_EQ(ApplyDatePlaceholders(u"kbrd_input \"system date YYYY-MM-DD HH:MM:SS\"", system),
              u"kbrd_input \"2026-03-07 09:05:02\"");
    EXPECT_EQ(ApplyDatePlaceholders(u"kbrd_input \"system date YYYY-MM-DD HH:MM\" and so on", system),
              u"kbrd_input \"2026-03-07 09:05\"");
    EXPECT_EQ(ApplyDatePlaceholders(u"kbrd_input x\"system date YYYY-MM-DD\"y", system), u"kbrd_input x\"2026-03-07\"");
    EXPECT_EQ(ApplyDatePlaceholders(u"kbrd_input \"system date MM/DD/YY\"", system), u"kbrd_input \"03/07/26\"");
    system.order = ShortDateOrder::DayMonthYear;
    system.now.year = 2009;
    EXPECT_EQ(ApplyDatePlaceholders(u"kbrd_input \"system date MM/DD/YY\"", system), u"kbrd_input \"07/03/09\"");
    system.order = ShortDateOrder::YearMonthDay;
    EXPECT_EQ(ApplyDatePlaceholders(u"kbrd_input \"system date MM/DD/YY\"", system), u"kbrd_input \"09/03/07\"");
    // Only the exact text, quotes included.
    EXPECT_EQ(ApplyDatePlaceholders(u"kbrd_input \"System date YYYY-MM-DD\"", system),
              u"kbrd_input \"System date YYYY-MM-DD\"");
    EXPECT_EQ(ApplyDatePlaceholders(u"kbrd_input system date YYYY-MM-DD", system),
              u"kbrd_input system date YYYY-MM-DD");
}

TEST(MacroDates, KeyboardLinesTypeTheDateOtherLinesKeepTheText) {
    FakeMacroSystem system;
    system.order = ShortDateOrder::DayMonthYear;
    EXPECT_EQ(ParseKeys(u"kbrd_input \"system date YYYY-MM-DD HH:MM:SS\" trailing", system).records,
              Typed(u"2026-03-07") + Tapped(0x20) + Typed(u"09:05:02"));
    EXPECT_EQ(ParseKeys(u"kbrd_input \"system date MM/DD/YY\"", system).records, Typed(u"07/03/26"));
    std::unique_ptr<MacroCommand> c = ParseLine(u"command \"system date YYYY-MM-DD\"", system);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(static_cast<OtherCommand&>(*c).commandLine, u"system date YYYY-MM-DD");
}

TEST(MacroJobList, EveryCommandLineIsAddedInOrderPastTheFirstHundred) {
    std::u16string script;
    for (int i = 1; i <= 150; ++i) script += u"pause " + U16(std::to_string(i)) + u"\r\n// note\r\n";
    script += u"kbrd_click 100 'q'\r\nnonsense\r\nkbrd_click 1 'q'";
    FakeMacroSystem system;
    MacroCommandList list;
    ParseScript(script, list, system);
    ASSERT_EQ(list.commands.size(), 152u);
    for (int i = 0; i < 150; ++i) {
        ASSERT_EQ(list.commands[i]->Kind(), commandkind::kOther);
        // Lengths are hexadecimal: "pause 10" is 16 ms.
        EXPECT_EQ(static_cast<OtherCommand&>(*list.commands[i]).pauseMs, std::stoul(std::to_string(i + 1), nullptr, 16));
    }
    EXPECT_EQ(static_cast<KeyCommand&>(*list.commands[150]).subKind, keysub::kClick);
    EXPECT_EQ(static_cast<KeyCommand&>(*list.commands[151]).subKind, keysub::kNone) << "a bad line still takes its place";
}

// Copies between commands of one class, and their comparison.
TEST(MacroCommands, CopiesStayWithinAClass) {
    FakeMacroSystem system;
    MacroCommandList list;
    ParseScript(u"kbrd_press 100 'a' 20\npause 3E8", list, system);
    ASSERT_EQ(list.commands.size(), 2u);
    KeyCommand copy;
    EXPECT_FALSE(copy.Equals(*list.commands[0]));
    EXPECT_TRUE(copy.CopyFrom(*list.commands[0]));
    EXPECT_TRUE(copy.Equals(*list.commands[0]));
    EXPECT_EQ(copy.holdMs, 20);
    EXPECT_FALSE(copy.CopyFrom(*list.commands[1])) << "a pause is no keyboard command";
    EXPECT_TRUE(copy.Equals(*list.commands[0])) << "a refused copy changes nothing";
    EXPECT_FALSE(list.commands[1]->Equals(copy));
    OtherCommand longer;
    longer.CopyFrom(*list.commands[1]);
    longer.pauseMs += 1;
    EXPECT_FALSE(longer.Equals(*list.commands[1]));
}

}  // namespace
}  // namespace kx
