// Text typed as characters instead of pasted, for programs whose rule says
// "Type" (remote sessions without a shared clipboard), and the SHIFT+Enter
// that breaks a line in a chat program without sending the message.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/output/key_sequences.h"

namespace kx {

inline constexpr uint16_t kVkReturn = 0x0D;

// The records of one character: the press and release of a UTF-16 unit
// (KEYEVENTF_UNICODE), of both units of a surrogate pair, which must arrive
// together, or a tap of Enter for a line break (CR LF, CR or LF alone).
using Stroke = std::vector<KeyRecord>;
std::vector<Stroke> TypedStrokes(std::u16string_view text);

// The lines of `text`, broken at CR LF, CR or LF; text ending in a break has
// an empty last line.
std::vector<std::u16string_view> SplitLines(std::u16string_view text);

namespace keys {

// Without a delay, every stroke in one call, so that no key of the user's
// lands in between; with one, a call per stroke and the delay after each.
bool TypeStrokes(KeyPorts p, const std::vector<Stroke>& strokes, uint32_t delayMs);
// One call: SHIFT down, Enter down and up, SHIFT up.
bool SendShiftEnter(KeyPorts p);

}  // namespace keys
}  // namespace kx
