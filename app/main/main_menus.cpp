#include "app/main/main_menus.h"

#include "app/main/key_names.h"
#include "app/main/menu_bitmaps.h"
#include "app/resource_ids.h"
#include "app/win/wide.h"

namespace kx {
namespace {

constexpr UINT kPopup = 65535;

struct MenuEntry {
    UINT command;      // kPopup opens (with text) or closes (without) a popup; 0 is a separator
    const wchar_t* text;
    BYTE modifiers = 0;
    UINT key = 0;
};

constexpr BYTE kCtrl = FCONTROL | FVIRTKEY;
constexpr BYTE kCtrlShift = FCONTROL | FSHIFT | FVIRTKEY;

const MenuEntry kMenuTable[] = {
    {kPopup, L"&File"},
    {CMD_LOAD, L"&Load Shortcuts...", kCtrl, 'L'},
    {CMD_SAVE, L"&Save Shortcuts...", kCtrl, 'S'},
    {CMD_SEARCH_PRINT, L"&Search/Print...", kCtrl, 'P'},
    {0, nullptr},
    {CMD_OPTIONS, L"&Options...", kCtrl, 'O'},
    {CMD_OPTIONS_SHARED, L"S&hared Shortcuts..."},
    {0, nullptr},
    {CMD_BACKUP, L"Backup Data..."},
    {CMD_RESTORE, L"Restore Data..."},
    {0, nullptr},
    {CMD_IMPORT_OTHER, L"&Import from Another Program..."},
    {CMD_EXPORT_CSV, L"&Export to CSV..."},
    {kPopup, nullptr},
    {kPopup, L"&Shortcut"},
    {kPopup, L"Add &New Shortcut"},
    {CMD_NEW_SIMPLE, L"Simple Text Shortcut...", kCtrlShift, 'S'},
    {CMD_NEW_RICH, L"Rich Text Shortcut...", kCtrlShift, 'R'},
    {CMD_NEW_PICTURE, L"Picture Shortcut...", kCtrlShift, 'P'},
    {CMD_NEW_MACRO, L"Macro Shortcut (advanced)...", kCtrlShift, 'M'},
    {kPopup, nullptr},
    {CMD_DELETE, L"&Delete Shortcut", kCtrl, VK_DELETE},
    {CMD_EDIT, L"&Edit Shortcut...", kCtrl, 'E'},
    {0, nullptr},
    {kPopup, L"&Groups"},
    {kPopup, nullptr},
    {kPopup, nullptr},
    {kPopup, L"&Help"},
    {CMD_HELP_TOPICS, L"&Help Topics", FVIRTKEY, VK_F1},
    {CMD_HELP_QUICKSTART, L"&Quick Start Guide"},
    {kPopup, nullptr},
};

// Keys without a menu item.
const ACCEL kExtraKeys[] = {
    {kCtrl, 'A', CMD_SELECT_ALL},
    {kCtrl, 'X', CMD_TOGGLE_EXPANSION},
    {kCtrl, 'F', CMD_LIST_FILTER},
};

}  // namespace

void MainMenus::Build(HWND window) {
    window_ = window;
    HMENU bar = ::GetMenu(window);
    if (!bar) {
        bar = ::CreateMenu();
        ::SetMenu(window, bar);
    }
    const int placeholders = ::GetMenuItemCount(bar);
    std::vector<HMENU> stack{bar};
    std::vector<ACCEL> accels(std::begin(kExtraKeys), std::end(kExtraKeys));
    for (const MenuEntry& e : kMenuTable) {
        if (e.command == kPopup && e.text) {
            HMENU popup = ::CreatePopupMenu();
            ::AppendMenuW(stack.back(), MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), e.text);
            if (std::wstring_view(e.text) == L"&Groups") groups_ = popup;
            stack.push_back(popup);
        } else if (e.command == kPopup) {
            stack.pop_back();
        } else if (e.command == 0) {
            ::AppendMenuW(stack.back(), MF_SEPARATOR, 0, nullptr);
        } else {
            std::wstring text = e.text;
            if (e.key) {
                text += L"\t" + AcceleratorText(e.modifiers, e.key);
                accels.push_back({e.modifiers, WORD(e.key), WORD(e.command)});
            }
            ::AppendMenuW(stack.back(), MF_STRING, e.command, text.c_str());
        }
    }
    for (int i = 0; i < placeholders; ++i) ::DeleteMenu(bar, 0, MF_BYPOSITION);
    accelerators_.Reset(::CreateAcceleratorTableW(accels.data(), int(accels.size())));
    ::DrawMenuBar(window);
}

void MainMenus::RebuildGroups(const std::vector<GroupsMenuItem>& items) {
    if (!groups_) return;
    while (::GetMenuItemCount(groups_) > 0) ::DeleteMenu(groups_, 0, MF_BYPOSITION);
    for (const GroupsMenuItem& item : items) {
        if (item.text.empty()) ::AppendMenuW(groups_, MF_SEPARATOR, 0, nullptr);
        else ::AppendMenuW(groups_, MF_STRING | (item.checked ? MF_CHECKED : 0), UINT_PTR(item.command),
                           W(item.text).c_str());
    }
}

void MainMenus::Enable(int command, bool on) {
    ::EnableMenuItem(Bar(), UINT(command), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

int MainMenus::ShowAddMenu(HWND owner, POINT at) {
    UniqueMenu menu(::CreatePopupMenu());
    struct Item { UINT command; const wchar_t* text; int icon; };
    const Item items[] = {{CMD_NEW_SIMPLE, L"&Simple Text Shortcut...", IDI_ROW_SIMPLE},
                          {CMD_NEW_RICH, L"&Rich Text Shortcut...", IDI_ROW_RICH},
                          {CMD_NEW_PICTURE, L"&Picture Shortcut...", IDI_ROW_PICTURE},
                          {CMD_NEW_MACRO, L"&Macro Shortcut (advanced)...", IDI_ROW_MACRO}};
    if (bitmaps_.empty())
        for (const Item& item : items) bitmaps_.emplace_back(MenuBitmapFromIcon(item.icon));
    for (size_t i = 0; i < std::size(items); ++i) {
        ::AppendMenuW(menu.Get(), MF_STRING, items[i].command, items[i].text);
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_BITMAP;
        info.hbmpItem = bitmaps_[i].Get();
        ::SetMenuItemInfoW(menu.Get(), items[i].command, FALSE, &info);
        const UINT state = ::GetMenuState(Bar(), items[i].command, MF_BYCOMMAND);
        if (state != UINT(-1) && (state & MF_GRAYED)) ::EnableMenuItem(menu.Get(), items[i].command, MF_GRAYED);
    }
    return int(::TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, owner,
                                nullptr));
}

}  // namespace kx
