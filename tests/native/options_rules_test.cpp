// The options' rules that need no window: the on/off hotkeys kept apart and
// the memory slider's label.
#include <gtest/gtest.h>

#include "core/hotkey_choice.h"
#include "core/memory_label.h"

namespace kx {
namespace {

TEST(HotkeyChoice, ClashIgnoresCaseAndFindsTheListPosition) {
    EXPECT_TRUE(HotkeysClash(u"CTRL+ALT+ENTER", u"ctrl+alt+enter"));
    EXPECT_FALSE(HotkeysClash(u"CTRL+ALT+SPACE", u"CTRL+ALT+ENTER"));
    EXPECT_FALSE(HotkeysClash(u"CTRL+ALT+ENTER", u"SHIFT+ALT+ENTER"));
    EXPECT_EQ(HotkeyChoiceIndex(u"ctrl+alt+space"), 0);
    EXPECT_EQ(HotkeyChoiceIndex(u"SHIFT+ALT+ENTER"), 2);
    EXPECT_EQ(HotkeyChoiceIndex(u"CTRL+ALT+M"), -1);
    EXPECT_EQ(HotkeyChoiceIndex(u""), -1);
}

TEST(MemoryLabel, EachUnitFromItsThreshold) {
    EXPECT_EQ(MemoryAmountText(0), u"0 Bytes");
    EXPECT_EQ(MemoryAmountText(1023.9), u"1023 Bytes");
    EXPECT_EQ(MemoryAmountText(1024), u"1.00 KB");
    EXPECT_EQ(MemoryAmountText(1048575), u"1024.00 KB");
    EXPECT_EQ(MemoryAmountText(1048576), u"1.00 MB");
    EXPECT_EQ(MemoryAmountText(1073741823), u"1024.00 MB");
    EXPECT_EQ(MemoryAmountText(1073741824), u"1.00 GB");
    EXPECT_EQ(MemoryAmountText(3.5 * 1073741824), u"3.50 GB");
}

TEST(MemoryLabel, PositionTimesHundredthsOfTheAddressSpace) {
    // A 32-bit process: 2 GiB of address space.
    EXPECT_EQ(MemoryLabelText(15, 0x80000000u), u"15% .... 307.20 MB");
    EXPECT_EQ(MemoryLabelText(1, 0x80000000u), u"1% .... 20.48 MB");
    EXPECT_EQ(MemoryLabelText(30, 0xFFFE0000u), u"30% .... 1.20 GB");
    EXPECT_EQ(MemoryLabelText(30, 2000), u"30% .... 600 Bytes");
    EXPECT_EQ(MemoryLabelText(10, 20480), u"10% .... 2.00 KB");
}

}  // namespace
}  // namespace kx
