// The search box above the main list: what the user types there narrows
// the list to the shortcuts whose keyword or expansion hold it. Ctrl+F
// goes to it.
#pragma once

#include <windows.h>

#include <string>

namespace kx {

class FilterBox {
public:
    // Creates control 104 in `parent`, with its hint.
    void Create(HWND parent);
    HWND Handle() const { return edit_; }
    int Height() const { return height_; }
    // Places the box across the window at `top`.
    void Place(int top, int width);
    // Ctrl+F: the focus to the box, its text selected.
    void Focus();
    std::u16string Text() const;

private:
    HWND edit_ = nullptr;
    int height_ = 0;
};

}  // namespace kx
