// The wait cursor of the program's windows.
#pragma once

#include "platform/busy_cursor.h"

namespace kx {

class Win32BusyCursor final : public BusyCursor {
public:
    void Begin() override;
    void End() override;

private:
    void* previous_ = nullptr;  // HCURSOR
    int depth_ = 0;
};

}  // namespace kx
