// The welcome of the first starts: a choice of four ways to begin.
#pragma once

#include <windows.h>

#include <string>

namespace kx {

// Shows the choice; returns the identifier chosen (2018 to 2021), or 0 when
// the dialog was closed.
int AskWelcomeChoice(HWND owner);

// Copies the demo document over an older copy that may still be open
// elsewhere: the old copy is deleted first, retrying for up to a second
// with a pause that starts at 8 ms and doubles.
bool ReplaceDemoCopy(const std::wstring& demo, const std::wstring& copy);

}  // namespace kx
