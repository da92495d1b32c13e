// Rules per program: where nothing is expanded ("Off"), where expansions are
// typed as characters instead of pasted ("Type", "Type N" with N ms between
// characters), and where line breaks must not send a message ("Chat").
//
// The rules live in the user's registry hive under the settings key, subkey
// "Programs": one string value per program, named by the program's file name
// ("mstsc.exe"), compared without regard to case. Administrators may write
// these values themselves, so the readers keep no copy they do not refresh.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace kx {

enum class ProgramRuleKind : uint8_t {
    None,  // no rule: expansions are pasted as everywhere
    Off,   // nothing expanded, learned, suggested or completed
    Type,  // typed as characters; the clipboard is not touched
    Chat,  // pasted line by line with SHIFT+Enter between the lines
};

struct ProgramRule {
    ProgramRuleKind kind = ProgramRuleKind::None;
    uint32_t typeDelayMs = 0;  // Type only: the pause after each character

    bool operator==(const ProgramRule&) const = default;
};

inline constexpr uint32_t kMaxTypeDelayMs = 100;
// The key below "Software\Tarvik Software\Kestrix" that holds the rules.
inline constexpr std::u16string_view kProgramRulesSection = u"Settings\\Programs";

// "Off", "Type", "Type N" (N from 0 to kMaxTypeDelayMs) and "Chat", without
// regard to case; anything else (a damaged value, a rule of a later
// version) is no rule.
ProgramRule ParseProgramRule(std::u16string_view data);
// The registry text of a rule ("Type" for Type without delay); empty for None.
std::u16string ProgramRuleText(const ProgramRule& rule);

// What the dialog refuses.
enum class RuleProblem : uint8_t {
    None,
    NotAFileName,     // empty, a path, a reserved character, or too long
    DelayOutOfRange,  // more than kMaxTypeDelayMs
    NoRule,           // kind None (removing is Remove's job)
};
// A bare file name that could name a running program: no folder, no drive,
// none of < > : " / \ | ? * or control characters, not "." or "..", no
// trailing dot or space, at most 255 characters.
bool IsProgramFileName(std::u16string_view name);
RuleProblem CheckProgramRule(std::u16string_view program, const ProgramRule& rule);
// The same for the dialog's text fields: `delayText` is the delay box's
// text (empty: no delay); the parsed rule goes to `*out` when it is valid.
RuleProblem CheckProgramRuleInput(std::u16string_view program, ProgramRuleKind kind, std::u16string_view delayText,
                                  ProgramRule* out);

struct ProgramRuleEntry {
    std::u16string program;  // as stored
    ProgramRule rule;
};

// A read-only snapshot of the rules, for lookups by file name without case.
class ProgramRuleTable {
public:
    ProgramRuleTable() = default;
    explicit ProgramRuleTable(std::vector<ProgramRuleEntry> entries);
    // No rule (kind None) when the program has none.
    ProgramRule Find(std::u16string_view program) const;
    // Sorted by program name without regard to case.
    const std::vector<ProgramRuleEntry>& Entries() const { return entries_; }

private:
    std::vector<ProgramRuleEntry> entries_;
};

// Reads and writes the rules through the registry seam. Every call goes to
// the registry; nothing is kept.
class ProgramRuleStore {
public:
    // Lines about values that are not rules go to `log` (the program's
    // diagnostic output when none is given).
    explicit ProgramRuleStore(Registry& registry, std::function<void(std::string_view)> log = {});

    // Every valid rule, sorted by program name without regard to case. A
    // value that is no rule (bad name, unknown data, not a string) is left
    // out with a line in the log.
    std::vector<ProgramRuleEntry> List() const;
    ProgramRuleTable Load() const { return ProgramRuleTable(List()); }
    ProgramRule Find(std::u16string_view program) const;

    // Writes the rule under `program`, replacing one stored under the same
    // name in another case. Refused (nothing written) with the problem.
    RuleProblem Set(std::u16string_view program, const ProgramRule& rule);
    // Removes every value naming `program`; true when there was one.
    bool Remove(std::u16string_view program);
    // The tray's "Off in This Program": an Off rule is removed, anything
    // else becomes Off. Returns the rule now in force.
    ProgramRule ToggleOff(std::u16string_view program);

    // "Software\Tarvik Software\Kestrix\Settings\Programs".
    static std::u16string KeyPath();
    // Counts the writes this process made through any store, so that a
    // reader can look at a number per key instead of at the registry.
    static uint64_t WriteCount() { return writes_.load(std::memory_order_relaxed); }

private:
    Registry& reg_;
    std::function<void(std::string_view)> log_;
    static std::atomic<uint64_t> writes_;
};

}  // namespace kx
