// Whether the program runs as a 32-bit process on 64-bit Windows, where it
// needs its 64-bit companion to see 64-bit applications.
#pragma once

namespace kx {

class ProcessBitness {
public:
    virtual ~ProcessBitness() = default;
    virtual bool RunsUnderWow64() = 0;
};

}  // namespace kx
