// The installer switches' host on Windows: the running copy found through
// its instance window, and the start of the installed program.
#include <windows.h>

#include "app/lifecycle/installer_switches.h"
#include "app/lifecycle/single_instance.h"
#include "app/shell/elevation_win32.h"
#include "app/win/wide.h"
#include "engine/hooklink/named_objects_win32.h"
#include "platform/win32/handles.h"
#include "platform/win32/registry_win32.h"

namespace kx {
namespace {

// Long enough for the running copy to save its learned phrases; a copy that
// does not end by then is left to the installer's files-in-use handling
// rather than killed with unsaved data.
constexpr DWORD kEndWaitMs = 30000;

// The desktop user's own token, taken from the shell that owns the desktop
// window (GetShellWindow), as a primary token to start a program with.
UniqueHandle ShellUserToken() {
    HWND shell = ::GetShellWindow();
    DWORD processId = 0;
    if (!shell || !::GetWindowThreadProcessId(shell, &processId) || !processId) return {};
    UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    HANDLE raw = nullptr;
    if (!process || !::OpenProcessToken(process.Get(), TOKEN_DUPLICATE, &raw)) return {};
    UniqueHandle token(raw);
    HANDLE primary = nullptr;
    if (!::DuplicateTokenEx(token.Get(),
                            TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY | TOKEN_ADJUST_DEFAULT |
                                TOKEN_ADJUST_SESSIONID,
                            nullptr, SecurityImpersonation, TokenPrimary, &primary))
        return {};
    return UniqueHandle(primary);
}

struct MainWindowSearch {
    DWORD processId;
    bool shown;
};

BOOL CALLBACK FindShownMainWindow(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<MainWindowSearch*>(data);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search.processId && ::IsWindowVisible(window) &&
        WindowText(window) == L"Kestrix Text Expander Software")
        search.shown = true;
    return !search.shown;
}

// Whether the process shows the program's main window ("-hide" and the tray
// hide it; its caption is the dialog resource's).
bool MainWindowShown(DWORD processId) {
    MainWindowSearch search{processId, false};
    ::EnumWindows(&FindShownMainWindow, reinterpret_cast<LPARAM>(&search));
    return search.shown;
}

class Win32InstallerHost final : public InstallerHost {
public:
    explicit Win32InstallerHost(std::u16string programPath) : path_(std::move(programPath)) {}

    RunningCopy EndRunningCopy() override {
        HWND running = FindRunningInstance();
        if (!running) return RunningCopy::None;
        DWORD processId = 0;
        ::GetWindowThreadProcessId(running, &processId);
        const RunningCopy copy = MainWindowShown(processId) ? RunningCopy::Shown : RunningCopy::InTray;
        UniqueHandle process(processId ? ::OpenProcess(SYNCHRONIZE, FALSE, processId) : nullptr);
        if (ForwardCommandLine(running, {path_, u"-exit"}) && process)
            ::WaitForSingleObject(process.Get(), kEndWaitMs);
        return copy;
    }

    void StartProgram(std::u16string_view arguments) override {
        if (FindRunningInstance()) return;
        std::wstring commandLine = L"\"" + W(path_) + L"\" " + W(arguments);
        const std::wstring folder = W(path_.substr(0, path_.find_last_of(u'\\') + 1));
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION started{};
        BOOL ok = FALSE;
        UniqueHandle token = RunsElevated() ? ShellUserToken() : UniqueHandle();
        if (token) {
            // A package installed for all users may run this with the
            // administrator's full rights. The program the user runs must not
            // keep them (its macros start programs): it is started with the
            // token of the shell that owns the desktop. Without a shell
            // window there is no such token to take, and it starts as this
            // process does.
            ok = ::CreateProcessWithTokenW(token.Get(), 0, W(path_).c_str(), commandLine.data(), 0, nullptr,
                                           folder.c_str(), &startup, &started);
        } else {
            ok = ::CreateProcessW(W(path_).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  folder.c_str(), &startup, &started);
        }
        if (!ok) return;
        UniqueHandle process(started.hProcess), thread(started.hThread);
    }

private:
    std::u16string path_;
};

}  // namespace

void RunInstallerRequest(InstallerRequest request, const std::u16string& programPath) {
    if (request == InstallerRequest::None) return;
    Win32InstallerHost host(programPath);
    Win32Registry registry;
    Win32Elevation elevation;
    CarryOutInstallerRequest(request, programPath, host, registry, SystemFileSystem(), &elevation);
}

}  // namespace kx
