// The real foreground window and window class names.
#pragma once

#include "platform/window_query.h"

namespace kx {

class Win32WindowQuery final : public WindowQuery {
public:
    WindowHandle Foreground() override;
    std::u16string ClassName(WindowHandle window) override;
};

}  // namespace kx
