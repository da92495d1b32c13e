#include "engine/fake/recording_ports.h"

#include <cstdio>

#include "base/text.h"
#include "engine/matcher/expander.h"

namespace kx {

std::vector<std::string> EventLog::With(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& l : lines)
        if (l.compare(0, prefix.size(), prefix) == 0) out.push_back(l);
    return out;
}

std::string LogText(std::u16string_view s) {
    std::string out;
    for (char16_t c : s) {
        if (c == u'"' || c == u'\\') { out += '\\'; out += char(c); }
        else if (c == u'\r') out += "\\r";
        else if (c == u'\n') out += "\\n";
        else if (c == u'\t') out += "\\t";
        else if (c < 0x20) out += LogChar(c);
        else out += Utf16ToUtf8(std::u16string_view(&c, 1));
    }
    return out;
}

std::string LogChar(char16_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", unsigned(c));
    return buf;
}

int RecordingOutput::ExpandShortcut(EngineState& state, const ExpandRequest& r) {
    const ShortcutEntry& e = *r.entry;
    last = r.entry;
    std::string line = "output ExpandShortcut keyword=" + LogText(state.typed) +
                       " kind=" + std::to_string(int(e.kind)) + " trailing=" + LogChar(r.trailing) +
                       " overwrite=" + (r.lastOverwrite ? "1" : "0") + " console=" + (r.isConsole ? "1" : "0") +
                       " wordlike=" + (state.isWordLike ? "1" : "0") + " firstcap=" + (state.firstCapital ? "1" : "0") +
                       " allcaps=" + (state.allCapitals ? "1" : "0");
    if (state.programRule.kind != ProgramRuleKind::None) line += " rule=\"" + Utf16ToUtf8(ProgramRuleText(state.programRule)) + "\"";
    line += " text=\"" + LogText(e.plainText) + "\"";
    log_.Add(line);
    return result;
}

bool RecordingOutput::SendBackspaces(unsigned n) {
    log_.Add("output SendBackspaces " + std::to_string(n));
    return true;
}

bool RecordingOutput::SendDoubleSpaceFix() {
    log_.Add("output SendDoubleSpaceFix");
    return true;
}

MacroStart RecordingMacros::Launch(const ShortcutEntry& entry, MacroRights rights) {
    log_.Add("output StartMacro \"" + LogText(entry.plainText) + "\"" + (rights.startPrograms ? "" : " without programs"));
    MacroStart start;
    start.started = true;
    start.firstIsKeyboard = firstIsKeyboard;
    start.programRefused = hasProgram && !rights.startPrograms;
    return start;
}

void RecordingApp::PostNotice(int kind, intptr_t value) {
    log_.Add("notice " + std::to_string(kind) + " " + std::to_string(value));
}

void RecordingApp::ShowBalloon(const std::u16string& title, const std::u16string& text, unsigned) {
    log_.Add("balloon \"" + LogText(title) + "\" \"" + LogText(text) + "\"");
}

void RecordingApp::SetTrayIcon(int iconResource) { log_.Add("icon " + std::to_string(iconResource)); }

void RecordingTrace::OnLookup(std::u16string_view key, bool hit) {
    log_.Add("lookup " + LogText(key) + (hit ? " hit" : " miss"));
}

}  // namespace kx
