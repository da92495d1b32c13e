// The matcher's side of the rules per program: which program is in front,
// its rule, and the notices the application shows once per program.
#include "base/unicode_case.h"
#include "engine/matcher/expander.h"

namespace kx {

bool PlainTextOnly(const ProgramRule& rule, const ShortcutEntry& entry) {
    if (entry.kind != ShortcutKind::RichText && entry.kind != ShortcutKind::Picture) return false;
    if (rule.kind == ProgramRuleKind::Type) return true;
    return rule.kind == ProgramRuleKind::Chat && entry.plainText.find_first_of(u"\r\n") != std::u16string::npos;
}

ForegroundProgram Expander::CurrentProgram() const {
    std::lock_guard<std::mutex> g(programLock_);
    return program_;
}

std::vector<ProgramNotice> Expander::TakeProgramNotices() {
    std::lock_guard<std::mutex> g(programLock_);
    return std::exchange(programNotices_, {});
}

void Expander::LearnProgram() {
    programWindow_ = s_.foregroundWindow;
    learned_ = p_.programs->ProgramOf(programWindow_);
    // Administrators may write rules from outside; their notification is
    // looked at here, once per foreground change, never per key.
    if (!rulesWatch_) rulesWatch_ = p_.settings.registry().WatchTree(Hive::CurrentUser, ProgramRuleStore::KeyPath());
    ApplyProgramRule(rulesWatch_->Changed());
}

void Expander::ApplyProgramRule(bool reload) {
    const uint64_t writes = ProgramRuleStore::WriteCount();
    if (reload || !rulesRead_ || writes != rulesWrites_) {
        // The count is taken before the read: a write in between is read
        // now or again at the next key.
        rulesWrites_ = writes;
        rules_ = ProgramRuleStore(p_.settings.registry()).Load();
        rulesRead_ = true;
    }
    const ProgramRule rule = learned_.fileName.empty() ? ProgramRule{} : rules_.Find(learned_.fileName);
    bool changed;
    {
        std::lock_guard<std::mutex> g(programLock_);
        changed = rule != program_.rule || program_.program != learned_.fileName ||
                  program_.blocksOurInput != learned_.blocksOurInput;
        program_ = {learned_.fileName, rule, learned_.blocksOurInput};
    }
    const bool turnsOff = rule.kind == ProgramRuleKind::Off && s_.programRule.kind != ProgramRuleKind::Off;
    s_.programRule = rule;
    // A word begun elsewhere does not go on in a program that is Off.
    if (turnsOff) ForgetWords();
    if (changed) p_.app.PostNotice(notice::kProgram, notice::kProgramChanged);
}

void Expander::TellOncePerProgram(std::vector<std::u16string>& told, intptr_t what) {
    for (const std::u16string& name : told)
        if (EqualsNoCase(name, learned_.fileName)) return;
    told.push_back(learned_.fileName);
    {
        std::lock_guard<std::mutex> g(programLock_);
        programNotices_.push_back({what, learned_.fileName});
    }
    p_.app.PostNotice(notice::kProgram, what);
}

}  // namespace kx
