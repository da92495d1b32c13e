#include "app/win/message_prompt_win32.h"

#include <commctrl.h>

#include <vector>

#include "app/win/wide.h"

namespace kx {
namespace {

constexpr int kFirstButtonId = 100;

UINT BoxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Error: return MB_ICONERROR;
    case MessageIcon::Warning: return MB_ICONWARNING;
    case MessageIcon::Information: return MB_ICONINFORMATION;
    case MessageIcon::Question: return MB_ICONQUESTION;
    }
    return 0;
}

PCWSTR DialogIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Error: return TD_ERROR_ICON;
    case MessageIcon::Warning: return TD_WARNING_ICON;
    case MessageIcon::Information: return TD_INFORMATION_ICON;
    case MessageIcon::Question: return MAKEINTRESOURCEW(32514);  // IDI_QUESTION
    }
    return nullptr;
}

HRESULT CALLBACK OnTaskDialogEvent(HWND window, UINT note, WPARAM, LPARAM, LONG_PTR) {
    // A question asked while the main window is hidden still comes to the front.
    if (note == TDN_CREATED) ::SetForegroundWindow(window);
    return S_OK;
}

}  // namespace

HWND Win32MessagePrompt::Owner() const {
    HWND active = ::GetActiveWindow();
    if (active && ::IsWindowVisible(active)) return active;
    return fallbackOwner_ && ::IsWindowVisible(fallbackOwner_) ? fallbackOwner_ : nullptr;
}

void Win32MessagePrompt::ShowMessage(MessageIcon icon, std::u16string_view title, std::u16string_view text) {
    ::MessageBoxW(Owner(), W(text).c_str(), title.empty() ? nullptr : W(title).c_str(), MB_OK | BoxIcon(icon));
}

QuestionAnswer Win32MessagePrompt::Ask(const QuestionBox& question) {
    std::vector<std::wstring> labels;
    for (const auto& b : question.buttons) labels.push_back(W(b));
    std::vector<TASKDIALOG_BUTTON> buttons;
    for (size_t i = 0; i < labels.size(); ++i) buttons.push_back({kFirstButtonId + int(i), labels[i].c_str()});
    const std::wstring title = W(question.title), text = W(question.text), check = W(question.checkBox);

    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof(config);
    config.hwndParent = Owner();
    config.hInstance = ::GetModuleHandleW(nullptr);
    config.dwFlags = TDF_POSITION_RELATIVE_TO_WINDOW;
    if (question.cancellable) config.dwFlags |= TDF_ALLOW_DIALOG_CANCELLATION;
    config.dwCommonButtons = question.cancellable ? TDCBF_CANCEL_BUTTON : 0;
    config.pszWindowTitle = title.c_str();
    config.pszContent = text.c_str();
    config.cButtons = UINT(buttons.size());
    config.pButtons = buttons.data();
    config.nDefaultButton = buttons.empty() ? IDCANCEL : kFirstButtonId;
    if (!check.empty()) config.pszVerificationText = check.c_str();
    if (question.icon == MessageIcon::Question) {
        config.dwFlags |= TDF_USE_HICON_MAIN;
        config.hMainIcon = ::LoadIconW(nullptr, IDI_QUESTION);
    } else {
        config.pszMainIcon = DialogIcon(question.icon);
    }
    config.pfCallback = &OnTaskDialogEvent;

    int pressed = 0;
    BOOL checked = FALSE;
    QuestionAnswer answer;
    if (FAILED(::TaskDialogIndirect(&config, &pressed, nullptr, &checked))) return answer;
    if (pressed >= kFirstButtonId && pressed < kFirstButtonId + int(buttons.size()))
        answer.button = pressed - kFirstButtonId;
    answer.checked = checked != FALSE;
    return answer;
}

}  // namespace kx
