// The main window's status bar: three parts, the first ending 76 and the
// second 208 dialog units from the left.
#pragma once

#include <windows.h>

#include <string_view>

namespace kx {

class StatusBar {
public:
    void Create(HWND dialog);
    HWND Handle() const { return bar_; }
    void DivideIntoParts();
    void SetText(int part, std::u16string_view text);
    int Height() const;
    void Layout();

private:
    HWND bar_ = nullptr;
    HWND dialog_ = nullptr;
};

}  // namespace kx
