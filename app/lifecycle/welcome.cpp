#include "app/lifecycle/welcome.h"

#include <commctrl.h>

#include "app/resource_ids.h"

namespace kx {

int AskWelcomeChoice(HWND owner) {
    const TASKDIALOG_BUTTON choices[] = {
        {CMD_WELCOME_VIDEO, L"View an introduction video\nWatch a video about the basics of Kestrix."},
        {CMD_WELCOME_GUIDE, L"Read the quick start guide\nThis guide will introduce you to the features in Kestrix."},
        {CMD_WELCOME_DEMO, L"Try the Kestrix demo\nTry out the default Kestrix shortcuts."},
        {CMD_WELCOME_OWN, L"Set up your own shortcuts\nJump right in."},
    };
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof(config);
    config.hwndParent = owner;
    config.hInstance = ::GetModuleHandleW(nullptr);
    config.dwFlags = TDF_USE_COMMAND_LINKS | TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.dwCommonButtons = TDCBF_CLOSE_BUTTON;
    config.pszWindowTitle = L"Welcome to Kestrix Typing Shortcut Expander";
    config.pszMainInstruction = L"How would you like to begin?";
    config.pszContent =
        L"Kestrix will improve your typing speed by letting you set shortcuts for text you use frequently. To get "
        L"started, please select one of these options.";
    config.cButtons = UINT(std::size(choices));
    config.pButtons = choices;
    config.nDefaultButton = CMD_WELCOME_OWN;
    int chosen = 0;
    if (FAILED(::TaskDialogIndirect(&config, &chosen, nullptr, nullptr))) return 0;
    return chosen == IDCLOSE || chosen == IDCANCEL ? 0 : chosen;
}

bool ReplaceDemoCopy(const std::wstring& demo, const std::wstring& copy) {
    DWORD pause = 8, waited = 0;
    while (::GetFileAttributesW(copy.c_str()) != INVALID_FILE_ATTRIBUTES && !::DeleteFileW(copy.c_str())) {
        if (waited >= 1000) break;
        ::Sleep(pause);
        waited += pause;
        pause *= 2;
    }
    return ::CopyFileW(demo.c_str(), copy.c_str(), FALSE) != FALSE;
}

}  // namespace kx
