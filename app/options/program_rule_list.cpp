#include "app/options/program_rule_list.h"

#include <algorithm>

#include "base/text.h"
#include "base/unicode_case.h"

namespace kx {
namespace {

bool SameProgram(const ProgramRuleEntry& e, std::u16string_view program) { return EqualsNoCase(e.program, program); }

}  // namespace

size_t PutRule(std::vector<ProgramRuleEntry>& rules, std::u16string_view replacing, ProgramRuleEntry entry) {
    std::erase_if(rules, [&](const ProgramRuleEntry& e) {
        return (!replacing.empty() && SameProgram(e, replacing)) || SameProgram(e, entry.program);
    });
    const auto at = std::lower_bound(rules.begin(), rules.end(), entry, [](const auto& a, const auto& b) {
        return CompareNoCase(a.program, b.program) < 0;
    });
    const auto put = rules.insert(at, std::move(entry));
    return size_t(put - rules.begin());
}

void WriteRuleChanges(ProgramRuleStore& store, const std::vector<ProgramRuleEntry>& before,
                      const std::vector<ProgramRuleEntry>& after) {
    // A program whose name changed only in letter case is kept: setting it
    // below replaces the value under the old spelling.
    for (const ProgramRuleEntry& old : before) {
        const bool kept = std::any_of(after.begin(), after.end(), [&](const auto& e) { return SameProgram(e, old.program); });
        if (!kept) store.Remove(old.program);
    }
    for (const ProgramRuleEntry& e : after) {
        const bool unchanged = std::any_of(before.begin(), before.end(), [&](const ProgramRuleEntry& old) {
            return old.program == e.program && old.rule == e.rule;
        });
        if (!unchanged) store.Set(e.program, e.rule);
    }
}

std::u16string RuleLabel(const ProgramRule& rule) {
    // The registry's text, but a delay said in words: "Type 20" reads
    // "Type, 20 ms per character".
    if (rule.kind != ProgramRuleKind::Type || rule.typeDelayMs == 0) return ProgramRuleText(rule);
    return u"Type, " + U16(std::to_string(rule.typeDelayMs)) + u" ms per character";
}

}  // namespace kx
