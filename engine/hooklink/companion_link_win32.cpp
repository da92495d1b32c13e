#include "engine/hooklink/companion_link_win32.h"

#include "engine/hooklink/hook_protocol.h"
#include "engine/hooklink/named_mutex_win32.h"
#include "engine/hooklink/named_objects_win32.h"
#include "engine/hooklink/object_trust.h"

namespace kx {
namespace {

using namespace hookproto;

constexpr wchar_t kCompanionExe[] = L"kestrix64.exe";
// How long a companion asked to end may take before it is terminated.
constexpr DWORD kCompanionEndMs = 3000;

// Asks every message window of the companion `pid` to close.
void AskToEnd(DWORD pid) {
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, kCompanionWindowClass, nullptr)) != nullptr) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == pid) ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
}

}  // namespace

CompanionLink::CompanionLink(HookLink& link)
    : link_(link),
      info_(SharedBlock::Open(kHook64Info, kHook64InfoSize)),
      signal_(SharedBlock::Open(kCompanionSignal, 1)),
      pid_(SharedBlock::Open(kCompanionHandle, sizeof(LONG))),
      window_(SharedBlock::Open(kCompanionWindow, sizeof(LONG64))) {}

void CompanionLink::PublishWindow(HWND applicationWindow) {
    if (window_.Valid())
        ::InterlockedExchange64(reinterpret_cast<volatile LONG64*>(window_.Data()),
                                LONG64(reinterpret_cast<uintptr_t>(applicationWindow)));
}

unsigned CompanionLink::StartOrAdopt(ProcessBitness& bitness, HWND applicationWindow, const std::wstring& exeFolder) {
    if (!bitness.RunsUnderWow64() || !signal_.Valid()) return 0;
    PublishWindow(applicationWindow);
    // The steps run even when the mutex could not be taken in time.
    NamedMutexLock lock = NamedMutexLock::Take(kCompanionSignalMutex, kMutexBudgetMs);
    volatile uint8_t& signal = *signal_.Data();
    if (signal == kSignalNone) {
        signal = kSignalLaunched;
        // The program is named and its path quoted: a folder with a space
        // in its name must not start "C:\Program.exe" or the like.
        const std::wstring program = exeFolder + kCompanionExe;
        std::wstring commandLine = L"\"" + program + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                             &pi)) {
            ::CloseHandle(pi.hThread);
            process_.Reset(pi.hProcess);
        }
        return kCompanionFirstRefreshMs;
    }
    const DWORD pid = pid_.Valid() ? *reinterpret_cast<volatile DWORD*>(pid_.Data()) : 0;
    process_.Reset(pid ? ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid) : nullptr);
    // The published id may name any process: one that reused a gone
    // companion's id, or one that another program wrote there. We signal and
    // end only our own companion, asked through the handle we hold, so the
    // id cannot change under us once checked.
    if (process_) {
        const std::wstring image = ProcessImage(process_.Get());
        if (!IsOurCompanion(std::u16string(image.begin(), image.end()), std::u16string(exeFolder.begin(), exeFolder.end())))
            process_.Reset();
    }
    return 0;
}

unsigned CompanionLink::OnRefreshTimer(HWND applicationWindow) {
    PublishWindow(applicationWindow);
    NamedMutexLock lock = NamedMutexLock::Take(kCompanionSignalMutex, kMutexBudgetMs);
    if (signal_.Valid()) *signal_.Data() = kSignalRefreshed;
    lock.Release();
    return kCompanionRefreshMs;
}

LRESULT CompanionLink::OnCompanionRecord(WPARAM type) {
    if (!info_.Valid()) return 0;
    MSG record{};
    record.message = link_.NoticeMessage();
    record.wParam = type;
    record.lParam = reinterpret_cast<LPARAM>(info_.Data());
    return link_.OnMessage(record);
}

void CompanionLink::Terminate() {
    if (!process_) return;
    // Killed outright, the companion would lose the keys its module holds
    // back during an expansion. Asked first, it replays them and ends.
    AskToEnd(::GetProcessId(process_.Get()));
    if (::WaitForSingleObject(process_.Get(), kCompanionEndMs) != WAIT_OBJECT_0) ::TerminateProcess(process_.Get(), 0);
    process_.Reset();
}

DWORD CompanionLink::ProcessId() const { return process_ ? ::GetProcessId(process_.Get()) : 0; }

uint8_t CompanionLink::Signal() const { return signal_.Valid() ? *signal_.Data() : 0; }

}  // namespace kx
