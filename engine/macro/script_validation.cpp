#include "engine/macro/script_validation.h"

#include "base/text.h"
#include "engine/macro/key_line.h"
#include "engine/macro/macro_script.h"
#include "engine/macro/macro_system.h"

namespace kx {
namespace {

constexpr size_t kShownWhole = 30;
constexpr size_t kShownStart = 26;

bool IsDoubleQuoted(std::u16string_view text) {
    return text.size() >= 2 && text.front() == u'"' && text.back() == u'"';
}

bool AllDigits(std::u16string_view text, bool hex) {
    for (char16_t c : text)
        if (hex ? !IsHexDigit(c) : (c < u'0' || c > u'9')) return false;
    return true;
}

// A pause plays the length its first word shows only when that word is a
// bare hexadecimal number from 1 to FFFFFFFE: a quoted length, a missing
// one or 0 would play 100 ms, and a larger one would be cut.
bool PauseLengthPlays(std::u16string_view line) {
    size_t pos = 0;
    NextToken(line, pos);
    const std::u16string_view token = NextToken(line, pos);
    if (token.empty() || !AllDigits(token, true)) return false;
    const HexNumber length = ReadHex(token);
    return length.value != 0 && length.value < 0xFFFFFFFFu;
}

// Lines whose command plays just as written pass whatever quotes they hold:
// a pause with a bare hexadecimal length ("pause 3E8"), a click, press or
// release with a well-formed mask and key (a code such as 20AC included),
// and typed text or a command line in double quotes (an apostrophe in it
// included). Quote checks are for lines that would not play as meant.
bool PlaysAsWritten(MacroKeyword keyword, std::u16string_view line) {
    switch (keyword) {
    case MacroKeyword::Pause: {
        const std::u16string_view length = AfterKeyword(line);
        return !length.empty() && AllDigits(length, true) && PauseLengthPlays(line);
    }
    case MacroKeyword::KbrdClick:
    case MacroKeyword::KbrdPress:
    case MacroKeyword::KbrdRelease: {
        const std::optional<KeyLine> k = ReadKeyLine(line);
        return k && AllDigits(k->holdText, false);
    }
    case MacroKeyword::KbrdInput:
    case MacroKeyword::Command: return IsDoubleQuoted(AfterKeyword(line));
    default: return false;
    }
}

std::optional<std::u16string_view> QuoteError(std::u16string_view line) {
    char16_t open = 0;
    for (char16_t c : line) {
        if (c != u'"' && c != u'\'') continue;
        if (open == 0) open = c;
        else if (open == c) open = 0;
        else return kQuoteMismatchText;
    }
    if (open != 0) return kUnpairedQuoteText;
    return std::nullopt;
}

// A quoted key is played as the key of the layout that types it; without
// one it is typed by its code, which the editor says rather than saving a
// line that does not do what it shows.
bool LayoutTypesKey(std::u16string_view line, MacroSystem& layout) {
    const std::optional<KeyLine> k = ReadKeyLine(line);
    return !k || !k->quoted || layout.KeyScan(k->key) != -1;
}

std::optional<std::u16string_view> LineError(std::u16string_view line, MacroSystem* layout) {
    const MacroKeyword keyword = ClassifyLine(line);
    if (keyword == MacroKeyword::None) return kUnknownLineText;
    if (PlaysAsWritten(keyword, line)) {
        const bool keyLine = keyword == MacroKeyword::KbrdClick || keyword == MacroKeyword::KbrdPress ||
                             keyword == MacroKeyword::KbrdRelease;
        if (keyLine && layout && !LayoutTypesKey(line, *layout)) return kNoKeyText;
        return std::nullopt;
    }
    if (keyword == MacroKeyword::Pause && !PauseLengthPlays(line)) return kPauseLengthText;
    if (const auto quotes = QuoteError(line)) return quotes;

    const bool hasDouble = line.find(u'"') != std::u16string_view::npos;
    const bool hasSingle = line.find(u'\'') != std::u16string_view::npos;
    if ((keyword == MacroKeyword::Pause || keyword == MacroKeyword::Command || keyword == MacroKeyword::KbrdInput) &&
        !hasDouble)
        return kNeedsDoubleQuotesText;
    const bool keyLine = keyword == MacroKeyword::KbrdClick || keyword == MacroKeyword::KbrdPress ||
                         keyword == MacroKeyword::KbrdRelease;
    if (keyLine && !hasSingle) return kNeedsSingleQuotesText;
    if (hasSingle) {
        const size_t first = line.find_first_of(u"\"'");
        const size_t last = line.find_last_of(u"\"'");
        if (last - first != 2) return kOneCharacterText;
    }
    return std::nullopt;
}

}  // namespace

std::u16string ShownLine(std::u16string_view line) {
    if (line.size() <= kShownWhole) return std::u16string(line);
    std::u16string shown(line.substr(0, kShownStart));
    shown += u"...";
    shown += line.back() == u'"' ? u'"' : u'\'';
    return shown;
}

std::optional<ScriptError> ValidateScript(std::u16string_view script, MacroSystem* layout) {
    const MacroScript lines(script);
    for (const ScriptLine& line : lines.Lines()) {
        const std::optional<std::u16string_view> error = LineError(line.text, layout);
        if (!error) continue;
        return ScriptError{line.number, std::u16string(kScriptErrorTitle), FormatS(*error, ShownLine(line.text))};
    }
    return std::nullopt;
}

}  // namespace kx
