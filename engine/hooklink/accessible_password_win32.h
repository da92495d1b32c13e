// Asks the focused element whether it is a password field, through UI
// Automation and MSAA: browsers, WPF and Store apps draw their own fields,
// which have no ES_PASSWORD style and say so only there. Keys typed in them
// are then neither expanded nor learned.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "engine/hooklink/focus_rules.h"

namespace kx {

class AccessiblePasswordQuery {
public:
    // Counts the system's focus events (EVENT_OBJECT_FOCUS, which a browser
    // raises for each field within its one window), delivered through the
    // calling thread's message loop.
    AccessiblePasswordQuery();
    ~AccessiblePasswordQuery();
    AccessiblePasswordQuery(const AccessiblePasswordQuery&) = delete;
    AccessiblePasswordQuery& operator=(const AccessiblePasswordQuery&) = delete;

    // Whether the focused element, within `focus`, reports itself a password
    // field; asked once per focus change.
    bool FocusIsPassword(HWND focus);

private:
    static void CALLBACK OnFocusEvent(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD);
    static std::atomic<uint64_t> focusChanges_;
    HWINEVENTHOOK hook_ = nullptr;
    PasswordFieldCache cache_;
};

// Documented rules: MSAA's STATE_SYSTEM_PROTECTED marks a password field,
// in the state of the focused object or child of the window's client
// (get_accFocus); and the UI Automation to MSAA bridge answers MSAA for a
// UI Automation provider (WPF, Store apps), mapping its IsPassword property
// (UIA_IsPasswordPropertyId) to STATE_SYSTEM_PROTECTED, so one question
// reaches both. False when the window's program is hung or nothing answers.
bool AskFocusedElementIsPassword(HWND focus);

}  // namespace kx
