#include "engine/output/browser_window.h"

#include "base/text.h"

namespace kx {

bool IsBrowserWindowClass(std::u16string_view className) {
    className = CutToField(className);
    return EqualsNoCaseAscii(className, u"{1C03B488-D53B-4a81-97F8-754559640193}") ||
           ContainsNoCaseAscii(className, u"CHROME") || ContainsNoCaseAscii(className, u"MOZILLA") ||
           ContainsNoCaseAscii(className, u"IEFRAME");
}

}  // namespace kx
