// The program's entry: one running copy per session, a later start hands
// its command line to it; otherwise the main window and its loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <vector>

#include "app/lifecycle/installer_switches.h"
#include "app/lifecycle/single_instance.h"
#include "app/lifecycle/switches.h"
#include "app/main/app_core.h"
#include "app/main/edit_keys.h"
#include "app/shell/run_entries.h"
#include "app/win/wide.h"
#include "platform/win32/module_loading.h"
#include "platform/win32/registry_win32.h"

namespace {

std::vector<std::u16string> SplitCommandLine() {
    int count = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::u16string> args;
    for (int i = 0; i < count; ++i) args.push_back(kx::U(argv[i]));
    if (argv) ::LocalFree(argv);
    return args;
}

// Under a Windows emulator the program runs from its own folder.
void EnterProgramFolderUnderEmulation() {
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (kernel && ::GetProcAddress(kernel, "wine_get_unix_file_name"))
        ::SetCurrentDirectoryW(kx::ProgramFolder().c_str());
}

// The switches that run a short task and end the start. True when one ran.
bool RunTaskSwitch(const std::vector<std::u16string>& args) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const kx::InstallerRequest installer = kx::InstallerRequestFor(args);
    if (installer != kx::InstallerRequest::None) {
        kx::RunInstallerRequest(installer, kx::U(path));
        return true;
    }
    const kx::AutorunRequest request = kx::AutorunRequestFor(args);
    if (request == kx::AutorunRequest::None) return false;
    kx::Win32Registry registry;
    kx::RunEntries entries(registry, kx::U(path));
    if (request == kx::AutorunRequest::Add) entries.WriteMachineValue();
    else if (request == kx::AutorunRequest::Remove) entries.DeleteMachineValue();
    return true;
}

// A key pressed in the main window's search box that the box edits with.
bool EditBoxKeeps(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    wchar_t cls[16] = {};
    if (!::GetClassNameW(msg.hwnd, cls, 16) || ::lstrcmpiW(cls, L"Edit") != 0) return false;
    return kx::EditBoxOwnsKey(unsigned(msg.wParam), ::GetKeyState(VK_CONTROL) < 0, ::GetKeyState(VK_MENU) < 0);
}

int RunMessageLoop(kx::AppCore& core) {
    HWND main = core.Window();
    MSG msg;
    while (::IsWindow(main)) {
        if (::GetMessageW(&msg, nullptr, 0, 0) != 1) {
            if (::IsWindow(main)) ::DestroyWindow(main);
            break;
        }
        const bool ours = msg.hwnd == main || ::IsChild(main, msg.hwnd);
        if (ours && core.Accelerators() && !EditBoxKeeps(msg) &&
            ::TranslateAcceleratorW(main, core.Accelerators(), &msg)) {
            core.RefreshState();
            continue;
        }
        if (::IsDialogMessageW(main, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    return 0;
}

int Run(const std::vector<std::u16string>& args, kx::StartupMutex& mutex) {
    kx::InstanceWindow instance;
    instance.Create();
    kx::AppCore core(args);
    HWND main = core.CreateMainWindow();
    if (!main) {
        instance.Destroy();
        return 1;
    }
    instance.SetMainWindow(main);
    core.PlaceWindow(kx::StartsAtLogon(args));
    core.OnCommandLine(args);
    mutex.Release();
    const int code = RunMessageLoop(core);
    instance.Destroy();
    return code;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before anything is loaded by name: system modules from the system
    // folder only, ours by their full path in our own folder.
    kx::RestrictModuleSearch();
    const std::vector<std::u16string> args = SplitCommandLine();
    EnterProgramFolderUnderEmulation();
    if (args.size() > 1 && !args[1].empty() && args[1][0] == u'-' && RunTaskSwitch(args)) return 0;

    kx::StartupMutex mutex;
    mutex.Take();
    if (HWND running = kx::FindRunningInstance()) {
        kx::ForwardCommandLine(running, args);
        mutex.Release();
        return 0;
    }
    {
        // This copy runs: no upgrade is under way that ended it.
        kx::Win32Registry registry;
        kx::ForgetUnfinishedUpgrade(registry);
    }

    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES |
                                              ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    const int code = Run(args, mutex);
    if (SUCCEEDED(com)) ::CoUninitialize();
    return code;
}
