// Which targets take the "HTML Format" instead of "Rich Text Format".
#pragma once

#include <string_view>

namespace kx {

// True for the class name of a browser window: the Edge class
// "{1C03B488-D53B-4a81-97F8-754559640193}" in any ASCII case, or any class
// whose name contains "CHROME", "MOZILLA" or "IEFRAME" in any case. The name
// is taken to at most 259 characters, as the window query returns it.
bool IsBrowserWindowClass(std::u16string_view className);

}  // namespace kx
