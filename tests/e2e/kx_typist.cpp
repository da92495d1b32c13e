// Types as a password manager does: the whole text and then Enter in one
// SendInput call, a Unicode press and release per character, as fast as
// Windows takes input. The keys go to whatever has the focus.
//
//   kx_typist.exe TEXT
#include <windows.h>

#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    // Keys typed while the user still holds CTRL or ALT would be commands.
    for (int i = 0; i < 500 && (::GetAsyncKeyState(VK_CONTROL) < 0 || ::GetAsyncKeyState(VK_MENU) < 0); ++i) ::Sleep(10);
    std::vector<INPUT> keys;
    auto add = [&keys](WORD vk, WORD scan, DWORD flags) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.wScan = scan;
        in.ki.dwFlags = flags;
        keys.push_back(in);
        in.ki.dwFlags |= KEYEVENTF_KEYUP;
        keys.push_back(in);
    };
    for (const wchar_t c : std::wstring(argv[1])) add(0, WORD(c), KEYEVENTF_UNICODE);
    add(VK_RETURN, WORD(::MapVirtualKeyW(VK_RETURN, MAPVK_VK_TO_VSC)), 0);
    return ::SendInput(UINT(keys.size()), keys.data(), sizeof(INPUT)) == keys.size() ? 0 : 1;
}
