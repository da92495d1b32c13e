#include "engine/matcher/key_event.h"

namespace kx {
namespace {
uint32_t Get32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
void Put32(uint8_t* p, uint32_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v >> 16); p[3] = uint8_t(v >> 24); }
}  // namespace

void EncodeKeyEvent(const KeyEvent& e, uint8_t out[kKeyEventWireSize]) {
    Put32(out, e.vk);
    out[4] = uint8_t(e.ch);
    out[5] = uint8_t(e.ch >> 8);
    out[6] = e.isDown;
    out[7] = e.auxFlag;
    out[8] = e.focus;
    out[9] = 0;
    out[10] = e.modifiers;
    out[11] = e.stateFlags;
    Put32(out + 12, e.position);
}

KeyEvent DecodeKeyEvent(const uint8_t in[kKeyEventWireSize]) {
    KeyEvent e;
    e.vk = Get32(in);
    e.ch = char16_t(in[4] | in[5] << 8);
    e.isDown = in[6];
    e.auxFlag = in[7];
    e.focus = in[8];
    e.modifiers = in[10];
    e.stateFlags = in[11];
    e.position = Get32(in + 12);
    return e;
}

}  // namespace kx
