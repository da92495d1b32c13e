#include "engine/macro/typed_text.h"

#include "engine/macro/key_records.h"

namespace kx {
namespace {

struct KeyName {
    std::u16string_view name;
    uint16_t vk;
};

// Two-digit function keys come before F1 to F9 so that "\F12" is not read as
// F1 followed by the character 2.
constexpr KeyName kKeyNames[] = {
    {u"UP", 0x26},   {u"DOWN", 0x28},  {u"LEFT", 0x25},   {u"RIGHT", 0x27}, {u"INS", 0x2D},
    {u"HOME", 0x24}, {u"DEL", 0x2E},   {u"END", 0x23},    {u"PGUP", 0x21},  {u"PGDWN", 0x22},
    {u"CAPS", 0x14}, {u"ESC", 0x1B},   {u"PRNSCR", 0x2C}, {u"TAB", 0x09},   {u"ENTER", 0x0D},
    {u"F10", 0x79},  {u"F11", 0x7A},   {u"F12", 0x7B},    {u"F13", 0x7C},   {u"F14", 0x7D},
    {u"F15", 0x7E},  {u"F16", 0x7F},   {u"F17", 0x80},    {u"F18", 0x81},   {u"F19", 0x82},
    {u"F20", 0x83},  {u"F1", 0x70},    {u"F2", 0x71},     {u"F3", 0x72},    {u"F4", 0x73},
    {u"F5", 0x74},   {u"F6", 0x75},    {u"F7", 0x76},     {u"F8", 0x77},    {u"F9", 0x78},
};

constexpr uint16_t kVkBack = 0x08, kVkTab = 0x09, kVkReturn = 0x0D, kVkSpace = 0x20;

void Press(std::vector<KeyRecord>& out, KeyRecord r) {
    out.push_back(r);
    out.push_back(Released(r));
}

}  // namespace

std::optional<NamedKeyMatch> MatchKeyName(std::u16string_view text) {
    for (const KeyName& k : kKeyNames)
        if (text.substr(0, k.name.size()) == k.name) return NamedKeyMatch{k.vk, k.name.size()};
    return std::nullopt;
}

std::vector<KeyRecord> TypedTextRecords(std::u16string_view text) {
    std::vector<KeyRecord> out;
    size_t i = 0;
    while (i < text.size()) {
        const char16_t c = text[i++];
        if (c == u' ') {
            Press(out, VirtualKeyRecord(kVkSpace));
            continue;
        }
        if (c == u'\t' || c == u'\n' || c == u'\r' || c == u'"') continue;
        if (c != u'\\') {
            Press(out, UnicodeKeyRecord(c));
            continue;
        }
        if (i == text.size()) break;
        const char16_t e = text[i];
        if (e == u'"' || e == u'\\') {
            Press(out, UnicodeKeyRecord(e));
            ++i;
        } else if (e == u'<') {
            Press(out, VirtualKeyRecord(kVkBack));
            ++i;
        } else if (e == u'n' || e == u'r') {
            // "\n\r" and "\r\n" are one line end, as in a file.
            Press(out, VirtualKeyRecord(kVkReturn));
            ++i;
            const char16_t other = e == u'n' ? u'r' : u'n';
            if (i + 1 < text.size() && text[i] == u'\\' && text[i + 1] == other) i += 2;
        } else if (e == u't') {
            Press(out, VirtualKeyRecord(kVkTab));
            ++i;
        } else if (const std::optional<NamedKeyMatch> named = MatchKeyName(text.substr(i))) {
            Press(out, VirtualKeyRecord(named->vk));
            i += named->length;
        } else {
            break;  // an unknown escape ends what is typed
        }
    }
    return out;
}

}  // namespace kx
