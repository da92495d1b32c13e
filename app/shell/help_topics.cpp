#include "app/shell/help_topics.h"

#include <shellapi.h>

#include "app/win/wide.h"

namespace kx {

std::wstring HelpTopicPath(std::wstring_view topic) {
    return ProgramFolder() + L"help\\" + std::wstring(topic) + L".html";
}

bool OpenDocument(HWND owner, const std::wstring& target) {
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(owner, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

bool OpenHelpTopic(HWND owner, std::wstring_view topic) {
    std::wstring page = HelpTopicPath(topic);
    if (::GetFileAttributesW(page.c_str()) == INVALID_FILE_ATTRIBUTES) page = HelpTopicPath(L"index");
    return OpenDocument(owner, page);
}

}  // namespace kx
