#include "engine/macro/date_placeholders.h"

#include <cstdio>

#include "base/text.h"

namespace kx {
namespace {

enum class DateForm { DateTimeSeconds, DateTimeMinutes, Date, ShortDate };

struct Placeholder {
    std::u16string_view text;
    DateForm form;
};

// Each form's text begins with the next one's, so the longer ones go first.
constexpr Placeholder kPlaceholders[] = {
    {u"\"system date YYYY-MM-DD HH:MM:SS\"", DateForm::DateTimeSeconds},
    {u"\"system date YYYY-MM-DD HH:MM\"", DateForm::DateTimeMinutes},
    {u"\"system date YYYY-MM-DD\"", DateForm::Date},
    {u"\"system date MM/DD/YY\"", DateForm::ShortDate},
};

std::string FormatDate(DateForm form, MacroSystem& system) {
    const LocalDateTime t = system.Now();
    char buf[64];
    switch (form) {
    case DateForm::DateTimeSeconds:
        std::snprintf(buf, sizeof buf, "%.4d-%.2d-%.2d %.2d:%.2d:%.2d", t.year, t.month, t.day, t.hour, t.minute, t.second);
        break;
    case DateForm::DateTimeMinutes:
        std::snprintf(buf, sizeof buf, "%.4d-%.2d-%.2d %.2d:%.2d", t.year, t.month, t.day, t.hour, t.minute);
        break;
    case DateForm::Date:
        std::snprintf(buf, sizeof buf, "%.4d-%.2d-%.2d", t.year, t.month, t.day);
        break;
    case DateForm::ShortDate: {
        const int yy = t.year % 100;
        switch (system.DateOrder()) {
        case ShortDateOrder::DayMonthYear: std::snprintf(buf, sizeof buf, "%.2d/%.2d/%.2d", t.day, t.month, yy); break;
        case ShortDateOrder::YearMonthDay: std::snprintf(buf, sizeof buf, "%.2d/%.2d/%.2d", yy, t.month, t.day); break;
        default: std::snprintf(buf, sizeof buf, "%.2d/%.2d/%.2d", t.month, t.day, yy); break;
        }
        break;
    }
    }
    return buf;
}

}  // namespace

std::u16string ApplyDatePlaceholders(std::u16string_view line, MacroSystem& system) {
    for (const Placeholder& p : kPlaceholders) {
        const size_t at = line.find(p.text);
        if (at == std::u16string_view::npos) continue;
        std::u16string out(line.substr(0, at));
        out += u'"';
        out += U16(FormatDate(p.form, system));
        out += u'"';
        return out;
    }
    return std::u16string(line);
}

}  // namespace kx
