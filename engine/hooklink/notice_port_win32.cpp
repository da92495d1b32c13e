#include "engine/hooklink/notice_port_win32.h"

#include "engine/hooklink/hook_protocol.h"

namespace kx {

NoticePort::NoticePort() : message_(::RegisterWindowMessageW(hookproto::kNoticeMessageName)) {}

bool NoticePort::Post(int kind, intptr_t value) const {
    HWND window = window_.load();
    const UINT message = message_.load();
    return window && message && ::PostMessageW(window, message, WPARAM(kind), LPARAM(value));
}

}  // namespace kx
