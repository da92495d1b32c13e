// IsWow64Process of the current process.
#pragma once

#include "platform/process_bitness.h"

namespace kx {

class Win32ProcessBitness final : public ProcessBitness {
public:
    bool RunsUnderWow64() override;
};

}  // namespace kx
