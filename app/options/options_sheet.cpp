#include "app/options/options_sheet.h"

#include <commctrl.h>

#include "app/options/autocomplete_page.h"
#include "app/options/general_page.h"
#include "app/options/programs_page.h"
#include "app/options/shared_page.h"
#include "app/resource_ids.h"

namespace kx {

void RunOptionsSheet(HWND owner, AppServices& services, OptionsPage start, MemoryLimitAccess memoryLimit) {
    GeneralPage general(services);
    SharedPage shared(services);
    AutoCompletePage autoComplete(services, std::move(memoryLimit));
    ProgramsPage programs(services);
    PROPSHEETPAGEW pages[] = {general.Describe(IDD_OPTIONS_GENERAL), shared.Describe(IDD_OPTIONS_SHARED),
                              autoComplete.Describe(IDD_OPTIONS_AUTOCOMPLETE), programs.Describe(IDD_OPTIONS_PROGRAMS)};
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    // The Help button opens the page's topic; a page without one grays it.
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP | PSH_HASHELP;
    header.hwndParent = owner;
    header.hInstance = ::GetModuleHandleW(nullptr);
    header.pszCaption = L"Kestrix Options";
    header.nPages = UINT(std::size(pages));
    header.nStartPage = UINT(start);
    header.ppsp = pages;
    ::PropertySheetW(&header);
}

}  // namespace kx
