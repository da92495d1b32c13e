#include "engine/macro/macro_system_win32.h"

#include <windows.h>

namespace kx {
namespace {

ShortDateOrder ReadDateOrder() {
    wchar_t value[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDATE, value, 8) > 0) {
        if (value[0] == L'1') return ShortDateOrder::DayMonthYear;
        if (value[0] == L'2') return ShortDateOrder::YearMonthDay;
    }
    return ShortDateOrder::MonthDayYear;
}

class Win32MacroSystem final : public MacroSystem {
public:
    LocalDateTime Now() override {
        SYSTEMTIME t = {};
        GetLocalTime(&t);
        return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
    }
    ShortDateOrder DateOrder() override {
        static const ShortDateOrder order = ReadDateOrder();  // thread-safe, read once
        return order;
    }
    int16_t KeyScan(char16_t c) override { return VkKeyScanW(wchar_t(c)); }
};

}  // namespace

MacroSystem& WindowsMacroSystem() {
    static Win32MacroSystem system;  // stateless
    return system;
}

}  // namespace kx
