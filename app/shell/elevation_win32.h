// Elevated starts of the program for the machine-wide run entry.
#pragma once

#include "app/shell/run_entries.h"

namespace kx {

class Win32Elevation final : public Elevation {
public:
    // Vista or later, not an administrator, and the program's folder is
    // closed to this user (an administrator installed it).
    bool Needed() override;
    bool RunElevated(std::u16string_view arguments) override;
};

}  // namespace kx
