#include "core/import/ahk_import.h"

#include <vector>

#include "base/text.h"
#include "convert/ansi_codepage.h"
#include "core/import/import_item.h"

namespace kx {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == u'\r')) s.remove_suffix(1);
    return s;
}

// The options of a hotstring, from "#Hotstring" and from its own colons.
struct Options {
    bool star = false, question = false, execute = false, raw = false, caseSensitive = false, keepAbbrev = false;
};

void ApplyOptions(std::u16string_view text, Options& o) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = AsciiUpper(text[i]);
        const bool off = i + 1 < text.size() && text[i + 1] == u'0';
        switch (c) {
            case u'*': o.star = !off; break;
            case u'?': o.question = !off; break;
            case u'X': o.execute = !off; break;
            case u'R': case u'T': o.raw = !off; break;
            case u'C': o.caseSensitive = !off && !(i + 1 < text.size() && text[i + 1] == u'1'); break;
            case u'B': o.keepAbbrev = off; break;
            default: break;  // O, Z, SI/SP/SE, Kn, Pn: how it is sent, not what
        }
    }
}

// The text after a hotstring's "::" up to a comment: a ";" after white
// space. Escapes are still in it.
std::u16string_view CutComment(std::u16string_view s) {
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == u'`') {
            ++i;
            continue;
        }
        if (s[i] == u';' && (i == 0 || IsBlank(s[i - 1]))) return Trim(s.substr(0, i));
    }
    return s;
}

std::u16string Unescape(std::u16string_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != u'`' || i + 1 >= s.size()) {
            out += s[i];
            continue;
        }
        const char16_t e = s[++i];
        switch (e) {
            case u'n': out += u'\n'; break;
            case u'r': out += u'\r'; break;
            case u't': out += u'\t'; break;
            case u's': out += u' '; break;
            default: out += e; break;  // `; `: `` `% `{ and the rest stand for themselves
        }
    }
    return out;
}

// The keys of a replacement sent as keystrokes: {Enter} and {Tab} become a
// line break and a tab and {{} {}} {!} {+} {^} {#} their characters. False,
// with the reason, for any other key and for a modifier character, which a
// text expansion cannot type.
bool TranslateKeys(std::u16string_view s, std::u16string& out, std::u16string& reason) {
    out.clear();
    for (size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c == u'^' || c == u'!' || c == u'+' || c == u'#') {
            reason = u"It presses the modifier " + Quoted(std::u16string(1, c)) + u", which a text shortcut cannot.";
            return false;
        }
        if (c != u'{') {
            out += c;
            continue;
        }
        // "{}}" is the one key whose name is a closing brace.
        size_t close = s.find(u'}', i + 2);
        if (i + 1 < s.size() && s[i + 1] == u'}') close = i + 2 < s.size() && s[i + 2] == u'}' ? i + 2 : i + 1;
        if (close == std::u16string_view::npos) {
            reason = u"It has a \"{\" without its \"}\".";
            return false;
        }
        const std::u16string_view key = s.substr(i + 1, close - i - 1);
        if (key.size() == 1 && (key == u"{" || key == u"}" || key == u"!" || key == u"+" || key == u"^" || key == u"#")) {
            out += key[0];
        } else {
            // A key with an optional count: "Enter 2".
            std::u16string_view name = key;
            int count = 1;
            const size_t space = key.find(u' ');
            if (space != std::u16string_view::npos) {
                name = key.substr(0, space);
                const std::u16string_view num = Trim(key.substr(space + 1));
                count = 0;
                for (char16_t d : num) {
                    if (d < u'0' || d > u'9' || count > 1000) {
                        count = -1;
                        break;
                    }
                    count = count * 10 + (d - u'0');
                }
                if (num.empty()) count = -1;
            }
            const bool enter = EqualsNoCaseAscii(name, u"Enter");
            const bool tab = EqualsNoCaseAscii(name, u"Tab");
            if ((!enter && !tab) || count < 0) {
                reason = u"It presses the key {" + std::u16string(key) + u"}, which a text shortcut cannot.";
                return false;
            }
            for (int n = 0; n < count; ++n) out += enter ? u'\n' : u'\t';
        }
        i = close;
    }
    return true;
}

struct Script {
    std::u16string_view text;
    size_t pos = 0;
    size_t line = 0;  // of the line last returned
    bool Next(std::u16string_view& out) {
        if (pos >= text.size()) return false;
        const size_t eol = text.find(u'\n', pos);
        const size_t end = eol == std::u16string_view::npos ? text.size() : eol;
        out = text.substr(pos, end - pos);
        if (!out.empty() && out.back() == u'\r') out.remove_suffix(1);
        pos = end + 1;
        ++line;
        return true;
    }
};

// The lines of a continuation section up to its ")" line, joined as its
// options say: by line breaks unless "Join" gives another text, with the
// indentation removed under "LTrim", and ";" comments only under "Comments".
std::u16string ReadSection(Script& script, std::u16string_view openLine, bool& closed) {
    std::u16string_view opts = Trim(openLine.substr(1));
    std::u16string join = u"\n";
    bool ltrim = false, comments = false;
    while (!opts.empty()) {
        size_t end = 0;
        while (end < opts.size() && !IsBlank(opts[end])) ++end;
        const std::u16string_view word = opts.substr(0, end);
        if (StartsWithNoCaseAscii(word, u"Join")) join = Unescape(word.substr(4));
        else if (EqualsNoCaseAscii(word, u"LTrim")) ltrim = true;
        else if (EqualsNoCaseAscii(word, u"LTrim0")) ltrim = false;
        else if (StartsWithNoCaseAscii(word, u"Comment") || EqualsNoCaseAscii(word, u"C")) comments = true;
        opts = Trim(opts.substr(end));
    }
    std::u16string out;
    bool first = true;
    closed = false;
    std::u16string_view line;
    while (script.Next(line)) {
        if (Trim(line).substr(0, 1) == u")") {
            closed = true;
            break;
        }
        std::u16string_view part = line;
        if (ltrim) while (!part.empty() && IsBlank(part.front())) part.remove_prefix(1);
        if (comments) {
            if (Trim(part).substr(0, 1) == u";") continue;
            part = CutComment(part);
        }
        if (!first) out += join;
        out += Unescape(part);
        first = false;
    }
    return out;
}

}  // namespace

void ReadAutoHotkeyImport(std::string_view bytes, std::u16string_view fileName, ImportPreview& preview) {
    std::u16string text;
    if (bytes.find('\0') != std::string_view::npos) {
        preview.problems.push_back(Quoted(fileName) + u" is not an AutoHotkey script: it is not text.");
        return;
    }
    if (!DecodeTextFile(bytes, text)) {
        // Version 1 reads a script without a byte-order mark in the system's
        // code page.
        text.clear();
        text.reserve(bytes.size());
        for (char b : bytes) text += AnsiByteToUtf16(kDefaultAnsiCodePage, uint8_t(b));
    }
    Script script{text};
    Options defaults;
    bool limited = false;  // under #HotIf / #IfWin...
    bool inBlockComment = false;
    size_t found = 0;
    std::u16string_view raw;
    while (script.Next(raw)) {
        const std::u16string_view line = Trim(raw);
        if (inBlockComment) {
            if (line.substr(0, 2) == u"*/" || (line.size() >= 2 && line.substr(line.size() - 2) == u"*/"))
                inBlockComment = false;
            continue;
        }
        if (line.substr(0, 2) == u"/*") {
            inBlockComment = !(line.size() >= 4 && line.substr(line.size() - 2) == u"*/");
            continue;
        }
        if (StartsWithNoCaseAscii(line, u"#Hotstring")) {
            const std::u16string_view rest = Trim(line.substr(10));
            if (!StartsWithNoCaseAscii(rest, u"EndChars") && !StartsWithNoCaseAscii(rest, u"NoMouse") &&
                !StartsWithNoCaseAscii(rest, u"Reset"))
                ApplyOptions(rest, defaults);
            continue;
        }
        if (StartsWithNoCaseAscii(line, u"#If")) {  // #If, #IfWinActive, #HotIf ... with or without a condition
            const size_t end = line.find_first_of(u" \t,");
            limited = end != std::u16string_view::npos && !Trim(line.substr(end)).empty() &&
                      Trim(line.substr(end)) != u",";
            continue;
        }
        if (StartsWithNoCaseAscii(line, u"#HotIf")) {
            limited = !Trim(line.substr(6)).empty();
            continue;
        }
        if (line.empty() || line[0] != u':') continue;
        const size_t optEnd = line.find(u':', 1);
        if (optEnd == std::u16string_view::npos) continue;
        const size_t abbrEnd = line.find(u"::", optEnd + 1);
        if (abbrEnd == std::u16string_view::npos || abbrEnd == optEnd + 1) continue;  // a hotkey, not a hotstring
        ++found;
        Options o = defaults;
        ApplyOptions(line.substr(1, optEnd - 1), o);
        ImportItem item;
        item.origin = std::u16string(fileName) + u":" + U16(std::to_string(script.line));
        item.sourceKeyword = Unescape(line.substr(optEnd + 1, abbrEnd - optEnd - 1));
        std::u16string_view rest = line.substr(abbrEnd + 2);
        bool section = false;
        std::u16string replacement;
        if (Trim(rest).empty() && !o.execute) {
            // A continuation section, or code below the hotstring.
            const Script before = script;
            std::u16string_view next;
            if (script.Next(next) && Trim(next).substr(0, 1) == u"(") {
                bool closed = false;
                replacement = ReadSection(script, Trim(next), closed);
                section = true;
                if (!closed) {
                    MarkSkipped(item, u"Its continuation section has no closing \")\" line.");
                }
            } else {
                script = before;
                MarkSkipped(item, u"It runs the code below it instead of replacing text.");
            }
        } else {
            replacement = Unescape(CutComment(rest));
        }
        if (o.execute) MarkSkipped(item, u"It runs its replacement as code (option X).");
        if (item.status != ImportStatus::Skipped) {
            if (o.raw || section) {
                item.text = ToCrLf(replacement);
            } else {
                std::u16string keys, reason;
                if (TranslateKeys(replacement, keys, reason)) item.text = ToCrLf(keys);
                else MarkSkipped(item, reason);
            }
        }
        ApplyKeywordRule(item);
        if (item.status != ImportStatus::Skipped) {
            if (o.star)
                AddNote(item, u"AutoHotkey replaced it as soon as it was typed (option *); Kestrix replaces it after a delimiter.");
            if (o.question)
                AddNote(item, u"AutoHotkey replaced it inside words too (option ?); Kestrix replaces whole words, after a delimiter.");
            if (o.caseSensitive) AddNote(item, u"Kestrix matches the keyword in any letter case (option C).");
            if (o.keepAbbrev) AddNote(item, u"Kestrix erases the keyword as it expands (option B0).");
            if (limited) AddNote(item, u"AutoHotkey used it in some windows only; Kestrix expands it everywhere.");
        }
        preview.items.push_back(std::move(item));
    }
    if (found == 0) preview.problems.push_back(Quoted(fileName) + u" holds no AutoHotkey hotstrings.");
}

}  // namespace kx
