// The message-box seam: how the program tells the user of a failure, and the
// question boxes with named buttons that the data commands ask.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

class UserPrompt {
public:
    virtual ~UserPrompt() = default;
    // A message box with the error icon and an OK button; returns when closed.
    virtual void ShowError(std::u16string_view title, std::u16string_view text) = 0;
};

enum class MessageIcon : uint8_t { Error, Warning, Information, Question };

// A question with named buttons, an optional check box and an optional
// cancel choice.
struct QuestionBox {
    std::u16string title;
    std::u16string text;
    std::vector<std::u16string> buttons;  // in the order shown
    std::u16string checkBox;              // empty: no check box
    bool cancellable = true;
    MessageIcon icon = MessageIcon::Question;
    bool taskModal = false;
};

struct QuestionAnswer {
    static constexpr int kCancelled = -1;
    int button = kCancelled;  // index into QuestionBox::buttons
    bool checked = false;     // the check box's state when the box closed
};

// Every kind of message box and the question boxes. Implementations of this
// also serve the code that only reports errors.
class MessagePrompt : public UserPrompt {
public:
    virtual void ShowMessage(MessageIcon icon, std::u16string_view title, std::u16string_view text) = 0;
    virtual QuestionAnswer Ask(const QuestionBox& question) = 0;
    void ShowError(std::u16string_view title, std::u16string_view text) override {
        ShowMessage(MessageIcon::Error, title, text);
    }
};

}  // namespace kx
