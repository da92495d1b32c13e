// The hook module itself under Wine, fed with SendInput: what it sends when
// the program did not take a record in time, and that its hook callback
// never waits on the shared switches. Needs a display.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/hooklink/hook_module_win32.h"
#include "engine/hooklink/hook_protocol.h"
#include "engine/hooklink/shared_block_win32.h"
#include "platform/win32/handles.h"
#include "tests/win32/win32_rig.h"

namespace kx {
namespace {

using namespace hookproto;
using test::Within;

struct Record {
    uintptr_t type;
    std::vector<uint8_t> bytes;
};

bool IsKey(const Record& r, uint32_t vk, bool down) {
    return r.type == kRecordKeyEvent && r.bytes.size() == 16 && r.bytes[0] == vk && (r.bytes[6] != 0) == down;
}

// The program's message window, on a thread of its own, which can be made
// to sit on a record for a while as a busy program would.
class Receiver {
public:
    Receiver() {
        while (!window_) ::Sleep(5);
    }
    ~Receiver() {
        ::PostMessageW(window_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    HWND Window() const { return window_; }
    std::vector<Record> Records() {
        std::lock_guard<std::mutex> g(lock_);
        return records_;
    }
    std::atomic<DWORD> blockNextMs{0};  // the next record is taken only after this
    std::atomic<size_t> handled{0};     // records whose handling has ended

private:
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<Receiver*>(::GetWindowLongPtrW(w, GWLP_USERDATA));
        if (m == WM_CLOSE) ::PostQuitMessage(0);
        if (m != WM_COPYDATA || !self) return ::DefWindowProcW(w, m, wp, lp);
        const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lp);
        const auto* p = static_cast<const uint8_t*>(cds->lpData);
        {
            std::lock_guard<std::mutex> g(self->lock_);
            self->records_.push_back({cds->dwData, std::vector<uint8_t>(p, p + cds->cbData)});
        }
        if (const DWORD ms = self->blockNextMs.exchange(0)) ::Sleep(ms);
        ++self->handled;
        return 0;
    }
    void Run() {
        UniqueWindow w = test::OwnWindow(L"KxTestHookReceiver", Proc);
        ::SetWindowLongPtrW(w.Get(), GWLP_USERDATA, LONG_PTR(this));
        window_ = w.Get();
        MSG m;
        while (::GetMessageW(&m, nullptr, 0, 0) > 0) ::DispatchMessageW(&m);
    }

    std::atomic<HWND> window_{nullptr};
    std::mutex lock_;
    std::vector<Record> records_;
    std::thread thread_{[this] { Run(); }};
};

void Tap(WORD vk) {
    INPUT in[2] = {};
    for (INPUT& i : in) i.type = INPUT_KEYBOARD, i.ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, in, sizeof(INPUT));
}

class HookModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The switches as the program would set them: keyboard only.
        switches_ = SharedBlock::Open(L"Local\\KestrixHookSwitches", kHookCount * sizeof(LONG));
        ASSERT_TRUE(switches_.Valid());
        auto* on = reinterpret_cast<volatile LONG*>(switches_.Data());
        on[kHookMouse] = 0;
        on[kHookKeyboard] = 1;
        on[kHookFocusChange] = 0;
        // Each test starts with a module of its own state: an earlier one's
        // threads let go of theirs as they end.
        ASSERT_TRUE(Within(2000, [] { return !::GetModuleHandleW(L"kxhook.dll"); })) << "an earlier test's module is loaded";
        ASSERT_TRUE(module_.Load(test::WinPath(KX_BINARY_DIR "/hook/kxhook.dll")));
        ASSERT_TRUE(module_.SetHooks(program_.Window()));
    }
    void TearDown() override {
        if (module_.Loaded()) module_.UnSetHooks(nullptr), module_.Free();
    }
    SharedBlock switches_;
    HookModule module_;
    Receiver program_;
};

TEST_F(HookModuleTest, ARecordNotTakenInTimeIsFollowedByADiscardRecord) {
    // The program sits on the first record longer than the module waits;
    // what the module tries to send meanwhile may be lost as well.
    program_.blockNextMs = 7000;
    Tap('A');
    ASSERT_TRUE(Within(5000, [&] { return !program_.Records().empty(); }));
    // Whether the records tried while it sat were dropped or wait in its
    // queue is a race between the send's 5 s limit and the 5 s after which
    // the system counts the program as hung; either way they come after A's
    // press and before B, as checked below.
    ASSERT_TRUE(Within(15000, [&] { return program_.handled >= 1; }));
    // Once the program answers again, the next key's records come after
    // one discard record: the engine forgets a word it no longer knows.
    Tap('B');
    ASSERT_TRUE(Within(15000, [&] {
        const std::vector<Record> r = program_.Records();
        return r.size() >= 3 && IsKey(r[r.size() - 2], 'B', true) && IsKey(r.back(), 'B', false);
    }));
    const std::vector<Record> r = program_.Records();
    ASSERT_TRUE(IsKey(r[0], 'A', true));
    ASSERT_EQ(r[1].type, kRecordDiscardWord);
    ASSERT_EQ(r[1].bytes.size(), kDiscardRecordSize);
    DiscardRecord d;
    std::memcpy(&d, r[1].bytes.data(), sizeof(d));
    EXPECT_EQ(d.reason, uint32_t(DiscardReason::RecordsLost));
    // Only once, and at most the release of A between it and B.
    ASSERT_LE(r.size(), 5u);
    for (size_t i = 2; i < r.size(); ++i) EXPECT_NE(r[i].type, kRecordDiscardWord) << i;
    if (r.size() == 5) {
        EXPECT_TRUE(IsKey(r[2], 'A', false));
    }
}

TEST_F(HookModuleTest, TheHookCallbackNeverWaitsForTheSwitchesBlock) {
    // Another process holds the block's creation mutex as if it hung there.
    UniqueHandle creation(::CreateMutexW(nullptr, FALSE, CreationMutexName(L"Local\\KestrixHookSwitches").c_str()));
    ASSERT_TRUE(creation);
    ASSERT_EQ(::WaitForSingleObject(creation.Get(), 1000), WAIT_OBJECT_0);
    const ULONGLONG start = ::GetTickCount64();
    Tap('C');
    const bool arrived = Within(10000, [&] { return program_.Records().size() >= 2; });
    const ULONGLONG took = ::GetTickCount64() - start;
    ::ReleaseMutex(creation.Get());
    ASSERT_TRUE(arrived);
    EXPECT_LT(took, 2000u) << "the first key waited on the switches block";
    EXPECT_TRUE(IsKey(program_.Records()[0], 'C', true));
}

}  // namespace
}  // namespace kx
