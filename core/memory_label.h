// The label beside Auto Complete's "Maximum Memory Usage" slider: the
// slider's position as a share of the process's address space, and what
// that share amounts to.
#pragma once

#include <cstdint>
#include <string>

namespace kx {

inline constexpr int kMemorySliderMin = 1;
inline constexpr int kMemorySliderMax = 30;

// "%d Bytes" below 1,024, then "%0.2f KB", "%0.2f MB" below 1,073,741,824,
// and "%0.2f GB".
std::u16string MemoryAmountText(double bytes);

// "%d%% .... %s": the position, and position hundredths of the total
// virtual address space (as the system reports it, taken as 32 bits).
std::u16string MemoryLabelText(int position, uint32_t totalVirtual);

}  // namespace kx
