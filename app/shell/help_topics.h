// The help: HTML pages in the "help" folder beside the program, one per
// topic ("index", "quickstart", "editsimple", ...), opened in the browser.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace kx {

// "<program folder>help\<topic>.html".
std::wstring HelpTopicPath(std::wstring_view topic);
// Opens the topic; the index when the topic's page is missing. Whether a
// page could be opened.
bool OpenHelpTopic(HWND owner, std::wstring_view topic);

// Opens a file or address with its associated program.
bool OpenDocument(HWND owner, const std::wstring& target);

}  // namespace kx
