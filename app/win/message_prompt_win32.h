// Message boxes and question boxes with named buttons and a check box,
// owned by whichever window of the program is active.
#pragma once

#include <windows.h>

#include "platform/user_prompt.h"

namespace kx {

class Win32MessagePrompt final : public MessagePrompt {
public:
    // `fallbackOwner` owns the boxes when none of our windows is active.
    explicit Win32MessagePrompt(HWND fallbackOwner = nullptr) : fallbackOwner_(fallbackOwner) {}
    void SetFallbackOwner(HWND owner) { fallbackOwner_ = owner; }

    void ShowMessage(MessageIcon icon, std::u16string_view title, std::u16string_view text) override;
    QuestionAnswer Ask(const QuestionBox& question) override;

    HWND Owner() const;

private:
    HWND fallbackOwner_;
};

}  // namespace kx
