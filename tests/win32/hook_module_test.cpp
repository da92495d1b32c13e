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

namespace kx {
namespace {

using namespace hookproto;

std::wstring ModulePath() {
    std::wstring w = L"Z:";
    for (char c : std::string(KX_BINARY_DIR "/hook/kxhook.dll")) w += (c == '/') ? L'\\' : wchar_t(c);
    return w;
}

struct Record {
    uintptr_t type;
    std::vector<uint8_t> bytes;
};

// The program's message window, on a thread of its own, which can be made
// to sit on a record for a while as a busy program would.
class Receiver {
public:
    Receiver() {
        thread_ = std::thread([this] { Run(); });
        while (!window_) ::Sleep(5);
    }
    ~Receiver() {
        ::PostMessageW(window_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    HWND Window() const { return window_; }
    // The next record is taken only after `ms`.
    void BlockNext(DWORD ms) { blockMs_ = ms; }
    std::vector<Record> Records() {
        std::lock_guard<std::mutex> g(lock_);
        return records_;
    }
    // Records whose handling has ended.
    size_t Handled() const { return handled_; }
    bool WaitForCount(size_t n, DWORD ms) {
        const ULONGLONG end = ::GetTickCount64() + ms;
        while (::GetTickCount64() < end) {
            if (Records().size() >= n) return true;
            ::Sleep(10);
        }
        return Records().size() >= n;
    }

private:
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<Receiver*>(::GetWindowLongPtrW(w, GWLP_USERDATA));
        if (m == WM_COPYDATA && self) {
            const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lp);
            {
                std::lock_guard<std::mutex> g(self->lock_);
                const auto* p = static_cast<const uint8_t*>(cds->lpData);
                self->records_.push_back({cds->dwData, std::vector<uint8_t>(p, p + cds->cbData)});
            }
            if (const DWORD ms = self->blockMs_.exchange(0)) ::Sleep(ms);
            ++self->handled_;
            return 0;
        }
        if (m == WM_CLOSE) {
            ::DestroyWindow(w);
            ::PostQuitMessage(0);
            return 0;
        }
        return ::DefWindowProcW(w, m, wp, lp);
    }
    void Run() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KxTestHookReceiver";
        ::RegisterClassW(&wc);
        HWND w = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrW(w, GWLP_USERDATA, LONG_PTR(this));
        window_ = w;
        MSG m;
        while (::GetMessageW(&m, nullptr, 0, 0) > 0) ::DispatchMessageW(&m);
    }

    std::thread thread_;
    std::atomic<HWND> window_{nullptr};
    std::atomic<DWORD> blockMs_{0};
    std::atomic<size_t> handled_{0};
    std::mutex lock_;
    std::vector<Record> records_;
};

void Tap(WORD vk) {
    INPUT in[2] = {};
    for (INPUT& i : in) {
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = vk;
    }
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, in, sizeof(INPUT));
}

bool IsKey(const Record& r, uint32_t vk, bool down) {
    return r.type == kRecordKeyEvent && r.bytes.size() == 16 && r.bytes[0] == vk && (r.bytes[6] != 0) == down;
}

class HookModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The switches as the program would set them: keyboard only.
        switches_ = SharedBlock::Open(L"Local\\KestrixHookSwitches", kHookCount * sizeof(LONG));
        ASSERT_TRUE(switches_.Valid());
        Switch(kHookMouse, 0);
        Switch(kHookKeyboard, 1);
        Switch(kHookFocusChange, 0);
        // Each test starts with a module of its own state: an earlier one's
        // threads let go of theirs as they end.
        for (int i = 0; i < 200 && ::GetModuleHandleW(L"kxhook.dll"); ++i) ::Sleep(10);
        ASSERT_EQ(::GetModuleHandleW(L"kxhook.dll"), nullptr) << "a module of an earlier test is still loaded";
        ASSERT_TRUE(module_.Load(ModulePath()));
    }
    void TearDown() override {
        if (module_.Loaded()) {
            module_.UnSetHooks(nullptr);
            module_.Free();
        }
    }
    void Switch(int index, LONG on) { reinterpret_cast<volatile LONG*>(switches_.Data())[index] = on; }

    SharedBlock switches_;
    HookModule module_;
};

TEST_F(HookModuleTest, ARecordNotTakenInTimeIsFollowedByADiscardRecord) {
    Receiver program;
    ASSERT_TRUE(module_.SetHooks(program.Window()));
    // The program sits on the first record longer than the module waits;
    // what the module tries to send meanwhile may be lost as well.
    program.BlockNext(7000);
    Tap('A');
    ASSERT_TRUE(program.WaitForCount(1, 5000));
    // The program answers again. Whether the records tried while it sat
    // were dropped or wait in its queue is a race between the send's 5 s
    // limit and the 5 s after which the system counts the program as hung;
    // either way they come after A's press and before B, as checked below.
    for (int i = 0; i < 1500 && program.Handled() == 0; ++i) ::Sleep(10);
    ASSERT_GE(program.Handled(), 1u);
    // Once the program answers again, the next key's records come after
    // one discard record: the engine forgets a word it no longer knows.
    Tap('B');
    const auto bothOfB = [&] {
        const std::vector<Record> r = program.Records();
        return r.size() >= 3 && IsKey(r[r.size() - 2], 'B', true) && IsKey(r.back(), 'B', false);
    };
    for (int i = 0; i < 1500 && !bothOfB(); ++i) ::Sleep(10);
    ASSERT_TRUE(bothOfB());
    const std::vector<Record> r = program.Records();
    ASSERT_TRUE(IsKey(r[0], 'A', true));
    ASSERT_EQ(r[1].type, kRecordDiscardWord);
    ASSERT_EQ(r[1].bytes.size(), kDiscardRecordSize);
    DiscardRecord d;
    std::memcpy(&d, r[1].bytes.data(), sizeof(d));
    EXPECT_EQ(d.reason, uint32_t(DiscardReason::RecordsLost));
    // Only once, and at most the release of A between it and B.
    EXPECT_LE(r.size(), 5u);
    for (size_t i = 2; i < r.size(); ++i) EXPECT_NE(r[i].type, kRecordDiscardWord) << i;
    if (r.size() == 5) {
        EXPECT_TRUE(IsKey(r[2], 'A', false));
    }
}

TEST_F(HookModuleTest, TheHookCallbackNeverWaitsForTheSwitchesBlock) {
    Receiver program;
    ASSERT_TRUE(module_.SetHooks(program.Window()));
    // Another process holds the block's creation mutex as if it hung there.
    HANDLE creation = ::CreateMutexW(nullptr, FALSE, CreationMutexName(L"Local\\KestrixHookSwitches").c_str());
    ASSERT_NE(creation, nullptr);
    ASSERT_EQ(::WaitForSingleObject(creation, 1000), WAIT_OBJECT_0);
    const ULONGLONG start = ::GetTickCount64();
    Tap('C');
    const bool arrived = program.WaitForCount(2, 10000);
    const ULONGLONG took = ::GetTickCount64() - start;
    ::ReleaseMutex(creation);
    ::CloseHandle(creation);
    ASSERT_TRUE(arrived);
    EXPECT_LT(took, 2000u) << "the first key waited on the switches block";
    EXPECT_TRUE(IsKey(program.Records()[0], 'C', true));
}

}  // namespace
}  // namespace kx
