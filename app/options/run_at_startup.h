// The options' "Run Kestrix automatically at startup" with its "When:"
// list, read from and applied to the run entries.
#pragma once

#include <cstdint>

#include "app/shell/run_entries.h"

namespace kx {

enum class RunChoice : uint8_t { Off, AllUsers, ThisUser };

inline constexpr char16_t kRunAllUsersText[] = u"Start when any user logs on.";
inline constexpr char16_t kRunThisUserText[] = u"Start when this user logs on only.";
inline constexpr char16_t kRunNeedsAdminText[] =
    u"To fully install or deactivate Kestrix as a service, Administrator Access is required. Please log in or run "
    u"as Administrator and try again.";
inline constexpr char16_t kRunAddFailedText[] = u"Kestrix could not be installed to auto run. Auto run will now be disabled";

// The machine value means every user; the user value alone, this user.
RunChoice CurrentRunChoice(const RunEntries& entries);

struct RunChoiceResult {
    bool adminNeeded = false;  // an elevated change was needed and not made
    bool addFailed = false;    // and it was to start with Windows
};

// Adds and removes entries until they say what the user chose.
RunChoiceResult ApplyRunChoice(RunEntries& entries, Elevation* elevation, RunChoice wanted);

}  // namespace kx
