#include "tools/kxtool/key_script.h"

#include <charconv>
#include <utility>

#include "base/text.h"
#include "tools/kxtool/us_keyboard.h"

namespace kx {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool ParseNumber(std::string_view s, uint32_t& v, int base) {
    if (s.empty()) return false;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v, base);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// Splits at white space, keeping a quoted character ('x', or ' ') as one token.
bool Tokenise(std::string_view s, std::vector<std::string_view>& out, std::string& error) {
    size_t i = 0;
    while (i < s.size()) {
        if (s[i] == ' ' || s[i] == '\t') { ++i; continue; }
        if (s[i] == '\'') {
            size_t len = 1;
            const unsigned char b = static_cast<unsigned char>(i + 1 < s.size() ? s[i + 1] : 0);
            if (b >= 0xF0) len = 4; else if (b >= 0xE0) len = 3; else if (b >= 0xC0) len = 2;
            size_t close = i + 1 + len;
            if (close >= s.size() || s[close] != '\'') { error = "unterminated character in quotes"; return false; }
            out.push_back(s.substr(i, close - i + 1));
            i = close + 1;
            continue;
        }
        size_t j = i;
        while (j < s.size() && s[j] != ' ' && s[j] != '\t') ++j;
        out.push_back(s.substr(i, j - i));
        i = j;
    }
    return true;
}

bool ParseKeyLine(bool down, const std::vector<std::string_view>& t, std::vector<ScriptStep>& out, std::string& error) {
    if (t.size() < 2) { error = "missing virtual-key code"; return false; }
    ScriptStep step;
    KeyEvent& e = step.event;
    e.isDown = down ? 1 : 0;
    std::string_view vk = t[1];
    if (vk.size() > 2 && vk[0] == '0' && (vk[1] == 'x' || vk[1] == 'X')) vk.remove_prefix(2);
    if (!ParseNumber(vk, e.vk, 16) || e.vk > 0xFF) { error = "bad virtual-key code '" + std::string(t[1]) + "'"; return false; }
    for (size_t i = 2; i < t.size(); ++i) {
        std::string_view a = t[i];
        if (a == "shift") e.modifiers |= mod::kShift;
        else if (a == "ctrl") e.modifiers |= mod::kCtrl;
        else if (a == "alt") e.modifiers |= mod::kAlt;
        else if (a.size() >= 3 && a.front() == '\'' && a.back() == '\'') {
            std::u16string c = Utf8ToUtf16(a.substr(1, a.size() - 2));
            if (c.size() != 1) { error = "character outside the basic plane: use U+XXXX"; return false; }
            e.ch = c[0];
        } else if (a.size() > 2 && (a.substr(0, 2) == "U+" || a.substr(0, 2) == "u+")) {
            uint32_t v;
            if (!ParseNumber(a.substr(2), v, 16) || v > 0xFFFF) { error = "bad character '" + std::string(a) + "'"; return false; }
            e.ch = char16_t(v);
        } else if (a.substr(0, 4) == "pos=") {
            if (!ParseNumber(a.substr(4), e.position, 10)) { error = "bad position '" + std::string(a) + "'"; return false; }
            e.stateFlags |= kStateOverwrite;
        } else {
            error = "unknown word '" + std::string(a) + "'";
            return false;
        }
    }
    out.push_back(step);
    return true;
}

void PressAndRelease(uint32_t vk, char16_t ch, uint8_t modifiers, std::vector<ScriptStep>& out) {
    ScriptStep s;
    s.event.vk = vk;
    s.event.ch = ch;
    s.event.modifiers = modifiers;
    s.event.isDown = 1;
    out.push_back(s);
    // Releases carry no character, as the hook module reports them.
    s.event.isDown = 0;
    s.event.ch = 0;
    out.push_back(s);
}

}  // namespace

bool ParseScriptLine(std::string_view raw, std::vector<ScriptStep>& out, std::string& error) {
    std::string_view line = raw;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == '#') return true;

    size_t sp = trimmed.find_first_of(" \t");
    std::string_view verb = trimmed.substr(0, sp);
    if (verb == "type") {
        // The text is everything after one separator, spaces included.
        size_t start = line.find("type") + 4;
        std::string_view text = start < line.size() ? line.substr(start + 1) : std::string_view();
        for (char16_t c : Utf8ToUtf16(text)) {
            UsKey k = UsKeyFor(c);
            PressAndRelease(k.vk, c, k.shift ? mod::kShift : 0, out);
        }
        return true;
    }
    std::vector<std::string_view> t;
    if (!Tokenise(trimmed, t, error)) return false;
    if (verb == "down" || verb == "up") return ParseKeyLine(verb == "down", t, out, error);
    if (verb == "key") {
        if (t.size() != 2) { error = "key takes one name"; return false; }
        std::string_view name = t[1];
        uint8_t modifiers = 0;
        for (bool more = true; more;) {
            more = false;
            for (auto [prefix, bit] : {std::pair{"shift+", mod::kShift}, std::pair{"ctrl+", mod::kCtrl},
                                       std::pair{"alt+", mod::kAlt}}) {
                const std::string_view p = prefix;
                if (name.size() > p.size() && name.substr(0, p.size()) == p) {
                    modifiers |= bit;
                    name.remove_prefix(p.size());
                    more = true;
                }
            }
        }
        NamedKey k{0, 0};
        if (auto named = NamedKeyFor(name)) {
            k = *named;
        } else if (name.size() == 1 && ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= '0' && name[0] <= '9'))) {
            // The letter key's own character, as the hook module reports a
            // combination: CTRL+A arrives as 'a'.
            const bool lower = name[0] >= 'A' && name[0] <= 'Z' && !(modifiers & mod::kShift);
            k = NamedKey{uint32_t(name[0]), char16_t(lower ? name[0] + 32 : name[0])};
        } else {
            error = "unknown key '" + std::string(t[1]) + "'";
            return false;
        }
        // CTRL or ALT alone turn a control code into no character at all.
        if ((modifiers & (mod::kCtrl | mod::kAlt)) && k.ch < 0x20) k.ch = 0;
        PressAndRelease(k.vk, k.ch, modifiers, out);
        return true;
    }
    if (verb == "sleep") {
        ScriptStep s;
        s.kind = ScriptStep::Sleep;
        if (t.size() != 2 || !ParseNumber(t[1], s.sleepMs, 10)) { error = "sleep takes milliseconds"; return false; }
        out.push_back(s);
        return true;
    }
    error = "unknown instruction '" + std::string(verb) + "'";
    return false;
}

}  // namespace kx
