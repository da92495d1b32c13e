// What a macro script reads from the machine it plays on: the local date and
// time for the date placeholders, the order in which the user writes short
// dates, and the key that types a character on the current keyboard layout.
// Tests and kxtool choose their own; the program uses WindowsMacroSystem.
#pragma once

#include <cstdint>

namespace kx {

struct LocalDateTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
};

// The user's order of month, day and year in short dates (the locale's
// LOCALE_IDATE value).
enum class ShortDateOrder : uint8_t { MonthDayYear = 0, DayMonthYear = 1, YearMonthDay = 2 };

class MacroSystem {
public:
    virtual ~MacroSystem() = default;
    virtual LocalDateTime Now() = 0;
    virtual ShortDateOrder DateOrder() = 0;
    // As VkKeyScanW: the virtual key in the low byte, the shift state in the
    // high byte, -1 when no key of the layout types `c`.
    virtual int16_t KeyScan(char16_t c) = 0;
};

}  // namespace kx
