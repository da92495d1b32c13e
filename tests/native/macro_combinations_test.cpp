// The macro editor's key combinations: the list it offers, how held keys
// are written, and which combinations it accepts without asking.
#include "engine/macro/key_combinations.h"

#include <gtest/gtest.h>

#include <set>

namespace kx {
namespace {

TEST(MacroCombinations, TheListOffersEachCombinationOnceInItsOrder) {
    const auto& list = MacroKeyCombinations();
    ASSERT_EQ(list.size(), 188u);
    EXPECT_EQ(list[0], u"CTRL+D");
    EXPECT_EQ(list[7], u"CTRL+W");
    EXPECT_EQ(list[8], u"CTRL+SHIFT+A");
    EXPECT_EQ(list[8 + 25], u"CTRL+SHIFT+Z");
    EXPECT_EQ(list[8 + 26], u"CTRL+SHIFT+0");
    EXPECT_EQ(list[8 + 36], u"CTRL+ALT+A");
    EXPECT_EQ(list[8 + 3 * 36], u"ALT+A");
    EXPECT_EQ(list.back(), u"SHIFT+ALT+9");
    EXPECT_EQ(std::set<std::u16string>(list.begin(), list.end()).size(), list.size());
    for (const auto& c : list) EXPECT_LE(c.size(), 20u);
}

TEST(MacroCombinations, HeldKeysAreWrittenCtrlShiftAltThenTheKey) {
    EXPECT_EQ(ComposeCombination(true, false, true, u'm'), u"CTRL+ALT+M");
    EXPECT_EQ(ComposeCombination(true, true, true, u'5'), u"CTRL+SHIFT+ALT+5");
    EXPECT_EQ(ComposeCombination(false, true, false, 0), u"SHIFT+") << "only modifiers held so far";
    EXPECT_EQ(ComposeCombination(false, false, false, u'q'), u"Q");
}

TEST(MacroCombinations, OnlyListedCombinationsPassWithoutAQuestion) {
    EXPECT_EQ(CheckCombination(u"CTRL+D"), CombinationCheck::Ok);
    EXPECT_EQ(CheckCombination(u"SHIFT+ALT+9"), CombinationCheck::Ok);
    EXPECT_EQ(CheckCombination(u"CTRL+A"), CombinationCheck::NotOffered);
    EXPECT_EQ(CheckCombination(u"CTRL+ALT+"), CombinationCheck::NotOffered);
    EXPECT_EQ(CheckCombination(u"Q"), CombinationCheck::NoModifier);
    EXPECT_EQ(CheckCombination(u"ctrl+d"), CombinationCheck::NoModifier) << "compared exactly";
    EXPECT_EQ(CheckCombination(u""), CombinationCheck::Empty);
}

}  // namespace
}  // namespace kx
