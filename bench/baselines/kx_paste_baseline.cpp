// The least a text expander can do to replace a keyword: a low-level
// keyboard hook watches the typed word, and when the delimiter key follows
// the keyword, a thread of the program puts the text and the delimiter on
// the clipboard (as Unicode text, the one format of a plain-text shortcut),
// then erases the keyword and the delimiter with Backspaces and sends
// Ctrl+V. The latency benchmark measures Kestrix against this.
//
// The keys are sent from another thread than the hook's: every injected key
// passes the low-level hook, and a hook thread busy sending would hold each
// of them up (Kestrix's hook runs on a thread of its own, too).
//
//   kx_paste_baseline.exe --text TEXT --keyword WORD --ready PATH [--key VK]
//                         [--stop-file PATH] [--seconds N]
//
// WORD is in lower case letters; it is matched against the letter keys
// typed since the last key that was not a letter.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr UINT kReplaceMessage = WM_APP + 1;  // wParam: the Backspaces to send
constexpr UINT_PTR kStopPollTimer = 1;

struct Shared {
    std::wstring text;     // what the keyword becomes, delimiter included
    std::wstring keyword;
    DWORD key = VK_SPACE;  // the delimiter
    DWORD worker = 0;
    HANDLE ready = nullptr;
    int failures = 0;      // the worker's alone
};

Shared g;
std::wstring g_typed;  // the hook thread's alone

bool IsModifier(DWORD vk) {
    return vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU || (vk >= VK_LSHIFT && vk <= VK_RMENU);
}

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* kb = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const bool down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
        // Our own Backspaces and Ctrl+V come through here as well.
        if (down && !(kb->flags & LLKHF_INJECTED) && !IsModifier(kb->vkCode)) {
            if (kb->vkCode >= 'A' && kb->vkCode <= 'Z') {
                g_typed.push_back(wchar_t(kb->vkCode - 'A' + 'a'));
            } else {
                if (kb->vkCode == g.key && g_typed == g.keyword)
                    ::PostThreadMessageW(g.worker, kReplaceMessage, g_typed.size() + 1, 0);
                g_typed.clear();
            }
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Empties the clipboard under OWNER and leaves TEXT there as CF_UNICODETEXT;
// another program may hold it for a moment, so opening is retried for a second.
bool PutClipboardText(HWND owner, const std::wstring& text) {
    bool open = false;
    for (int attempt = 0; attempt < 40 && !(open = ::OpenClipboard(owner)); ++attempt) ::Sleep(25);
    if (!open) return false;
    ::EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool ok = false;
    if (block) {
        if (void* p = ::GlobalLock(block)) {
            std::memcpy(p, text.c_str(), bytes);
            ::GlobalUnlock(block);
            ok = ::SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        }
        if (!ok) ::GlobalFree(block);
    }
    ::CloseClipboard();
    return ok;
}

void AddKey(std::vector<INPUT>& in, WORD vk, bool up) {
    INPUT k{};
    k.type = INPUT_KEYBOARD;
    k.ki.wVk = vk;
    k.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.push_back(k);
}

// The clipboard first, so that nothing is erased when it cannot be had;
// then every key in one call.
bool Replace(HWND owner, unsigned backspaces) {
    if (!PutClipboardText(owner, g.text)) return false;
    std::vector<INPUT> in;
    for (unsigned i = 0; i < backspaces; ++i) {
        AddKey(in, VK_BACK, false);
        AddKey(in, VK_BACK, true);
    }
    AddKey(in, VK_CONTROL, false);
    AddKey(in, 'V', false);
    AddKey(in, 'V', true);
    AddKey(in, VK_CONTROL, true);
    return ::SendInput(UINT(in.size()), in.data(), sizeof(INPUT)) == in.size();
}

DWORD WINAPI WorkerMain(void*) {
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"kx_paste_baseline", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    MSG m;
    ::PeekMessageW(&m, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // the queue exists before the hook posts
    ::SetEvent(g.ready);
    if (!owner) return 1;
    while (::GetMessageW(&m, nullptr, 0, 0) > 0) {
        if (m.message == kReplaceMessage && !Replace(owner, unsigned(m.wParam))) ++g.failures;
        ::DispatchMessageW(&m);
    }
    ::DestroyWindow(owner);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring ready, stopFile;
    unsigned seconds = 120;
    for (int i = 1; i + 1 < argc; ++i) {
        const std::wstring a = argv[i];
        if (a == L"--text") g.text = argv[++i];
        else if (a == L"--keyword") g.keyword = argv[++i];
        else if (a == L"--ready") ready = argv[++i];
        else if (a == L"--key") g.key = DWORD(wcstoul(argv[++i], nullptr, 0));
        else if (a == L"--stop-file") stopFile = argv[++i];
        else if (a == L"--seconds") seconds = unsigned(_wtoi(argv[++i]));
    }
    if (g.text.empty() || g.keyword.empty() || ready.empty()) return 2;
    // The delimiter goes on the clipboard after the text, as the expander
    // puts it there.
    const UINT ch = ::MapVirtualKeyW(g.key, MAPVK_VK_TO_CHAR);
    if (ch) g.text.push_back(wchar_t(ch));

    g.ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE worker = ::CreateThread(nullptr, 0, WorkerMain, nullptr, 0, &g.worker);
    if (!g.ready || !worker || ::WaitForSingleObject(g.ready, 5000) != WAIT_OBJECT_0) return 3;
    HHOOK hook = ::SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardProc, ::GetModuleHandleW(nullptr), 0);
    if (!hook) return 3;
    if (FILE* f = _wfopen(ready.c_str(), L"wb")) {
        std::fputs("ready\n", f);
        std::fclose(f);
    }
    const ULONGLONG end = ::GetTickCount64() + seconds * 1000ull;
    ::SetTimer(nullptr, kStopPollTimer, 50, nullptr);
    MSG m;
    while (::GetMessageW(&m, nullptr, 0, 0) > 0) {
        if (m.message == WM_TIMER && !m.hwnd &&
            (::GetTickCount64() >= end ||
             (!stopFile.empty() && ::GetFileAttributesW(stopFile.c_str()) != INVALID_FILE_ATTRIBUTES)))
            break;
        ::DispatchMessageW(&m);
    }
    ::UnhookWindowsHookEx(hook);
    ::PostThreadMessageW(g.worker, WM_QUIT, 0, 0);
    ::WaitForSingleObject(worker, 5000);
    ::CloseHandle(worker);
    ::CloseHandle(g.ready);
    return g.failures ? 4 : 0;
}
