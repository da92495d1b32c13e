#include "app/options/options_sheet.h"

#include <commctrl.h>

#include "app/options/autocomplete_page.h"
#include "app/options/general_page.h"
#include "app/options/shared_page.h"
#include "app/resource_ids.h"

namespace kx {

void RunOptionsSheet(HWND owner, AppServices& services, OptionsPage start, std::function<void(int)> applyMemoryLimit) {
    GeneralPage general(services);
    SharedPage shared(services);
    AutoCompletePage autoComplete(services, std::move(applyMemoryLimit));
    PROPSHEETPAGEW pages[] = {general.Describe(IDD_OPTIONS_GENERAL), shared.Describe(IDD_OPTIONS_SHARED),
                              autoComplete.Describe(IDD_OPTIONS_AUTOCOMPLETE)};
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP;
    header.hwndParent = owner;
    header.hInstance = ::GetModuleHandleW(nullptr);
    header.pszCaption = L"Kestrix Options";
    header.nPages = UINT(std::size(pages));
    header.nStartPage = UINT(start);
    header.ppsp = pages;
    ::PropertySheetW(&header);
}

}  // namespace kx
