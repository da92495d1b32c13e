#include "engine/hooklink/focus_rules.h"

#include "engine/matcher/key_event.h"

namespace kx {
namespace {

constexpr uint32_t kEsPassword = 0x20;

// The hook module links these rules without base's text helpers, so the
// class names are compared here rather than with EqualsNoCaseAscii.
bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'a' && x <= u'z') x -= 32;
        if (y >= u'a' && y <= u'z') y -= 32;
        if (x != y) return false;
    }
    return true;
}

}  // namespace

bool IsPasswordBox(const FocusDescription& d) {
    if (d.reportsPassword) return true;
    return (EqualsNoCase(d.className, u"Edit") || EqualsNoCase(d.className, u"TEdit")) && (d.style & kEsPassword);
}

bool PasswordFieldCache::IsPassword(uint64_t focusChanges, uintptr_t focusWindow, const std::function<bool()>& ask) {
    if (known_ && focusChanges == changes_ && focusWindow == window_) return answer_;
    known_ = true;
    changes_ = focusChanges;
    window_ = focusWindow;
    answer_ = ask();
    return answer_;
}

bool IsOwnWindow(const FocusDescription& d) { return d.focusWindow != 0 && d.processId == d.ownProcessId; }

uint8_t FocusFlags(const FocusDescription& d) {
    uint8_t flags = focus::kKnown;
    if (IsPasswordBox(d)) flags |= focus::kPasswordBox;
    if (IsOwnWindow(d)) flags |= focus::kOwnWindow;
    return flags;
}

bool SuspendsKey(uint8_t focusFlags) {
    return (focusFlags & focus::kKnown) && (focusFlags & (focus::kPasswordBox | focus::kOwnWindow));
}

}  // namespace kx
