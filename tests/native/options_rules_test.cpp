// The options' rules that need no window: the memory slider's label and
// the Programs page's edits of the rules.
#include <gtest/gtest.h>

#include "app/options/program_rule_list.h"
#include "core/memory_label.h"
#include "platform/fake/memory_registry.h"

namespace kx {
namespace {

// The position times hundredths of the address space, in each unit from
// its threshold.
TEST(MemoryLabel, PositionTimesHundredthsOfTheAddressSpaceInEachUnit) {
    EXPECT_EQ(MemoryAmountText(0), u"0 Bytes");
    EXPECT_EQ(MemoryAmountText(1023.9), u"1023 Bytes");
    EXPECT_EQ(MemoryAmountText(1024), u"1.00 KB");
    EXPECT_EQ(MemoryAmountText(1048575), u"1024.00 KB");
    EXPECT_EQ(MemoryAmountText(1048576), u"1.00 MB");
    EXPECT_EQ(MemoryAmountText(1073741823), u"1024.00 MB");
    EXPECT_EQ(MemoryAmountText(1073741824), u"1.00 GB");
    EXPECT_EQ(MemoryAmountText(3.5 * 1073741824), u"3.50 GB");
    // A 32-bit process: 2 GiB of address space.
    EXPECT_EQ(MemoryLabelText(15, 0x80000000u), u"15% .... 307.20 MB");
    EXPECT_EQ(MemoryLabelText(1, 0x80000000u), u"1% .... 20.48 MB");
    EXPECT_EQ(MemoryLabelText(30, 0xFFFE0000u), u"30% .... 1.20 GB");
    EXPECT_EQ(MemoryLabelText(30, 2000), u"30% .... 600 Bytes");
    EXPECT_EQ(MemoryLabelText(10, 20480), u"10% .... 2.00 KB");
}

constexpr ProgramRule kOff{ProgramRuleKind::Off, 0};
constexpr ProgramRule kChat{ProgramRuleKind::Chat, 0};
constexpr ProgramRule Type(uint32_t ms) { return {ProgramRuleKind::Type, ms}; }

std::vector<std::pair<std::u16string, ProgramRule>> Listed(const std::vector<ProgramRuleEntry>& rules) {
    std::vector<std::pair<std::u16string, ProgramRule>> out;
    for (const ProgramRuleEntry& e : rules) out.emplace_back(e.program, e.rule);
    return out;
}

TEST(ProgramRuleEdits, AnEditReplacesItsRuleAndAnyOtherForTheSameProgramInOrder) {
    std::vector<ProgramRuleEntry> rules{{u"a.exe", kOff}, {u"c.exe", kChat}, {u"d.exe", kOff}};
    // a.exe edited into a rule for C.EXE, which had one: one rule is left.
    EXPECT_EQ(PutRule(rules, u"a.exe", {u"C.EXE", Type(5)}), 0u);
    EXPECT_EQ(PutRule(rules, u"", {u"b.exe", kOff}), 0u);
    EXPECT_EQ(PutRule(rules, u"", {u"e.exe", kChat}), 3u);
    using Rows = decltype(Listed(rules));
    EXPECT_EQ(Listed(rules), (Rows{{u"b.exe", kOff}, {u"C.EXE", Type(5)}, {u"d.exe", kOff}, {u"e.exe", kChat}}));
}

TEST(ProgramRuleEdits, OkWritesWhatTheUserChangedAndLeavesTheRest) {
    MemoryRegistry registry;
    ProgramRuleStore store(registry);
    store.Set(u"game.exe", kOff);
    store.Set(u"Notepad.exe", kOff);
    store.Set(u"mstsc.exe", Type(20));
    store.Set(u"word.exe", kOff);
    const std::vector<ProgramRuleEntry> before = store.List();
    std::vector<ProgramRuleEntry> after = before;
    std::erase_if(after, [](const ProgramRuleEntry& e) { return e.program == u"game.exe"; });
    PutRule(after, u"Notepad.exe", {u"notepad.exe", kOff});
    PutRule(after, u"mstsc.exe", {u"mstsc.exe", Type(50)});
    PutRule(after, u"", {u"teams.exe", kChat});
    // While the page was open an administrator changed a rule the user left
    // alone and added one.
    store.Set(u"word.exe", kChat);
    store.Set(u"slack.exe", kChat);
    WriteRuleChanges(store, before, after);
    using Rows = decltype(Listed(after));
    EXPECT_EQ(Listed(store.List()), (Rows{{u"mstsc.exe", Type(50)},
                                          {u"notepad.exe", kOff},
                                          {u"slack.exe", kChat},
                                          {u"teams.exe", kChat},
                                          {u"word.exe", kChat}}));
}

}  // namespace
}  // namespace kx
