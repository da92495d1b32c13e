#include "app/main/main_toolbar.h"

#include <cwchar>

#include "app/resource_ids.h"
#include "app/win/wide.h"

namespace kx {
namespace {

// The system's standard toolbar images, loaded one set after the other: the
// standard set (STD_*) first, then the view set (VIEW_*).
constexpr int kViewBase = STD_PRINT + 1;
enum Image {
    kImgAdd = STD_FILENEW,
    kImgEdit = STD_PROPERTIES,
    kImgDelete = STD_DELETE,
    // Auto Complete is a check button: pressed while on.
    kImgAuto = STD_FIND,
    kImgOptions = kViewBase + VIEW_DETAILS,
    kImgExpandOn = kViewBase + VIEW_NETCONNECT,
    kImgExpandOff = kViewBase + VIEW_NETDISCONNECT,
};

struct ButtonDef {
    int command;
    int image;
    const wchar_t* text;
    const wchar_t* tooltip;
    BYTE style;
    BYTE state = TBSTATE_ENABLED;
};

const ButtonDef kButtons[] = {
    {CMD_NEW_SIMPLE, kImgAdd, L"Add", L"Add New Shortcut", BTNS_DROPDOWN},
    {CMD_EDIT, kImgEdit, L"Edit", L"Edit Shortcut", BTNS_BUTTON},
    {CMD_DELETE, kImgDelete, L"Delete", L"Delete Shortcut", BTNS_BUTTON},
    {0, 0, nullptr, nullptr, BTNS_SEP},
    {CMD_TOGGLE_AUTOCOMPLETE, kImgAuto, L"Auto", nullptr, BTNS_CHECK},
    {0, 0, nullptr, nullptr, BTNS_SEP},
    {CMD_OPTIONS, kImgOptions, L"Options", L"Open the Options window", BTNS_BUTTON},
    // The expansion switch (Ctrl+X) keeps its text and image here without
    // taking a place on the bar.
    {CMD_TOGGLE_EXPANSION, kImgExpandOn, L"Expand", nullptr, BTNS_BUTTON, TBSTATE_ENABLED | TBSTATE_HIDDEN},
};

}  // namespace

void MainToolbar::Create(HWND parent) {
    toolbar_ = ::CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                 WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | TBSTYLE_LIST |
                                     CCS_TOP | CCS_NODIVIDER,
                                 0, 0, 0, 0, parent, reinterpret_cast<HMENU>(IDC_TOOLBAR),
                                 ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageW(toolbar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS | TBSTYLE_EX_MIXEDBUTTONS);

    ::SendMessageW(toolbar_, TB_LOADIMAGES, IDB_STD_SMALL_COLOR, reinterpret_cast<LPARAM>(HINST_COMMCTRL));
    ::SendMessageW(toolbar_, TB_LOADIMAGES, IDB_VIEW_SMALL_COLOR, reinterpret_cast<LPARAM>(HINST_COMMCTRL));

    TBBUTTON buttons[std::size(kButtons)] = {};
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        const ButtonDef& d = kButtons[i];
        buttons[i].iBitmap = d.style == BTNS_SEP ? 0 : d.image;
        buttons[i].idCommand = d.command;
        buttons[i].fsState = d.state;
        buttons[i].fsStyle = BYTE(d.style | (d.text ? BTNS_SHOWTEXT | BTNS_AUTOSIZE : 0));
        buttons[i].iString = d.text ? reinterpret_cast<INT_PTR>(d.text) : -1;
    }
    ::SendMessageW(toolbar_, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons));
    ::SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
}

int MainToolbar::Height() const {
    RECT r{};
    ::GetWindowRect(toolbar_, &r);
    return r.bottom - r.top;
}

void MainToolbar::Layout() { ::SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0); }

void MainToolbar::Enable(int command, bool on) {
    ::SendMessageW(toolbar_, TB_ENABLEBUTTON, command, MAKELPARAM(on ? TRUE : FALSE, 0));
}

void MainToolbar::SetAutoCompleteButton(bool on, std::u16string_view tooltip) {
    ::SendMessageW(toolbar_, TB_CHECKBUTTON, CMD_TOGGLE_AUTOCOMPLETE, MAKELPARAM(on ? TRUE : FALSE, 0));
    autoTooltip_ = W(tooltip);
}

void MainToolbar::SetAutoCompleteText(std::u16string_view text) {
    autoText_ = W(text);
    TBBUTTONINFOW info{};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_TEXT;
    info.pszText = autoText_.data();
    ::SendMessageW(toolbar_, TB_SETBUTTONINFOW, CMD_TOGGLE_AUTOCOMPLETE, reinterpret_cast<LPARAM>(&info));
}

void MainToolbar::SetExpansionButton(bool on) {
    ::SendMessageW(toolbar_, TB_CHANGEBITMAP, CMD_TOGGLE_EXPANSION, MAKELPARAM(on ? kImgExpandOn : kImgExpandOff, 0));
    expandText_ = on ? L"Expand" : L"No Expand";
    TBBUTTONINFOW info{};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_TEXT;
    info.pszText = expandText_.data();
    ::SendMessageW(toolbar_, TB_SETBUTTONINFOW, CMD_TOGGLE_EXPANSION, reinterpret_cast<LPARAM>(&info));
}

RECT MainToolbar::ButtonRect(int command) const {
    RECT r{};
    ::SendMessageW(toolbar_, TB_GETRECT, command, reinterpret_cast<LPARAM>(&r));
    return r;
}

bool MainToolbar::OnInfoTip(NMTBGETINFOTIPW& tip) const {
    const wchar_t* text = nullptr;
    if (tip.iItem == CMD_TOGGLE_AUTOCOMPLETE) text = autoTooltip_.c_str();
    for (const ButtonDef& d : kButtons)
        if (d.command == tip.iItem && d.tooltip) text = d.tooltip;
    if (!text || !tip.pszText) return false;
    std::wcsncpy(tip.pszText, text, size_t(tip.cchTextMax) - 1);
    tip.pszText[tip.cchTextMax - 1] = 0;
    return true;
}

}  // namespace kx
