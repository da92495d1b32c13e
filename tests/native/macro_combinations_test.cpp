// The macro editor's key combinations: the list it offers, how held keys
// are written, and which combinations it accepts without asking. (That each
// offered combination starts its macro is checked with the matcher.)
#include "engine/macro/key_combinations.h"

#include <gtest/gtest.h>

#include <set>

namespace kx {
namespace {

TEST(MacroCombinations, OfferedOnceEachAndCheckedExactly) {
    const auto& list = MacroKeyCombinations();
    ASSERT_EQ(list.size(), 188u);
    EXPECT_EQ(list[0], u"CTRL+D");
    EXPECT_EQ(list[8], u"CTRL+SHIFT+A");
    EXPECT_EQ(list.back(), u"SHIFT+ALT+9");
    EXPECT_EQ(std::set<std::u16string>(list.begin(), list.end()).size(), list.size());
    EXPECT_EQ(ComposeCombination(true, true, true, u'm'), u"CTRL+SHIFT+ALT+M");
    EXPECT_EQ(ComposeCombination(false, true, false, 0), u"SHIFT+") << "only modifiers held so far";
    const std::pair<const char16_t*, CombinationCheck> rows[] = {
        {u"CTRL+D", CombinationCheck::Ok},          {u"SHIFT+ALT+9", CombinationCheck::Ok},
        {u"CTRL+A", CombinationCheck::NotOffered},  {u"CTRL+ALT+", CombinationCheck::NotOffered},
        {u"Q", CombinationCheck::NoModifier},       {u"ctrl+d", CombinationCheck::NoModifier},
        {u"", CombinationCheck::Empty},
    };
    for (const auto& [text, check] : rows) EXPECT_EQ(CheckCombination(text), check) << int(check);
}

}  // namespace
}  // namespace kx
