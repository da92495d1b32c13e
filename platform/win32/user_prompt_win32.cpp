#include "platform/win32/user_prompt_win32.h"

#include <windows.h>

#include <string>

namespace kx {

void Win32UserPrompt::ShowError(std::u16string_view title, std::u16string_view text) {
    const std::wstring t(title.begin(), title.end()), m(text.begin(), text.end());
    MessageBoxW(reinterpret_cast<HWND>(owner_), m.c_str(), t.c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace kx
