// Message boxes owned by a window of the program.
#pragma once

#include "platform/user_prompt.h"
#include "platform/window_query.h"

namespace kx {

class Win32UserPrompt final : public UserPrompt {
public:
    explicit Win32UserPrompt(WindowHandle owner = 0) : owner_(owner) {}
    void ShowError(std::u16string_view title, std::u16string_view text) override;

private:
    WindowHandle owner_;
};

}  // namespace kx
