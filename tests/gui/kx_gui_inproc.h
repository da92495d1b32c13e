// The request kx_gui_probe writes into kestrix.exe's memory for the menu
// reader it loads there (kx_gui_inproc.dll).
#pragma once

#include <windows.h>

struct KxMenuRequest {
    // kPopupItem: the screen point in the middle of the open popup menus'
    // item whose text (without "&" and the key after the tab) is the reply.
    enum Kind : int { kMainItem = 0, kOpenPopups = 1, kPopupItem = 2 };
    int kind;
    int command;       // kMainItem: the command of the menu bar's item
    DWORD thread;      // kOpenPopups, kPopupItem: the thread whose popup menus are read
    UINT state;        // kMainItem: GetMenuState's answer
    wchar_t reply[4096];
};
