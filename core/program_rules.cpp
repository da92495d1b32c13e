#include "core/program_rules.h"

#include <algorithm>

#include "base/unicode_case.h"
#include "base/text.h"
#include "platform/diagnostic_log.h"
#include "settings/settings_store.h"

namespace kx {
namespace {

constexpr size_t kMaxFileNameChars = 255;
// A rule's text is a word and a number: anything longer is no rule.
constexpr uint32_t kMaxRuleBytes = 64;

std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == u' ' || s.back() == u'\t')) s.remove_suffix(1);
    return s;
}

bool StartsWithWord(std::u16string_view s, std::u16string_view word) {
    return s.size() >= word.size() && EqualsNoCase(s.substr(0, word.size()), word);
}

// Decimal digits only, at most three of them: "007" is 7, "1000" is too long.
bool ParseDelay(std::u16string_view s, uint32_t& out) {
    if (s.empty() || s.size() > 3) return false;
    uint32_t v = 0;
    for (char16_t c : s) {
        if (c < u'0' || c > u'9') return false;
        v = v * 10 + uint32_t(c - u'0');
    }
    out = v;
    return true;
}

}  // namespace

std::atomic<uint64_t> ProgramRuleStore::writes_{0};

ProgramRule ParseProgramRule(std::u16string_view data) {
    const std::u16string_view t = Trim(data);
    if (EqualsNoCase(t, u"Off")) return {ProgramRuleKind::Off, 0};
    if (EqualsNoCase(t, u"Chat")) return {ProgramRuleKind::Chat, 0};
    if (EqualsNoCase(t, u"Type")) return {ProgramRuleKind::Type, 0};
    if (StartsWithWord(t, u"Type ")) {
        uint32_t ms = 0;
        if (ParseDelay(Trim(t.substr(5)), ms) && ms <= kMaxTypeDelayMs) return {ProgramRuleKind::Type, ms};
    }
    return {};
}

std::u16string ProgramRuleText(const ProgramRule& rule) {
    switch (rule.kind) {
        case ProgramRuleKind::Off: return u"Off";
        case ProgramRuleKind::Chat: return u"Chat";
        case ProgramRuleKind::Type: {
            if (rule.typeDelayMs == 0) return u"Type";
            return u"Type " + U16(std::to_string(rule.typeDelayMs));
        }
        case ProgramRuleKind::None: break;
    }
    return {};
}

bool IsProgramFileName(std::u16string_view name) {
    if (name.empty() || name.size() > kMaxFileNameChars) return false;
    if (name == u"." || name == u"..") return false;
    if (name.back() == u'.' || name.back() == u' ') return false;
    for (char16_t c : name)
        if (c < 0x20 || std::u16string_view(u"<>:\"/\\|?*").find(c) != std::u16string_view::npos) return false;
    return true;
}

RuleProblem CheckProgramRule(std::u16string_view program, const ProgramRule& rule) {
    if (!IsProgramFileName(program)) return RuleProblem::NotAFileName;
    if (rule.kind == ProgramRuleKind::None) return RuleProblem::NoRule;
    if (rule.kind == ProgramRuleKind::Type && rule.typeDelayMs > kMaxTypeDelayMs) return RuleProblem::DelayOutOfRange;
    return RuleProblem::None;
}

RuleProblem CheckProgramRuleInput(std::u16string_view program, ProgramRuleKind kind, std::u16string_view delayText,
                                  ProgramRule* out) {
    ProgramRule rule{kind, 0};
    const std::u16string_view delay = Trim(delayText);
    if (kind == ProgramRuleKind::Type && !delay.empty()) {
        // "150" and "abc" alike: the box takes a number from 0 to 100.
        uint32_t ms = 0;
        if (!ParseDelay(delay, ms)) ms = kMaxTypeDelayMs + 1;
        rule.typeDelayMs = ms;
    }
    const RuleProblem problem = CheckProgramRule(program, rule);
    if (problem == RuleProblem::None && out) *out = rule;
    return problem;
}

ProgramRuleTable::ProgramRuleTable(std::vector<ProgramRuleEntry> entries) : entries_(std::move(entries)) {
    std::stable_sort(entries_.begin(), entries_.end(), [](const ProgramRuleEntry& a, const ProgramRuleEntry& b) {
        return CompareNoCase(a.program, b.program) < 0;
    });
}

ProgramRule ProgramRuleTable::Find(std::u16string_view program) const {
    auto it = std::lower_bound(entries_.begin(), entries_.end(), program,
                               [](const ProgramRuleEntry& e, std::u16string_view p) { return CompareNoCase(e.program, p) < 0; });
    if (it != entries_.end() && CompareNoCase(it->program, program) == 0) return it->rule;
    return {};
}

ProgramRuleStore::ProgramRuleStore(Registry& registry, std::function<void(std::string_view)> log)
    : reg_(registry), log_(std::move(log)) {
    if (!log_) log_ = [](std::string_view line) { WriteDiagnosticLine(line); };
}

std::u16string ProgramRuleStore::KeyPath() { return SettingsStore::SectionPath(kProgramRulesSection); }

std::vector<ProgramRuleEntry> ProgramRuleStore::List() const {
    std::vector<ProgramRuleEntry> out;
    const std::u16string path = KeyPath();
    for (const std::u16string& name : reg_.ValueNames(Hive::CurrentUser, path)) {
        alignas(char16_t) uint8_t buf[kMaxRuleBytes];
        uint32_t size = sizeof buf, type = 0;
        const long r = reg_.QueryValue(Hive::CurrentUser, path, name, buf, &size, &type);
        ProgramRule rule;
        if (r == reg::kSuccess && type == reg::kTypeSz) {
            std::u16string_view text(reinterpret_cast<const char16_t*>(buf), size / 2);
            if (auto nul = text.find(u'\0'); nul != std::u16string_view::npos) text = text.substr(0, nul);
            rule = ParseProgramRule(text);
        }
        if (r == reg::kFileNotFound) continue;  // removed while we looked
        if (rule.kind == ProgramRuleKind::None || !IsProgramFileName(name)) {
            log_("Programs: the value \"" + Utf16ToUtf8(name) + "\" is not a rule Kestrix knows; it is ignored.");
            continue;
        }
        out.push_back({name, rule});
    }
    std::sort(out.begin(), out.end(),
              [](const ProgramRuleEntry& a, const ProgramRuleEntry& b) { return CompareNoCase(a.program, b.program) < 0; });
    return out;
}

ProgramRule ProgramRuleStore::Find(std::u16string_view program) const {
    for (const ProgramRuleEntry& e : List())
        if (EqualsNoCase(e.program, program)) return e.rule;
    return {};
}

RuleProblem ProgramRuleStore::Set(std::u16string_view program, const ProgramRule& rule) {
    if (const RuleProblem p = CheckProgramRule(program, rule); p != RuleProblem::None) return p;
    // The registry compares value names without case already; removing first
    // lets the value take the spelling given now.
    Remove(program);
    const std::u16string text = ProgramRuleText(rule);
    reg_.SetValue(Hive::CurrentUser, KeyPath(), program, reg::kTypeSz, reinterpret_cast<const uint8_t*>(text.c_str()),
                  uint32_t(2 * (text.size() + 1)));
    writes_.fetch_add(1, std::memory_order_relaxed);
    return RuleProblem::None;
}

bool ProgramRuleStore::Remove(std::u16string_view program) {
    const std::u16string path = KeyPath();
    bool removed = false;
    for (const std::u16string& name : reg_.ValueNames(Hive::CurrentUser, path))
        if (EqualsNoCase(name, program) && reg_.DeleteValue(Hive::CurrentUser, path, name) == reg::kSuccess) removed = true;
    if (removed) writes_.fetch_add(1, std::memory_order_relaxed);
    return removed;
}

ProgramRule ProgramRuleStore::ToggleOff(std::u16string_view program) {
    if (Find(program).kind == ProgramRuleKind::Off) {
        Remove(program);
        return {};
    }
    const ProgramRule off{ProgramRuleKind::Off, 0};
    return Set(program, off) == RuleProblem::None ? off : Find(program);
}

}  // namespace kx
