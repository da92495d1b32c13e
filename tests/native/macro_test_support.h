// A machine for macro tests: a fixed date, a chosen short-date order, and a
// keyboard layout with keys for letters, digits, space and the full stop.
// Records are spelt out as the injector receives them.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "engine/macro/key_command.h"
#include "engine/macro/macro_parse.h"
#include "engine/macro/macro_system.h"
#include "engine/macro/other_command.h"

namespace kx::macrotest {

class FakeMacroSystem final : public MacroSystem {
public:
    LocalDateTime now{2026, 3, 7, 9, 5, 2};
    ShortDateOrder order = ShortDateOrder::MonthDayYear;

    LocalDateTime Now() override { return now; }
    ShortDateOrder DateOrder() override { return order; }
    int16_t KeyScan(char16_t c) override {
        if (c >= u'a' && c <= u'z') return int16_t(c - u'a' + u'A');
        if (c >= u'A' && c <= u'Z') return int16_t(0x100 | c);  // with SHIFT
        if ((c >= u'0' && c <= u'9') || c == u' ') return int16_t(c);
        if (c == u'.') return 0xBE;  // VK_OEM_PERIOD
        return -1;
    }
};

// A virtual-key press and release, flags as SendInput takes them.
inline KeyRecord VkDown(uint16_t vk) { return {vk, 0, 0x0000, 0}; }
inline KeyRecord VkUp(uint16_t vk) { return {vk, 0, 0x0002, 0}; }
// A character press and release (KEYEVENTF_UNICODE, the character as scan code).
inline KeyRecord UniDown(char16_t c) { return {0, uint16_t(c), 0x0004, 0}; }
inline KeyRecord UniUp(char16_t c) { return {0, uint16_t(c), 0x0006, 0}; }

using Records = std::vector<KeyRecord>;

// Typing each character of `text` as Unicode press and release.
inline Records Typed(std::u16string_view text) {
    Records r;
    for (char16_t c : text) {
        r.push_back(UniDown(c));
        r.push_back(UniUp(c));
    }
    return r;
}
inline Records Tapped(uint16_t vk) { return {VkDown(vk), VkUp(vk)}; }
inline Records operator+(Records a, const Records& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The one command a line makes, when it is of kind T (1 keyboard, 5 a
// pause or program start).
template <class T, int kKind>
T Parse(std::u16string_view line, FakeMacroSystem system = {}) {
    std::unique_ptr<MacroCommand> c = ParseLine(line, system);
    if (!c || c->Kind() != kKind) {
        ADD_FAILURE() << "not a command of kind " << kKind;
        return T{};
    }
    return static_cast<T&>(*c);
}
inline KeyCommand ParseKeys(std::u16string_view line, FakeMacroSystem system = {}) {
    return Parse<KeyCommand, 1>(line, system);
}
inline OtherCommand ParseOther(std::u16string_view line) { return Parse<OtherCommand, 5>(line); }

}  // namespace kx::macrotest
