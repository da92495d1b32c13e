#include "engine/hooklink/accessible_password_win32.h"

#include <objbase.h>
#include <oleacc.h>

namespace kx {
namespace {

template <class T>
struct ComRef {
    T* p = nullptr;
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() { if (p) p->Release(); }
    T** Out() { return &p; }
    T* operator->() const { return p; }
    explicit operator bool() const { return p != nullptr; }
};

// COM for the length of one question, on whatever thread asks.
struct ComScope {
    HRESULT hr = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ~ComScope() { if (SUCCEEDED(hr)) ::CoUninitialize(); }
};

bool ProtectedState(IAccessible* object, VARIANT child) {
    VARIANT state;
    ::VariantInit(&state);
    if (FAILED(object->get_accState(child, &state))) return false;
    const bool isProtected = state.vt == VT_I4 && (state.lVal & STATE_SYSTEM_PROTECTED);
    ::VariantClear(&state);
    return isProtected;
}

bool MsaaSaysPassword(HWND focus) {
    ComRef<IAccessible> client;
    if (FAILED(::AccessibleObjectFromWindow(focus, DWORD(OBJID_CLIENT), IID_IAccessible,
                                            reinterpret_cast<void**>(client.Out()))) || !client)
        return false;
    VARIANT self;
    ::VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    // The focused child of the window's client, when it names one.
    VARIANT focused;
    ::VariantInit(&focused);
    bool password = false;
    if (SUCCEEDED(client->get_accFocus(&focused))) {
        if (focused.vt == VT_I4) {
            password = ProtectedState(client.p, focused);
        } else if (focused.vt == VT_DISPATCH && focused.pdispVal) {
            ComRef<IAccessible> child;
            if (SUCCEEDED(focused.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(child.Out()))) &&
                child)
                password = ProtectedState(child.p, self);
        }
        ::VariantClear(&focused);
    }
    return password || ProtectedState(client.p, self);
}

}  // namespace

std::atomic<uint64_t> AccessiblePasswordQuery::focusChanges_{0};

AccessiblePasswordQuery::AccessiblePasswordQuery() {
    hook_ = ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, OnFocusEvent, 0, 0,
                              WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
}

AccessiblePasswordQuery::~AccessiblePasswordQuery() {
    if (hook_) ::UnhookWinEvent(hook_);
}

void CALLBACK AccessiblePasswordQuery::OnFocusEvent(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
    focusChanges_.fetch_add(1, std::memory_order_relaxed);
}

bool AccessiblePasswordQuery::FocusIsPassword(HWND focus) {
    if (!focus) return false;
    return cache_.IsPassword(focusChanges_.load(std::memory_order_relaxed), reinterpret_cast<uintptr_t>(focus),
                             [focus] { return AskFocusedElementIsPassword(focus); });
}

bool AskFocusedElementIsPassword(HWND focus) {
    // A program that has not answered for 5 s would hold the keys' thread
    // as long as it stays hung.
    if (::IsHungAppWindow(::GetAncestor(focus, GA_ROOT))) return false;
    ComScope com;
    return MsaaSaysPassword(focus);
}

}  // namespace kx
