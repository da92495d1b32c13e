// Keyboard lines and the records they inject: the modifier mask, the two key
// forms, the hold time, and the escapes and key names of typed text.
#include <gtest/gtest.h>

#include "tests/native/macro_test_support.h"

namespace kx {
namespace {

using namespace macrotest;

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

}  // namespace
}  // namespace kx
