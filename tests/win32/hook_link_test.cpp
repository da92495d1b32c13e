// The hook link with real modules under Wine: its failure paths, the checks
// on WM_COPYDATA records, the hook states, and the exchange with the 64-bit
// companion. Needs a display (windows).
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/hooklink/companion_link_win32.h"
#include "engine/hooklink/hook_link_win32.h"
#include "engine/hooklink/hook_protocol.h"
#include "engine/hooklink/shared_block_win32.h"
#include "engine/hooklink/suspend_rules.h"
#include "platform/process_bitness.h"

namespace kx {
namespace {

using namespace hookproto;

std::wstring WinPath(const std::string& unixPath) {
    std::wstring w = L"Z:";
    for (char c : unixPath) w += (c == '/') ? L'\\' : wchar_t(c);
    return w;
}
std::wstring HookFolder() { return WinPath(KX_BINARY_DIR "/hook/"); }
std::wstring RealModule() { return HookFolder() + L"kxhook.dll"; }
std::wstring NoEnableModule() { return WinPath(KX_BINARY_DIR "/tests/e2e/kxhook_noenable.dll"); }

class RecordingSink final : public HookEventSink {
public:
    void OnKeyEvent(const KeyEvent& e) override {
        std::lock_guard<std::mutex> g(lock_);
        keys.push_back(e);
    }
    void ResetTypedBuffer() override {
        std::lock_guard<std::mutex> g(lock_);
        ++resets;
    }
    void PostNotice(int kind, intptr_t value) override {
        std::lock_guard<std::mutex> g(lock_);
        notices.emplace_back(kind, value);
    }
    void OnEngineStarted(uintptr_t, uint32_t message) override { noticeMessage = message; }

    std::vector<KeyEvent> Keys() {
        std::lock_guard<std::mutex> g(lock_);
        return keys;
    }
    int Resets() {
        std::lock_guard<std::mutex> g(lock_);
        return resets;
    }
    std::pair<int, intptr_t> LastNotice() {
        std::lock_guard<std::mutex> g(lock_);
        return notices.empty() ? std::pair<int, intptr_t>{0, 0} : notices.back();
    }

    uint32_t noticeMessage = 0;

private:
    std::mutex lock_;
    std::vector<KeyEvent> keys;
    int resets = 0;
    std::vector<std::pair<int, intptr_t>> notices;
};

class FakeFocus final : public FocusProbe {
public:
    FocusDescription Describe() override {
        std::lock_guard<std::mutex> g(lock);
        return d;
    }
    void Set(FocusDescription next) {
        std::lock_guard<std::mutex> g(lock);
        d = std::move(next);
    }
    std::mutex lock;
    FocusDescription d{0x200, u"Edit", 0, 1, 2};
};

bool DisplayAvailable() {
    HWND w = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    if (!w) return false;
    ::DestroyWindow(w);
    return true;
}

LRESULT SendRecord(HWND window, ULONG_PTR type, const void* data, DWORD size) {
    COPYDATASTRUCT cds{type, size, const_cast<void*>(data)};
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, WM_COPYDATA, 0, LPARAM(&cds), SMTO_NORMAL, 5000, &result)) return -2;
    return LRESULT(result);
}

LRESULT SendKey(HWND window, char16_t ch, uint8_t focusFlags = 0) {
    KeyEvent e;
    e.vk = 0x41;
    e.ch = ch;
    e.isDown = 1;
    e.focus = focusFlags;
    uint8_t wire[kKeyEventWireSize];
    EncodeKeyEvent(e, wire);
    return SendRecord(window, kRecordKeyEvent, wire, sizeof(wire));
}

class HookLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DisplayAvailable()) << "Wine needs a display (DISPLAY) to create windows";
    }
    RecordingSink sink;
    FakeFocus focus;
};

TEST_F(HookLinkTest, ModuleWithoutEnableHookFailsWith127AndIsFreed) {
    HookLink link(sink, focus);
    EXPECT_FALSE(link.Start(NoEnableModule(), false));
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
    EXPECT_FALSE(link.ModuleLoaded());
    EXPECT_EQ(::GetModuleHandleW(L"kxhook_noenable.dll"), nullptr);
    // Nothing is left held: a link with the real module starts afterwards.
    HookLink next(sink, focus);
    EXPECT_TRUE(next.Start(RealModule(), false));
}

TEST_F(HookLinkTest, MissingModuleFailsAndReleasesTheMutex) {
    HookLink link(sink, focus);
    EXPECT_FALSE(link.StartEngine(nullptr, HookFolder() + L"no-such-module.dll"));
    EXPECT_EQ(sink.LastNotice(), (std::pair<int, intptr_t>{1, kStateOff}));
    EXPECT_EQ(link.CurrentState(), kStateOff);
    HookLink next(sink, focus);
    EXPECT_TRUE(next.Start(RealModule(), false));
}

TEST_F(HookLinkTest, SecondLinkInTheSessionFailsAtTheMutex) {
    HookLink first(sink, focus);
    ASSERT_TRUE(first.Start(RealModule(), false));
    HookLink second(sink, focus);
    EXPECT_FALSE(second.Start(RealModule(), false));
    EXPECT_FALSE(second.ModuleLoaded());
    EXPECT_FALSE(first.Start(RealModule(), false));  // running already
    EXPECT_TRUE(first.StopEngine());
    EXPECT_TRUE(second.Start(RealModule(), false));
}

TEST_F(HookLinkTest, MalformedRecordsAreAnsweredMinusOneAndReachNoEngine) {
    HookLink link(sink, focus);
    ASSERT_TRUE(link.StartEngine(nullptr, RealModule()));
    ASSERT_TRUE(link.SetHooksEnabled(true));
    HWND window = link.MessageWindow();
    ::Sleep(50);  // the introduction (1025) goes through the queue
    uint8_t bytes[32] = {};
    EXPECT_EQ(SendRecord(window, kRecordKeyEvent, bytes, 15), -1);
    EXPECT_EQ(SendRecord(window, kRecordKeyEvent, bytes, 17), -1);
    EXPECT_EQ(SendRecord(window, 21, bytes, 16), -1);
    EXPECT_EQ(SendRecord(window, kRecordDiscardWord, bytes, 16), -1);
    EXPECT_EQ(SendRecord(window, kRecordKeyEvent, nullptr, 0), -1);
    EXPECT_TRUE(sink.Keys().empty());
    EXPECT_EQ(sink.Resets(), 0);

    EXPECT_EQ(SendKey(window, u'k'), 0);
    ASSERT_EQ(sink.Keys().size(), 1u);
    EXPECT_EQ(sink.Keys()[0].ch, u'k');
    EXPECT_EQ(SendRecord(window, kRecordDiscardWord, bytes, 28), 0);
    EXPECT_EQ(sink.Resets(), 1);
}

TEST_F(HookLinkTest, StatesGateTheRecords) {
    HookLink link(sink, focus);
    ASSERT_TRUE(link.StartEngine(nullptr, RealModule()));
    EXPECT_EQ(sink.noticeMessage, link.NoticeMessage());
    HWND window = link.MessageWindow();
    ::Sleep(50);
    uint8_t discard[28] = {};

    ASSERT_TRUE(link.SetHooksEnabled(false));
    EXPECT_EQ(sink.LastNotice(), (std::pair<int, intptr_t>{1, kStateOff}));
    EXPECT_FALSE(link.HooksRunning());
    EXPECT_EQ(SendKey(window, u'a'), 0);
    EXPECT_EQ(SendRecord(window, kRecordDiscardWord, discard, 28), 0);
    EXPECT_TRUE(sink.Keys().empty());
    EXPECT_EQ(sink.Resets(), 0);

    ASSERT_TRUE(link.SetHooksEnabled(true));
    EXPECT_TRUE(link.HooksRunning());
    EXPECT_EQ(link.CurrentState(), kStateActive);
    EXPECT_EQ(SendKey(window, u'b'), 0);
    EXPECT_EQ(sink.Keys().size(), 1u);

    // A password box suspends: state 2 announced, records dropped; leaving it resumes.
    focus.Set({0x300, u"Edit", 0x20, 1, 2});
    EXPECT_EQ(SendKey(window, u'c'), 0);
    EXPECT_EQ(sink.LastNotice(), (std::pair<int, intptr_t>{1, kStateSuspended}));
    EXPECT_EQ(sink.Keys().size(), 1u);
    focus.Set({0x400, u"Edit", 0, 1, 2});
    EXPECT_EQ(SendKey(window, u'd'), 0);
    EXPECT_EQ(sink.LastNotice(), (std::pair<int, intptr_t>{1, kStateActive}));
    ASSERT_EQ(sink.Keys().size(), 2u);
    EXPECT_EQ(sink.Keys()[1].ch, u'd');

    // Stopping disables, cleans up and discards the word.
    const int resets = sink.Resets();
    EXPECT_TRUE(link.StopEngine());
    EXPECT_EQ(sink.Resets(), resets + 1);
    EXPECT_FALSE(link.ModuleLoaded());
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_FALSE(link.SetHooksEnabled(true));  // without a module
    EXPECT_EQ(sink.LastNotice(), (std::pair<int, intptr_t>{1, kStateFailed}));
}

// The record says where its key was typed; the focus when the record is read
// may be elsewhere by then (a password manager's Enter moved it on).
TEST_F(HookLinkTest, AKeyIsJudgedByTheFocusItWasTypedInto) {
    HookLink link(sink, focus);
    ASSERT_TRUE(link.StartEngine(nullptr, RealModule()));
    ASSERT_TRUE(link.SetHooksEnabled(true));
    HWND window = link.MessageWindow();
    ::Sleep(50);
    focus.Set({0x400, u"Edit", 0, 1, 2});
    EXPECT_EQ(SendKey(window, u'p', kx::focus::kKnown | kx::focus::kPasswordBox), 0);
    EXPECT_TRUE(sink.Keys().empty()) << "a key typed into a password box reached the engine";
    EXPECT_EQ(sink.LastNotice(), (std::pair<int, intptr_t>{1, kStateSuspended}));
    focus.Set({0x300, u"Edit", 0x20, 1, 2});
    EXPECT_EQ(SendKey(window, u'q', kx::focus::kKnown), 0);
    ASSERT_EQ(sink.Keys().size(), 1u);
    EXPECT_EQ(sink.Keys()[0].ch, u'q');
    EXPECT_EQ(sink.LastNotice(), (std::pair<int, intptr_t>{1, kStateActive}));
    // Switched off, nothing is delivered whatever the record says.
    ASSERT_TRUE(link.SetHooksEnabled(false));
    EXPECT_EQ(SendKey(window, u'r', kx::focus::kKnown), 0);
    EXPECT_EQ(sink.Keys().size(), 1u);
}

TEST_F(HookLinkTest, AStrayIntroductionIsRefused) {
    HookLink link(sink, focus);
    ASSERT_TRUE(link.StartEngine(nullptr, RealModule()));
    ASSERT_TRUE(link.SetHooksEnabled(true));
    HWND window = link.MessageWindow();
    ::Sleep(50);
    // Another link, or any number from another window or process, posted as
    // message 1025: the window keeps the link that created it.
    RecordingSink otherSink;
    HookLink other(otherSink, focus);
    ASSERT_TRUE(::PostMessageW(window, kIntroduceLink, reinterpret_cast<WPARAM>(&other), 0));
    ASSERT_TRUE(::PostMessageW(window, kIntroduceLink, 0, 0));
    ASSERT_TRUE(::PostMessageW(window, kIntroduceLink, WPARAM(0x12345678), 0));
    ::Sleep(50);
    EXPECT_EQ(SendKey(window, u'k'), 0);
    ASSERT_EQ(sink.Keys().size(), 1u);
    EXPECT_EQ(sink.Keys()[0].ch, u'k');
    EXPECT_TRUE(otherSink.Keys().empty());
}

// Stands in for the focus while the link thread looks at the suspend rules,
// and switches the hooks off from another thread (the UI thread's "off")
// right then.
class RacingFocus final : public FocusProbe {
public:
    FocusDescription Describe() override {
        if (link && !raced.exchange(true)) {
            HookLink* target = link;
            offThread = std::thread([target, this] {
                target->SetHooksEnabled(false);
                offDone = true;
            });
            // Give the other thread every chance to get its "off" in first.
            for (int i = 0; i < 30 && !offDone; ++i) ::Sleep(10);
        }
        std::lock_guard<std::mutex> g(lock);
        return d;
    }
    std::mutex lock;
    FocusDescription d{0x500, u"Edit", 0x20, 1, 2};
    HookLink* link = nullptr;
    std::atomic<bool> raced{false};
    std::atomic<bool> offDone{false};
    std::thread offThread;
};

TEST_F(HookLinkTest, HooksSwitchedOffWhileTheRulesAreLookedAtStayOff) {
    RacingFocus racing;
    HookLink link(sink, racing);
    ASSERT_TRUE(link.StartEngine(nullptr, RealModule()));
    ASSERT_TRUE(link.SetHooksEnabled(true));
    HWND window = link.MessageWindow();
    ::Sleep(50);
    // A password box: suspended.
    EXPECT_EQ(SendKey(window, u'a'), 0);
    EXPECT_EQ(sink.LastNotice(), (std::pair<int, intptr_t>{1, kStateSuspended}));
    // Focus moves on; while the link thread looks, the user switches expansion off.
    {
        std::lock_guard<std::mutex> g(racing.lock);
        racing.d = {0x600, u"Edit", 0, 1, 2};
    }
    racing.link = &link;
    EXPECT_EQ(SendKey(window, u'b'), 0);
    ASSERT_TRUE(racing.raced);
    racing.offThread.join();
    EXPECT_EQ(link.CurrentState(), kStateOff);
    EXPECT_FALSE(link.HooksRunning()) << "the hooks came back on behind the user's off";
    EXPECT_EQ(sink.LastNotice(), (std::pair<int, intptr_t>{1, kStateOff}));
}

class FakeBitness final : public ProcessBitness {
public:
    explicit FakeBitness(bool wow64) : wow64_(wow64) {}
    bool RunsUnderWow64() override { return wow64_; }

private:
    bool wow64_;
};

// Stands in for the application's main window: message 1195 goes to the link.
LRESULT CALLBACK AppWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCompanionRecord) {
        auto* companion = reinterpret_cast<CompanionLink*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        return companion ? companion->OnCompanionRecord(wParam) : 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

template <typename Pred>
bool WaitUntil(Pred pred, DWORD ms) {
    const ULONGLONG end = ::GetTickCount64() + ms;
    while (::GetTickCount64() < end) {
        if (pred()) return true;
        MSG m;
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&m);
        ::Sleep(10);
    }
    return pred();
}

TEST_F(HookLinkTest, WorkHandedToTheLinkRunsOnItsThread) {
    HookLink link(sink, focus);
    std::atomic<DWORD> ranOn{0};
    EXPECT_FALSE(link.RunOnLinkThread([&] { ranOn = 1; })) << "no link thread runs yet";
    ASSERT_TRUE(link.StartEngine(nullptr, RealModule()));
    HWND window = link.MessageWindow();
    ASSERT_TRUE(link.RunOnLinkThread([&] { ranOn = ::GetCurrentThreadId(); }));
    EXPECT_TRUE(WaitUntil([&] { return ranOn != 0; }, 5000));
    EXPECT_EQ(ranOn.load(), ::GetWindowThreadProcessId(window, nullptr));
}

TEST_F(HookLinkTest, CompanionIsStartedAdoptedAndDeliversThroughHook64Info) {
    HookLink link(sink, focus);
    ASSERT_TRUE(link.StartEngine(nullptr, RealModule()));
    ASSERT_TRUE(link.SetHooksEnabled(true));

    WNDCLASSW wc{};
    wc.lpfnWndProc = AppWindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KxTestAppWindow";
    ::RegisterClassW(&wc);
    HWND app = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(app, nullptr);

    CompanionLink companion(link);
    ::SetWindowLongPtrW(app, GWLP_USERDATA, LONG_PTR(&companion));
    FakeBitness native(false);
    EXPECT_EQ(companion.StartOrAdopt(native, app, HookFolder()), 0u);  // not WOW64: no companion
    EXPECT_FALSE(companion.HoldsProcess());

    FakeBitness wow64(true);
    ASSERT_EQ(companion.Signal(), kSignalNone);
    EXPECT_EQ(companion.StartOrAdopt(wow64, app, HookFolder()), kCompanionFirstRefreshMs);
    EXPECT_EQ(companion.Signal(), kSignalLaunched);
    ASSERT_TRUE(companion.HoldsProcess());
    SharedBlock pid = SharedBlock::Open(kCompanionHandle, 4);
    EXPECT_TRUE(WaitUntil([&] { return *reinterpret_cast<volatile DWORD*>(pid.Data()) == companion.ProcessId(); }, 10000));
    EXPECT_EQ(companion.OnRefreshTimer(app), kCompanionRefreshMs);
    EXPECT_EQ(companion.Signal(), kSignalRefreshed);

    // A record sent to the companion's window arrives as message 1195.
    HWND companionWindow = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (companionWindow = ::FindWindowW(L"LKestrix64MsgClass", nullptr)) != nullptr; }, 10000));
    EXPECT_EQ(SendKey(companionWindow, u'z'), 0);
    ASSERT_EQ(sink.Keys().size(), 1u);
    EXPECT_EQ(sink.Keys()[0].ch, u'z');
    uint8_t bytes[28] = {};
    EXPECT_EQ(SendRecord(companionWindow, kRecordDiscardWord, bytes, 28), 0);
    EXPECT_EQ(sink.Resets(), 1);
    EXPECT_EQ(SendRecord(companionWindow, kRecordKeyEvent, bytes, 17), -1);

    // A second start adopts the running companion instead of launching one.
    CompanionLink again(link);
    EXPECT_EQ(again.StartOrAdopt(wow64, app, HookFolder()), 0u);
    EXPECT_EQ(again.ProcessId(), companion.ProcessId());
    // The published id is adopted only when its process is kestrix64.exe in
    // our own folder: any other we would never signal or end.
    CompanionLink elsewhere(link);
    EXPECT_EQ(elsewhere.StartOrAdopt(wow64, app, HookFolder() + L"other\\"), 0u);
    EXPECT_FALSE(elsewhere.HoldsProcess());

    // Asked to end, the companion ends by itself (its module replays what it
    // holds on the way out): it clears the liveness byte and its process id,
    // which a killed companion could not do.
    const DWORD id = companion.ProcessId();
    UniqueHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    companion.Terminate();
    EXPECT_FALSE(companion.HoldsProcess());
    ASSERT_TRUE(process);
    EXPECT_EQ(::WaitForSingleObject(process.Get(), 10000), WAIT_OBJECT_0);
    DWORD code = 99;
    ::GetExitCodeProcess(process.Get(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(companion.Signal(), kSignalNone);
    EXPECT_EQ(*reinterpret_cast<volatile DWORD*>(pid.Data()), 0u);
    ::SetWindowLongPtrW(app, GWLP_USERDATA, 0);
    ::DestroyWindow(app);
    *SharedBlock::Open(kCompanionSignal, 1).Data() = kSignalNone;  // for the tests after a failure here
}

// A copy of the companion and its module in a folder whose name has a
// space, and beside that folder a program named like its first word: an
// unquoted command line would start that one.
TEST_F(HookLinkTest, CompanionInAFolderWithASpaceIsTheOneStarted) {
    const std::wstring base = WinPath(KX_BINARY_DIR "/hook-space-test\\");
    const std::wstring folder = base + L"kx companion\\";
    ::CreateDirectoryW(base.c_str(), nullptr);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(::CopyFileW((HookFolder() + L"kestrix64.exe").c_str(), (folder + L"kestrix64.exe").c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW((HookFolder() + L"kxhook64.dll").c_str(), (folder + L"kxhook64.dll").c_str(), FALSE));
    // The decoy ends at once: it finds no kxhook64.dll beside it.
    ASSERT_TRUE(::CopyFileW((HookFolder() + L"kestrix64.exe").c_str(), (base + L"kx.exe").c_str(), FALSE));

    HookLink link(sink, focus);
    CompanionLink companion(link);
    FakeBitness wow64(true);
    *SharedBlock::Open(kCompanionSignal, 1).Data() = kSignalNone;
    ASSERT_EQ(companion.StartOrAdopt(wow64, nullptr, folder), kCompanionFirstRefreshMs);
    ASSERT_TRUE(companion.HoldsProcess());
    UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, companion.ProcessId()));
    ASSERT_TRUE(process);
    wchar_t image[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    ASSERT_TRUE(::QueryFullProcessImageNameW(process.Get(), 0, image, &length));
    const std::wstring started(image, length);
    EXPECT_NE(started.find(L"kx companion"), std::wstring::npos) << "started: " << std::string(started.begin(), started.end());
    companion.Terminate();
    ::WaitForSingleObject(process.Get(), 10000);
    *SharedBlock::Open(kCompanionSignal, 1).Data() = kSignalNone;
}

TEST_F(HookLinkTest, CompanionEndsWhenTheLivenessByteRunsOut) {
    SharedBlock signal = SharedBlock::Open(kCompanionSignal, 1);
    ASSERT_TRUE(signal.Valid());
    *signal.Data() = 5;
    std::wstring commandLine = HookFolder() + L"kestrix64.exe --tick-ms 20";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    ASSERT_EQ(::WaitForSingleObject(process.Get(), 10000), WAIT_OBJECT_0);
    DWORD code = 99;
    ::GetExitCodeProcess(process.Get(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(*signal.Data(), kSignalNone);
    EXPECT_EQ(*SharedBlock::Open(kCompanionHandle, 4).Data(), 0);
}

}  // namespace
}  // namespace kx
