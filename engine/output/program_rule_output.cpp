// The output's rules per program: "Type" types the expansion as characters,
// "Chat" pastes it line by line with SHIFT+Enter between the lines.
#include <cstring>

#include "engine/matcher/expander.h"
#include "engine/output/keystroke_output.h"
#include "engine/output/typed_keys.h"

namespace kx {
namespace {

constexpr int kDelivered = int(notice::kExpanded);
constexpr int kFailed = int(notice::kExpandFailed);

bool IsRichKind(ShortcutKind k) { return k == ShortcutKind::RichText || k == ShortcutKind::Picture; }

std::u16string_view PlainTextOf(const ShortcutEntry& entry) {
    return entry.kind == ShortcutKind::Picture ? kPictureText : std::u16string_view(entry.plainText);
}

// The plain text with the delimiter after it and the casing rule applied,
// exactly as the paste would put it on the clipboard.
std::u16string TypedText(EngineState& state, const ShortcutEntry& entry, char16_t trailing) {
    if (IsRichKind(entry.kind)) state.firstCapital = state.allCapitals = false;
    const std::u16string_view text = PlainTextOf(entry);
    ClipItem item;
    item.bytes = {reinterpret_cast<const uint8_t*>(text.data()), text.size() * sizeof(char16_t)};
    item.charCount = text.size();
    item.trailing = trailing;
    const std::vector<uint8_t> bytes = ClipboardBytes(item, Casing{state.firstCapital, state.allCapitals});
    std::u16string out(bytes.size() / 2, u'\0');
    std::memcpy(out.data(), bytes.data(), out.size() * 2);
    out.resize(out.find(u'\0'));
    return out;
}

}  // namespace

int KeystrokeOutput::TypeOut(EngineState& state, const ExpandRequest& request) {
    if (!request.entry) return kFailed;
    const std::u16string text = TypedText(state, *request.entry, request.trailing);
    if (request.selectCount > 0 && !keys::SelectLeft(Keys(), request.selectCount)) return kFailed;
    // A SHIFT still held would make every typed Enter a SHIFT+Enter.
    keys::ReleaseShift(p_.injector);
    if (!Erase(state, request, state.typed.size())) return kFailed;
    if (!keys::TypeStrokes(Keys(), TypedStrokes(text), state.programRule.typeDelayMs)) return kFailed;
    if (!request.pasteOnly && state.isWordLike) keys::TapKeyTwice(Keys(), vk::kDelete);
    return kDelivered;
}

int KeystrokeOutput::ChatOut(EngineState& state, const ExpandRequest& request) {
    if (!request.entry) return kFailed;
    // An Enter that ended the keyword has reached the program already;
    // typed again after the expansion it would send the message.
    ExpandRequest first = request;
    if (first.trailing == u'\r') first.trailing = 0;
    const std::vector<std::u16string_view> lines = SplitLines(PlainTextOf(*request.entry));
    if (lines.size() == 1) return DeliverEither(state, first);

    // A line break on the clipboard, or an Enter, sends the message in a
    // chat program: each line goes on its own, rich text as its plain text.
    const bool allCapitals = state.allCapitals && !IsRichKind(request.entry->kind);
    for (size_t i = 0; i < lines.size(); ++i) {
        const bool last = i + 1 == lines.size();
        ExpandRequest line = first;
        line.entry = ShortcutEntry::Make(ShortcutKind::SimpleText, std::u16string(lines[i]));
        line.trailing = last ? first.trailing : 0;
        if (i > 0) {
            line.pasteOnly = true;
            line.selectCount = 0;
            state.firstCapital = false;
        }
        state.allCapitals = allCapitals;
        if (!lines[i].empty() || line.trailing) {
            if (const int r = DeliverEither(state, line); r != kDelivered) return r;
        } else if (i == 0) {
            // Nothing to paste on the first line: the keyword still goes.
            keys::ReleaseShift(p_.injector);
            if ((line.selectCount > 0 && !keys::SelectLeft(Keys(), line.selectCount)) ||
                !Erase(state, line, state.typed.size()))
                return kFailed;
        }
        if (!last && !keys::SendShiftEnter(Keys())) return kFailed;
    }
    return kDelivered;
}

}  // namespace kx
