// The Programs page's rules as the user edits them, and what OK writes of
// them: only what the user changed, so that a rule an administrator wrote
// for another program while the page was open stays as written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/program_rules.h"

namespace kx {

// Puts `entry` into `rules` (kept sorted by program without regard to
// case), in the place of the rule named `replacing` (the edited rule's name;
// empty when adding) and of any other rule for the same program. Returns
// the entry's index.
size_t PutRule(std::vector<ProgramRuleEntry>& rules, std::u16string_view replacing, ProgramRuleEntry entry);

// Writes the difference between the rules the page read and the rules it
// shows: programs no longer listed are removed, new and changed rules set
// (a name whose letter case changed is written again).
void WriteRuleChanges(ProgramRuleStore& store, const std::vector<ProgramRuleEntry>& before,
                      const std::vector<ProgramRuleEntry>& after);

// The rule as the page's list shows it: "Off", "Type", "Type, 20 ms per
// character" or "Chat".
std::u16string RuleLabel(const ProgramRule& rule);

}  // namespace kx
