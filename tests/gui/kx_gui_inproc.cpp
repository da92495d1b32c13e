// Loaded into kestrix.exe by kx_gui_probe (a thread of its own, started from
// outside) to read menus: Wine keeps a menu's items in the process that made
// it, so GetMenuState and GetMenuString answer only there.
//
// KxReadMenus takes a request in the program's memory, fills its reply and
// returns 0, or 1 when there was nothing to read.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "tests/gui/kx_gui_inproc.h"

namespace {

void Append(KxMenuRequest& r, const wchar_t* text) {
    const size_t used = std::wcslen(r.reply);
    const size_t room = sizeof(r.reply) / sizeof(wchar_t) - used - 1;
    std::wcsncat(r.reply, text, room);
}

// One line per item: state letters ("-" enabled, "g" grayed, "c" checked),
// a tab and the text; separators are a line "-".
void ListItems(KxMenuRequest& r, HMENU menu) {
    const int n = ::GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        const UINT state = ::GetMenuState(menu, UINT(i), MF_BYPOSITION);
        wchar_t text[256] = {};
        ::GetMenuStringW(menu, UINT(i), text, 256, MF_BYPOSITION);
        if (state & MF_SEPARATOR) {
            Append(r, L"-\n");
            continue;
        }
        Append(r, state & (MF_GRAYED | MF_DISABLED) ? L"g" : L"-");
        Append(r, state & MF_CHECKED ? L"c\t" : L"\t");
        Append(r, text);
        Append(r, L"\n");
    }
}

// The label a user reads: the text before the tab, without "&".
std::wstring Label(HMENU menu, int i) {
    wchar_t text[256] = {};
    ::GetMenuStringW(menu, UINT(i), text, 256, MF_BYPOSITION);
    std::wstring label;
    for (const wchar_t* c = text; *c && *c != L'\t'; ++c)
        if (*c != L'&') label.push_back(*c);
    return label;
}

bool FindItem(KxMenuRequest& r, HWND w, HMENU menu) {
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        RECT rect{};
        if (Label(menu, i) != r.reply || !::GetMenuItemRect(w, menu, UINT(i), &rect)) continue;
        std::swprintf(r.reply, 64, L"%ld %ld", (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        return true;
    }
    return false;
}

}  // namespace

extern "C" __declspec(dllexport) DWORD WINAPI KxReadMenus(void* parameter) {
    auto& r = *static_cast<KxMenuRequest*>(parameter);
    if (r.kind != KxMenuRequest::kPopupItem) r.reply[0] = 0;
    if (r.kind == KxMenuRequest::kMainItem) {
        HWND main = ::FindWindowW(nullptr, L"Kestrix Text Expander Software");
        HMENU bar = main ? ::GetMenu(main) : nullptr;
        const UINT state = bar ? ::GetMenuState(bar, UINT(r.command), MF_BYCOMMAND) : UINT(-1);
        if (state == UINT(-1)) return 1;
        ::GetMenuStringW(bar, UINT(r.command), r.reply, 256, MF_BYCOMMAND);
        r.state = state;
        return 0;
    }
    // The open popup menus of the thread, the topmost first.
    struct Walk { KxMenuRequest* r; int found; } walk{&r, 0};
    ::EnumThreadWindows(r.thread, [](HWND w, LPARAM p) -> BOOL {
        auto* walk = reinterpret_cast<Walk*>(p);
        wchar_t cls[16] = {};
        ::GetClassNameW(w, cls, 16);
        if (std::wcscmp(cls, L"#32768") != 0 || !::IsWindowVisible(w)) return TRUE;
        HMENU menu = reinterpret_cast<HMENU>(::SendMessageW(w, MN_GETHMENU, 0, 0));
        if (!menu) return TRUE;
        if (walk->r->kind == KxMenuRequest::kPopupItem) {
            if (FindItem(*walk->r, w, menu)) ++walk->found;
            return walk->found ? FALSE : TRUE;
        }
        if (walk->found++) Append(*walk->r, L"\n");
        ListItems(*walk->r, menu);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&walk));
    return walk.found ? 0 : 1;
}
