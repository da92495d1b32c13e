#include "engine/output/typed_keys.h"

#include "engine/macro/key_records.h"

namespace kx {
namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AddUnit(Stroke& s, char16_t c) {
    s.push_back(UnicodeKeyRecord(c));
    s.push_back(Released(UnicodeKeyRecord(c)));
}

}  // namespace

std::vector<Stroke> TypedStrokes(std::u16string_view text) {
    std::vector<Stroke> out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        Stroke s;
        if (c == u'\r' || c == u'\n') {
            // A typed Enter is the line break every program understands; a
            // CR or LF sent as a character is not one in most.
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            s.push_back(VirtualKeyRecord(kVkReturn));
            s.push_back(Released(VirtualKeyRecord(kVkReturn)));
        } else if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            // Each unit goes as its own event: KEYEVENTF_UNICODE carries one
            // UTF-16 unit, and the window receives the pair as two WM_CHARs.
            AddUnit(s, c);
            AddUnit(s, text[++i]);
        } else {
            AddUnit(s, c);
        }
        out.push_back(std::move(s));
    }
    return out;
}

std::vector<std::u16string_view> SplitLines(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

namespace keys {

bool TypeStrokes(KeyPorts p, const std::vector<Stroke>& strokes, uint32_t delayMs) {
    if (delayMs == 0) {
        Stroke all;
        const uint32_t time = p.clock.TickMs();
        for (const Stroke& s : strokes)
            for (KeyRecord r : s) {
                r.time = time;
                all.push_back(r);
            }
        return all.empty() || p.injector.SendInput(all) == all.size();
    }
    for (const Stroke& s : strokes) {
        Stroke timed = s;
        const uint32_t time = p.clock.TickMs();
        for (KeyRecord& r : timed) r.time = time;
        if (p.injector.SendInput(timed) != timed.size()) return false;
        p.clock.SleepMs(delayMs);
    }
    return true;
}

bool SendShiftEnter(KeyPorts p) {
    const uint32_t time = p.clock.TickMs();
    const KeyRecord records[] = {
        {vk::kShift, 0, 0, time},
        {kVkReturn, 0, 0, time},
        {kVkReturn, 0, keyflag::kKeyUp, time},
        {vk::kShift, 0, keyflag::kKeyUp, time},
    };
    return p.injector.SendInput(records) == std::size(records);
}

}  // namespace keys
}  // namespace kx
