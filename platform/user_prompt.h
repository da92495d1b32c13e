// The message-box seam: how the program tells the user of a failure.
#pragma once

#include <string_view>

namespace kx {

class UserPrompt {
public:
    virtual ~UserPrompt() = default;
    // A message box with the error icon and an OK button; returns when closed.
    virtual void ShowError(std::u16string_view title, std::u16string_view text) = 0;
};

}  // namespace kx
