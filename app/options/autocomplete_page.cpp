#include "app/options/autocomplete_page.h"

#include <commctrl.h>

#include "app/options/option_controls.h"
#include "app/resource_ids.h"
#include "core/memory_label.h"

namespace kx {

uint32_t TotalVirtualForLabel() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    if (!::GlobalMemoryStatusEx(&status)) return 0;
    return uint32_t(status.ullTotalVirtual);
}

void AutoCompletePage::OnInit() {
    SettingsStore& settings = services_.settings;
    Item(IDC_OPT_AC_ENABLE).Check(settings.ReadBool(settings::AutoCompleteEnabled));
    Item(IDC_OPT_TOGGLE_AC).Check(settings.ReadBool(settings::ToggleAutoComplete));
    FillHotkeyList(Item(IDC_OPT_AC_COMBO), settings.Read(settings::ToggleAutoCompleteCombo));
    Item(IDC_OPT_AC_COMBO).Enable(Item(IDC_OPT_TOGGLE_AC).Checked());
    const Window slider = Item(IDC_OPT_MEMORY_SLIDER);
    slider.Send(TBM_SETRANGE, TRUE, MAKELPARAM(kMemorySliderMin, kMemorySliderMax));
    // The slider shows the limit in force, so that a limit that never
    // reached the dictionary does not look applied.
    const int position =
        memoryLimit_.position ? memoryLimit_.position() : int(settings.ReadInt(settings::SuggestionTrackbar));
    slider.Send(TBM_SETPOS, TRUE, position);
    ShowMemoryLabel();
    Item(IDC_SETUP_OUTLOOK).Check(settings.ReadBool(settings::ScanOutlookSentItems));
    Item(IDC_SETUP_THUNDERBIRD).Check(settings.ReadBool(settings::ScanThunderbirdSentItems));
}

void AutoCompletePage::ShowMemoryLabel() {
    const int position = int(Item(IDC_OPT_MEMORY_SLIDER).Send(TBM_GETPOS));
    Item(IDC_OPT_MEMORY_LABEL).SetText(MemoryLabelText(position, TotalVirtualForLabel()));
}

bool AutoCompletePage::OnMessage(UINT message, WPARAM, LPARAM lParam, INT_PTR& result) {
    if (message != WM_HSCROLL || reinterpret_cast<HWND>(lParam) != Item(IDC_OPT_MEMORY_SLIDER).Handle()) return false;
    ShowMemoryLabel();
    ::SendMessageW(Sheet(), PSM_CHANGED, WPARAM(Self().Handle()), 0);
    result = TRUE;
    return true;
}

void AutoCompletePage::OnCommand(int id, int code) {
    if (id == IDC_OPT_TOGGLE_AC) Item(IDC_OPT_AC_COMBO).Enable(Item(IDC_OPT_TOGGLE_AC).Checked());
    if (id == IDC_OPT_AC_COMBO && code == CBN_SELCHANGE)
        ChooseAutoCompleteHotkey(services_.settings, balloon_, Item(IDC_OPT_AC_COMBO));
    if (code == BN_CLICKED) ::SendMessageW(Sheet(), PSM_CHANGED, WPARAM(Self().Handle()), 0);
}

bool AutoCompletePage::OnApply() {
    SettingsStore& settings = services_.settings;
    settings.WriteBool(settings::AutoCompleteEnabled, Item(IDC_OPT_AC_ENABLE).Checked());
    const int position = int(Item(IDC_OPT_MEMORY_SLIDER).Send(TBM_GETPOS));
    settings.WriteInt(settings::SuggestionTrackbar, position);
    if (memoryLimit_.apply) memoryLimit_.apply(position);
    settings.WriteBool(settings::ToggleAutoComplete, Item(IDC_OPT_TOGGLE_AC).Checked());
    const std::u16string combo = ChosenHotkey(Item(IDC_OPT_AC_COMBO));
    if (!combo.empty()) settings.Write(settings::ToggleAutoCompleteCombo, combo);
    // The scans start or stop as the sheet closes (the application's part).
    settings.WriteBool(settings::ScanOutlookSentItems, Item(IDC_SETUP_OUTLOOK).Checked());
    settings.WriteBool(settings::ScanThunderbirdSentItems, Item(IDC_SETUP_THUNDERBIRD).Checked());
    return true;
}

}  // namespace kx
