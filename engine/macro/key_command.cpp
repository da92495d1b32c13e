#include "engine/macro/key_command.h"

#include <string>

#include "base/text.h"
#include "engine/macro/key_line.h"
#include "engine/macro/key_records.h"
#include "engine/macro/macro_script.h"
#include "engine/macro/typed_text.h"

namespace kx {
namespace {

constexpr uint16_t kVkControl = 0x11, kVkMenu = 0x12, kVkShift = 0x10;

int SubKindOf(MacroKeyword k) {
    switch (k) {
    case MacroKeyword::KbrdClick: return keysub::kClick;
    case MacroKeyword::KbrdPress: return keysub::kPress;
    case MacroKeyword::KbrdRelease: return keysub::kRelease;
    case MacroKeyword::KbrdInput: return keysub::kInput;
    default: return keysub::kNone;
    }
}

MacroKeyword KeywordOf(int subKind) {
    switch (subKind) {
    case keysub::kClick: return MacroKeyword::KbrdClick;
    case keysub::kPress: return MacroKeyword::KbrdPress;
    case keysub::kRelease: return MacroKeyword::KbrdRelease;
    case keysub::kInput: return MacroKeyword::KbrdInput;
    default: return MacroKeyword::None;
    }
}

}  // namespace

bool KeyCommand::Parse(std::u16string_view line, MacroSystem& system) {
    subKind = keysub::kNone;
    records.clear();
    holdMs = -1;
    const int sub = SubKindOf(ClassifyLine(line));
    if (sub == keysub::kNone) return false;

    if (sub == keysub::kInput) {
        const std::u16string_view text = AfterKeyword(line);
        if (text.size() < 2 || text.front() != u'"' || text.back() != u'"') return false;
        records = TypedTextRecords(text.substr(1, text.size() - 2));
        subKind = sub;
        return true;
    }

    const std::optional<KeyLine> k = ReadKeyLine(line);
    if (!k) return false;
    KeyRecord key = UnicodeKeyRecord(k->key);
    if (k->quoted) {
        // The character is sent as the virtual key that types it, so a letter
        // arrives as its capital. Where no key of the layout types it, it is
        // typed by its code (KEYEVENTF_UNICODE) rather than not at all.
        const int16_t scan = system.KeyScan(k->key);
        if (scan != -1) key = UnicodeKeyRecord(char16_t(uint16_t(scan) & 0xFF));
    }
    if (k->modifiers & modifier::kCtrl) records.push_back(VirtualKeyRecord(kVkControl));
    if (k->modifiers & modifier::kAlt) records.push_back(VirtualKeyRecord(kVkMenu));
    if (k->modifiers & modifier::kShift) records.push_back(VirtualKeyRecord(kVkShift));
    records.push_back(key);

    if (sub == keysub::kRelease) {
        for (KeyRecord& r : records) r = Released(r);
    } else if (sub == keysub::kClick || k->holdMs != -1) {
        const size_t pressed = records.size();
        for (size_t i = 0; i < pressed; ++i) records.push_back(Released(records[i]));
    }
    subKind = sub;
    holdMs = k->holdMs;
    return true;
}

std::u16string KeyCommand::ToText() const {
    if (subKind == keysub::kNone) return u"keyboard line that plays nothing";
    std::u16string text(KeywordText(KeywordOf(subKind)));
    text += u", " + U16(std::to_string(records.size())) + u" records";
    if (holdMs != -1) text += u", hold " + U16(std::to_string(holdMs)) + u" ms";
    return text;
}

bool KeyCommand::CopyFrom(const MacroCommand& other) {
    if (other.Kind() != Kind()) return false;
    const auto& o = static_cast<const KeyCommand&>(other);
    subKind = o.subKind;
    records = o.records;
    holdMs = o.holdMs;
    return true;
}

bool KeyCommand::Equals(const MacroCommand& other) const {
    if (other.Kind() != Kind()) return false;
    const auto& o = static_cast<const KeyCommand&>(other);
    return subKind == o.subKind && records == o.records && holdMs == o.holdMs;
}

}  // namespace kx
