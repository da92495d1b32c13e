// The engine's notices reach the main window as the hook link's registered
// message, the number its window procedure looks for.
#include <gtest/gtest.h>

#include <windows.h>

#include "engine/hooklink/hook_protocol.h"
#include "engine/hooklink/notice_port_win32.h"

namespace kx {
namespace {

TEST(NoticePort, PostsTheLinksRegisteredMessage) {
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const UINT registered = ::RegisterWindowMessageW(hookproto::kNoticeMessageName);
    ASSERT_GE(registered, 0xC000u);

    NoticePort port;
    EXPECT_EQ(port.Message(), registered);
    EXPECT_FALSE(port.Post(1, 1)) << "no window yet";
    port.SetWindow(window);
    port.Adopt(0);  // a link that could not register keeps ours
    EXPECT_EQ(port.Message(), registered);
    ASSERT_TRUE(port.Post(3, 11));

    MSG m{};
    ASSERT_TRUE(::PeekMessageW(&m, window, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, registered);
    EXPECT_EQ(m.wParam, 3u);
    EXPECT_EQ(m.lParam, 11);
    EXPECT_FALSE(::PeekMessageW(&m, window, 0, 0, PM_REMOVE));
    ::DestroyWindow(window);
}

}  // namespace
}  // namespace kx
