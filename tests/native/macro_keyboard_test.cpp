// Keyboard lines and the records they inject: the modifier mask, the two key
// forms, the hold time, and the escapes and key names of typed text.
#include <gtest/gtest.h>

#include "tests/native/macro_test_support.h"

namespace kx {
namespace {

using namespace macrotest;

constexpr uint16_t kCtrl = 0x11, kAlt = 0x12, kShift = 0x10;

TEST(MacroKeyboard, ClickPressesModifiersAndKeyThenReleasesThemInTheSameOrder) {
    // Keywords ignore case; a quoted letter goes as the key that types it, its capital.
    KeyCommand c = ParseKeys(u"KBRD_CLICK 100 'c'");
    EXPECT_EQ(c.subKind, keysub::kClick);
    EXPECT_EQ(c.records, (Records{VkDown(kCtrl), UniDown(u'C'), VkUp(kCtrl), UniUp(u'C')}));
    EXPECT_EQ(c.holdMs, -1);

    // All three modifiers go CTRL, ALT, SHIFT whatever; a code is the character itself.
    c = ParseKeys(u"kbrd_click 111 20ac");
    EXPECT_EQ(c.records, (Records{VkDown(kCtrl), VkDown(kAlt), VkDown(kShift), UniDown(u'\u20AC'), VkUp(kCtrl),
                                  VkUp(kAlt), VkUp(kShift), UniUp(u'\u20AC')}));
    // Only three mask positions count; the code is read up to the first other character.
    EXPECT_EQ(ParseKeys(u"kbrd_click 0109 41zz").records, (Records{VkDown(kAlt), UniDown(u'A'), VkUp(kAlt), UniUp(u'A')}));
}

TEST(MacroKeyboard, PressReleasesAtOnceOnlyWithAHoldTime) {
    KeyCommand held = ParseKeys(u"kbrd_press 001 'a' 500");
    EXPECT_EQ(held.subKind, keysub::kPress);
    EXPECT_EQ(held.records, (Records{VkDown(kShift), UniDown(u'A'), VkUp(kShift), UniUp(u'A')}));
    EXPECT_EQ(held.holdMs, 500);

    KeyCommand plain = ParseKeys(u"kbrd_press 001 'a'");
    EXPECT_EQ(plain.records, (Records{VkDown(kShift), UniDown(u'A')}));
    EXPECT_EQ(plain.holdMs, -1);
    EXPECT_EQ(ParseKeys(u"kbrd_press 001 'a' 0").records, plain.records) << "0 is no hold";
    EXPECT_EQ(ParseKeys(u"kbrd_press 001 'a'   250ms ").holdMs, 250);

    KeyCommand release = ParseKeys(u"kbrd_release 110 '7' 300");
    EXPECT_EQ(release.subKind, keysub::kRelease);
    EXPECT_EQ(release.records, (Records{VkUp(kCtrl), VkUp(kAlt), UniUp(u'7')}));
    EXPECT_EQ(release.holdMs, 300) << "kept, though only a press waits it out";
}

TEST(MacroKeyboard, QuotedCharacterGoesAsTheLowByteOfItsKey) {
    // The full stop's key is VK_OEM_PERIOD (0xBE), sent as that character.
    EXPECT_EQ(ParseKeys(u"kbrd_click 000 '.'").records, (Records{UniDown(0xBE), UniUp(0xBE)}));
    // A capital is typed with SHIFT: only the low byte is the key.
    EXPECT_EQ(ParseKeys(u"kbrd_click 000 'Q'").records, (Records{UniDown(u'Q'), UniUp(u'Q')}));
    // A quoted space is one key, not two tokens.
    EXPECT_EQ(ParseKeys(u"kbrd_press 000 ' ' 40").records, (Records{UniDown(u' '), UniUp(u' ')}));
    EXPECT_EQ(ParseKeys(u"kbrd_press 000 ' ' 40").holdMs, 40);
    // No key of the layout types it: typed by its code rather than dropped.
    EXPECT_EQ(ParseKeys(u"kbrd_click 100 '\u00e9'").records,
              (Records{VkDown(kCtrl), UniDown(u'\u00e9'), VkUp(kCtrl), UniUp(u'\u00e9')}));
}

TEST(MacroKeyboard, MalformedLinesStayCommandsThatPlayNothing) {
    for (std::u16string_view line : {
             u"kbrd_click 10 'a'",         // mask too short
             u"kbrd_click 102 'a'",        // mask of another digit
             u"kbrd_click 'a'",            // no mask
             u"kbrd_click 100",            // no key
             u"kbrd_click 100 'ab'",       // two characters between the quotes
             u"kbrd_click 100 'a",         // no closing quote
             u"kbrd_click 100 \"a\"",      // double quotes
             u"kbrd_click 100 0",          // code 0, and not quoted either
             u"kbrd_click 100 1F600",      // beyond one UTF-16 unit
             u"kbrd_press 100 xyz 500",    // neither form
             u"kbrd_input hello",          // typed text without quotes
             u"kbrd_input \"hello",        // no closing quote
             u"kbrd_input \"",             // one quote is not a pair
         }) {
        const KeyCommand c = ParseKeys(line);
        EXPECT_EQ(c.subKind, keysub::kNone) << U8(line);
        EXPECT_TRUE(c.records.empty()) << U8(line);
        EXPECT_EQ(c.holdMs, -1) << U8(line);
    }
}

TEST(MacroTypedText, EscapesGiveEnterTabAndBackspace) {
    // Letters as characters; space, Enter, Tab and Backspace as keys.
    EXPECT_EQ(ParseKeys(u"kbrd_input \"Dear\\n\\tSir\\<\"").records,
              Typed(u"Dear") + Tapped(0x0D) + Tapped(0x09) + Typed(u"Sir") + Tapped(0x08));
    EXPECT_EQ(ParseKeys(u"kbrd_input \"a b\"").records, Typed(u"a") + Tapped(0x20) + Typed(u"b"));
    // \n\r and \r\n are one line end; two of the same are two.
    EXPECT_EQ(ParseKeys(u"kbrd_input \"\\n\\r\\r\\n\"").records, Tapped(0x0D) + Tapped(0x0D));
    EXPECT_EQ(ParseKeys(u"kbrd_input \"\\n\\nx\\r\\r\"").records,
              Tapped(0x0D) + Tapped(0x0D) + Typed(u"x") + Tapped(0x0D) + Tapped(0x0D));
    // Escaped quote and backslash are typed; a bare quote or TAB in the text is not.
    EXPECT_EQ(ParseKeys(u"kbrd_input \"\\\"x\\\\\"").records, Typed(u"\"x\\"));
    EXPECT_EQ(ParseKeys(u"kbrd_input \"a\"b\tc\"").records, Typed(u"abc"));
    const KeyCommand empty = ParseKeys(u"Kbrd_Input \"\"");
    EXPECT_EQ(empty.subKind, keysub::kInput);
    EXPECT_TRUE(empty.records.empty());
}

TEST(MacroTypedText, KeyNamesAndUnknownEscapes) {
    // Two-digit function keys win over F1.
    EXPECT_EQ(ParseKeys(u"kbrd_input \"\\F12\"").records, Tapped(0x7B));
    EXPECT_EQ(ParseKeys(u"kbrd_input \"\\F20\\F9\"").records, Tapped(0x83) + Tapped(0x78));
    EXPECT_EQ(ParseKeys(u"kbrd_input \"\\F1x\"").records, Tapped(0x70) + Typed(u"x"));
    // A name is a prefix of what follows it.
    EXPECT_EQ(ParseKeys(u"kbrd_input \"\\DELETE\"").records, Tapped(0x2E) + Typed(u"ETE"));
    EXPECT_EQ(ParseKeys(u"kbrd_input \"\\UP\\PGDWN\\ESC\\TAB\\ENTER\\PRNSCR\\CAPS\"").records,
              Tapped(0x26) + Tapped(0x22) + Tapped(0x1B) + Tapped(0x09) + Tapped(0x0D) + Tapped(0x2C) + Tapped(0x14));
    // Anything else after a backslash ends the text; names are upper case only.
    EXPECT_TRUE(ParseKeys(u"kbrd_input \"\\Q ok\"").records.empty());
    EXPECT_EQ(ParseKeys(u"kbrd_input \"ab\\esc cd\"").records, Typed(u"ab"));
    EXPECT_EQ(ParseKeys(u"kbrd_input \"ab\\\"").records, Typed(u"ab"));
}

}  // namespace
}  // namespace kx
