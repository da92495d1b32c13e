// The keystroke sequences the program injects: erasing by Backspace,
// selecting to the left, the Ctrl+V paste, the double-space replacement and
// the release of a held SHIFT. Each record carries the tick count read when
// its sequence is built. A sequence succeeds only when every record was
// inserted; a sequence of several calls stops at the first short one.
#pragma once

#include <cstdint>

#include "platform/clock.h"
#include "platform/key_injector.h"

namespace kx {

struct KeyPorts {
    KeyInjector& injector;
    Clock& clock;
};

namespace keys {

// n + 1 taps of Backspace, one SendInput call per tap.
bool SendBackspaces(KeyPorts p, unsigned n);
// The key pressed and released twice, one call per tap.
bool TapKeyTwice(KeyPorts p, uint16_t vk);
// One call: SHIFT down, n extended Left taps, SHIFT up.
bool SelectLeft(KeyPorts p, unsigned n);
// One call: CTRL down, V down, V up, CTRL up.
bool SendCtrlV(KeyPorts p);
// One call: Backspace twice, then full stop and space; two typed spaces
// become ". ".
bool SendDoubleSpaceFix(KeyPorts p);
// When SHIFT is down: left, right and generic SHIFT released by keybd_event.
void ReleaseShift(KeyInjector& injector);

}  // namespace keys
}  // namespace kx
