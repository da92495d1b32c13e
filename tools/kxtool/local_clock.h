// The local wall-clock time, for the backup names and an import's date fields.
#pragma once

#include <ctime>

#include "core/backup_names.h"

namespace kx {

inline LocalTime LocalClockNow() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
#if defined(_WIN32)
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace kx
