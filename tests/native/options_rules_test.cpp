// The options' rules that need no window: the memory slider's label and
// the Programs page's edits of the rules.
#include <gtest/gtest.h>

#include "app/options/program_rule_list.h"
#include "core/memory_label.h"
#include "platform/fake/memory_registry.h"

namespace kx {
namespace {

// The position times hundredths of the address space, in the largest unit
// it comes to one of (a 32-bit process has 2 GiB).
TEST(MemoryLabel, PositionTimesHundredthsOfTheAddressSpaceInEachUnit) {
    EXPECT_EQ(MemoryLabelText(15, 0x80000000u), u"15% .... 307.20 MB");
    EXPECT_EQ(MemoryLabelText(30, 0xFFFE0000u), u"30% .... 1.20 GB");
    EXPECT_EQ(MemoryLabelText(30, 2000), u"30% .... 600 Bytes");
    EXPECT_EQ(MemoryLabelText(10, 20480), u"10% .... 2.00 KB");
    EXPECT_EQ(MemoryLabelText(1, 102399), u"1% .... 1023 Bytes");
    EXPECT_EQ(MemoryLabelText(1, 104857500), u"1% .... 1024.00 KB");
    EXPECT_EQ(MemoryLabelText(50, 2147483646), u"50% .... 1024.00 MB");
}

constexpr ProgramRule kOff{ProgramRuleKind::Off, 0}, kChat{ProgramRuleKind::Chat, 0};
constexpr ProgramRule Type(uint32_t ms) { return {ProgramRuleKind::Type, ms}; }
using Rows = std::vector<std::pair<std::u16string, ProgramRule>>;

Rows Listed(const std::vector<ProgramRuleEntry>& rules) {
    Rows out;
    for (const ProgramRuleEntry& e : rules) out.emplace_back(e.program, e.rule);
    return out;
}

// An edit replaces its rule and any other for the same program, keeping the
// list in order; OK writes what the user changed and leaves the rest, even
// what an administrator changed while the page was open.
TEST(ProgramRuleEdits, EditsKeepOneRuleAProgramAndOkWritesOnlyTheUsersChanges) {
    std::vector<ProgramRuleEntry> rules{{u"a.exe", kOff}, {u"c.exe", kChat}, {u"d.exe", kOff}};
    EXPECT_EQ(PutRule(rules, u"a.exe", {u"C.EXE", Type(5)}), 0u);
    EXPECT_EQ(PutRule(rules, u"", {u"b.exe", kOff}), 0u);
    EXPECT_EQ(PutRule(rules, u"", {u"e.exe", kChat}), 3u);
    EXPECT_EQ(Listed(rules), (Rows{{u"b.exe", kOff}, {u"C.EXE", Type(5)}, {u"d.exe", kOff}, {u"e.exe", kChat}}));

    MemoryRegistry registry;
    ProgramRuleStore store(registry);
    for (auto [program, rule] : Rows{{u"game.exe", kOff}, {u"Notepad.exe", kOff}, {u"mstsc.exe", Type(20)}, {u"word.exe", kOff}})
        store.Set(program, rule);
    const std::vector<ProgramRuleEntry> before = store.List();
    std::vector<ProgramRuleEntry> after = before;
    std::erase_if(after, [](const ProgramRuleEntry& e) { return e.program == u"game.exe"; });
    PutRule(after, u"Notepad.exe", {u"notepad.exe", kOff});
    PutRule(after, u"mstsc.exe", {u"mstsc.exe", Type(50)});
    PutRule(after, u"", {u"teams.exe", kChat});
    store.Set(u"word.exe", kChat);
    store.Set(u"slack.exe", kChat);
    WriteRuleChanges(store, before, after);
    EXPECT_EQ(Listed(store.List()), (Rows{{u"mstsc.exe", Type(50)}, {u"notepad.exe", kOff}, {u"slack.exe", kChat},
                                          {u"teams.exe", kChat}, {u"word.exe", kChat}}));
}

}  // namespace
}  // namespace kx
