// The hook link with real modules under Wine: its failure paths, the checks
// on WM_COPYDATA records, the hook states, and the exchange with the 64-bit
// companion, and the engine's notices to the main window. Needs a display
// (windows).
#include <gtest/gtest.h>

#include <windows.h>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/text.h"
#include "engine/hooklink/companion_link_win32.h"
#include "engine/hooklink/hook_link_win32.h"
#include "engine/hooklink/hook_protocol.h"
#include "engine/hooklink/named_objects_win32.h"
#include "engine/hooklink/notice_port_win32.h"
#include "engine/hooklink/shared_block_win32.h"
#include "engine/hooklink/suspend_rules.h"
#include "platform/process_bitness.h"
#include "platform/win32/handles.h"
#include "tests/win32/win32_rig.h"

namespace kx {
namespace {

using namespace hookproto;
using test::FakeFocus;
using test::Within;
using test::WinPath;
using Notice = std::pair<int, intptr_t>;

const std::wstring kHookFolder = WinPath(KX_BINARY_DIR "/hook/");
const std::wstring kRealModule = kHookFolder + L"kxhook.dll";

// What reaches the engine: the characters of the keys, the discarded words
// (both in order, a word as "|"), and the last state announced. It can sit
// on the next key for a while, as a busy program does.
class RecordingSink final : public HookEventSink {
public:
    void OnKeyEvent(const KeyEvent& e) override {
        if (const DWORD ms = blockNextKeyMs.exchange(0)) ::Sleep(ms);
        Locked(), typed_ += e.ch, order_ += e.ch ? std::u16string(1, e.ch) : u"";
    }
    void ResetTypedBuffer() override { Locked(), ++resets_, order_ += u'|'; }
    void PostNotice(int kind, intptr_t value) override { Locked(), last_ = {kind, value}; }
    void OnEngineStarted(uintptr_t, uint32_t message) override { noticeMessage = message; }
    std::u16string Typed() { return Locked(), typed_; }
    std::u16string Order() { return Locked(), order_; }
    int Resets() { return Locked(), resets_; }
    Notice Last() { return Locked(), last_; }
    uint32_t noticeMessage = 0;
    std::atomic<DWORD> blockNextKeyMs{0};

private:
    std::unique_lock<std::mutex> Locked() { return std::unique_lock<std::mutex>(lock_); }
    std::mutex lock_;
    std::u16string typed_, order_;
    int resets_ = 0;
    Notice last_{0, 0};
};

const FocusDescription kPlain{0x400, u"Edit", 0, 1, 2}, kPassword{0x300, u"Edit", 0x20, 1, 2};

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
        ASSERT_TRUE(UniqueWindow(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr)))
            << "Wine needs a display (DISPLAY) to create windows";
    }
    // Starts `link` with the real module and its hooks on; its window.
    HWND Started(HookLink& link, bool hooksOn = true) {
        EXPECT_TRUE(link.StartEngine(nullptr, kRealModule));
        EXPECT_TRUE(link.SetHooksEnabled(hooksOn));
        ::Sleep(50);  // the introduction (1025) goes through the queue
        return link.MessageWindow();
    }
    RecordingSink sink;
    FakeFocus focus;
};

// Whatever failed, nothing is left held: a link with the real module starts after it.
TEST_F(HookLinkTest, FailedStartsHoldNothing) {
    {
        HookLink link(sink, focus);
        EXPECT_FALSE(link.Start(WinPath(KX_BINARY_DIR "/tests/e2e/kxhook_noenable.dll"), false));
        EXPECT_EQ(::GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
        EXPECT_FALSE(link.ModuleLoaded());
        EXPECT_EQ(::GetModuleHandleW(L"kxhook_noenable.dll"), nullptr);
    }
    {
        HookLink link(sink, focus);
        EXPECT_FALSE(link.StartEngine(nullptr, kHookFolder + L"no-such-module.dll"));
        EXPECT_EQ(sink.Last(), Notice(1, kStateOff));
        EXPECT_EQ(link.CurrentState(), kStateOff);
    }
    // A second link in the session fails at the mutex until the first stops.
    HookLink first(sink, focus), second(sink, focus);
    ASSERT_TRUE(first.Start(kRealModule, false));
    EXPECT_FALSE(second.Start(kRealModule, false));
    EXPECT_FALSE(second.ModuleLoaded());
    EXPECT_FALSE(first.Start(kRealModule, false)) << "running already";
    EXPECT_TRUE(first.StopEngine());
    EXPECT_TRUE(second.Start(kRealModule, false));
}

TEST_F(HookLinkTest, OnlyWellFormedRecordsFromItsOwnModuleReachTheEngine) {
    HookLink link(sink, focus);
    std::atomic<DWORD> ranOn{0};
    EXPECT_FALSE(link.RunOnLinkThread([&] { ranOn = 1; })) << "no link thread runs yet";
    HWND window = Started(link);
    // The record shapes are the native record test's; the window applies them.
    uint8_t bytes[32] = {};
    EXPECT_EQ(SendRecord(window, kRecordKeyEvent, bytes, 17), -1);
    EXPECT_EQ(SendRecord(window, kRecordKeyEvent, nullptr, 0), -1);
    EXPECT_EQ(sink.Typed(), u"");
    EXPECT_EQ(sink.Resets(), 0);

    // Another link, or any number from another window or process, posted as
    // message 1025: the window keeps the link that created it.
    RecordingSink otherSink;
    HookLink other(otherSink, focus);
    for (WPARAM stray : {reinterpret_cast<WPARAM>(&other), WPARAM(0), WPARAM(0x12345678)})
        ASSERT_TRUE(::PostMessageW(window, kIntroduceLink, stray, 0));
    ::Sleep(50);
    EXPECT_EQ(SendKey(window, u'k'), 0);
    EXPECT_EQ(sink.Typed(), u"k");
    EXPECT_EQ(otherSink.Typed(), u"");
    EXPECT_EQ(SendRecord(window, kRecordDiscardWord, bytes, 28), 0);
    EXPECT_EQ(sink.Resets(), 1);

    // Other threads' work runs on the link's thread.
    ASSERT_TRUE(link.RunOnLinkThread([&] { ranOn = ::GetCurrentThreadId(); }));
    EXPECT_TRUE(Within(5000, [&] { return ranOn != 0; }));
    EXPECT_EQ(ranOn.load(), ::GetWindowThreadProcessId(window, nullptr));
}

// A key is judged by the focus the module noted as it was typed; a record
// without that note by the focus when it is read.
TEST_F(HookLinkTest, StatesGateTheRecords) {
    HookLink link(sink, focus);
    HWND window = Started(link, false);
    EXPECT_EQ(sink.noticeMessage, link.NoticeMessage());
    EXPECT_EQ(sink.Last(), Notice(1, kStateOff));
    EXPECT_FALSE(link.HooksRunning());
    uint8_t discard[28] = {};
    EXPECT_EQ(SendKey(window, u'a'), 0);
    EXPECT_EQ(SendRecord(window, kRecordDiscardWord, discard, 28), 0);
    EXPECT_EQ(sink.Resets(), 0);

    ASSERT_TRUE(link.SetHooksEnabled(true));
    EXPECT_TRUE(link.HooksRunning());
    EXPECT_EQ(link.CurrentState(), kStateActive);
    struct Row {
        const char* what;
        FocusDescription now;
        uint8_t flags;
        char16_t key;
        int32_t state;
    } rows[] = {
        {"plain edit", kPlain, 0, u'b', kStateActive},
        {"password box now", kPassword, 0, u'c', kStateSuspended},
        {"plain again", kPlain, 0, u'd', kStateActive},
        // A password manager's Enter moved the focus on before the record was read.
        {"typed into a password box", kPlain, focus::kKnown | focus::kPasswordBox, u'p', kStateSuspended},
        {"typed into a plain edit", kPassword, focus::kKnown, u'q', kStateActive},
    };
    std::u16string delivered;
    for (const Row& r : rows) {
        focus.Set(r.now);
        EXPECT_EQ(SendKey(window, r.key, r.flags), 0) << r.what;
        EXPECT_EQ(sink.Last(), Notice(1, r.state)) << r.what;
        if (r.state == kStateActive) delivered += r.key;
        EXPECT_EQ(sink.Typed(), delivered) << r.what;
    }
    ASSERT_TRUE(link.SetHooksEnabled(false));
    EXPECT_EQ(SendKey(window, u'r', focus::kKnown), 0);
    EXPECT_EQ(sink.Typed(), delivered) << "switched off, nothing is delivered whatever the record says";

    // Stopping cleans up and discards the word.
    const int resets = sink.Resets();
    EXPECT_TRUE(link.StopEngine());
    EXPECT_EQ(sink.Resets(), resets + 1);
    EXPECT_FALSE(link.ModuleLoaded());
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_FALSE(link.SetHooksEnabled(true)) << "without a module";
    EXPECT_EQ(sink.Last(), Notice(1, kStateFailed));
}

// The user's "off", from the UI thread, while the link thread looks at the
// suspend rules on the way out of a password box.
TEST_F(HookLinkTest, HooksSwitchedOffWhileTheRulesAreLookedAtStayOff) {
    HookLink link(sink, focus);
    focus.Set(kPassword);
    HWND window = Started(link);
    EXPECT_EQ(SendKey(window, u'a'), 0);
    EXPECT_EQ(sink.Last(), Notice(1, kStateSuspended));
    focus.Set(kPlain);
    std::thread off;
    std::atomic<bool> offDone{false};
    focus.onDescribe = [&] {
        off = std::thread([&] { link.SetHooksEnabled(false), offDone = true; });
        for (int i = 0; i < 30 && !offDone; ++i) ::Sleep(10);  // every chance to get in first
    };
    EXPECT_EQ(SendKey(window, u'b'), 0);
    ASSERT_TRUE(off.joinable());
    off.join();
    EXPECT_EQ(link.CurrentState(), kStateOff);
    EXPECT_FALSE(link.HooksRunning()) << "the hooks came back on behind the user's off";
    EXPECT_EQ(sink.Last(), Notice(1, kStateOff));
}

// The module's own side, fed with SendInput: what it sends when the program
// did not take a record in time, and that its hook callback never waits on
// the shared switches.

void Tap(WORD vk) {
    INPUT in[2] = {};
    for (INPUT& i : in) i.type = INPUT_KEYBOARD, i.ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, in, sizeof(INPUT));
}

// Each of these starts with a module of its own state: an earlier test's
// threads let go of theirs as they end.
bool NoModuleLoaded() {
    return Within(2000, [] { return !::GetModuleHandleW(L"kxhook.dll"); });
}

// The program sits on A's record longer than the module waits; what the
// module tries meanwhile (A's release) may be lost or wait in the queue, a
// race between the send's 5 s limit and the system's 5 s hung rule. Either
// way the next key comes after one discarded word: the engine forgets a
// word it no longer knows.
TEST_F(HookLinkTest, ARecordNotTakenInTimeIsFollowedByOneDiscardedWord) {
    ASSERT_TRUE(NoModuleLoaded());
    HookLink link(sink, focus);
    Started(link);
    Tap('Z');  // the hooks are in place once a key and its release came through
    ASSERT_TRUE(Within(5000, [&] { return sink.Typed().size() == 2; })) << Utf16ToUtf8(sink.Order());
    sink.blockNextKeyMs = 7000;
    Tap('A');
    ASSERT_TRUE(Within(15000, [&] { return sink.Order() == u"za"; })) << Utf16ToUtf8(sink.Order());
    Tap('B');
    ASSERT_TRUE(Within(15000, [&] { return sink.Order().size() >= 4; }));
    ::Sleep(200);  // a second discard would come with B's release
    EXPECT_EQ(sink.Order(), u"za|b");
}

// The link started without switching the hooks on, as the program starts
// it, counting every record the module sends: the switches are the
// module's to open then, not its callback's at the first key.
struct CountingLink final : HookLink {
    using HookLink::HookLink;
    LRESULT OnMessage(const MSG& m) override { return records += m.message == NoticeMessage(), HookLink::OnMessage(m); }
    std::atomic<int> records{0};
};

TEST_F(HookLinkTest, TheHookCallbackNeverWaitsForTheSwitchesBlock) {
    ASSERT_TRUE(NoModuleLoaded());
    SharedBlock switches = SharedBlock::Open(L"Local\\KestrixHookSwitches", kHookCount * sizeof(LONG));
    ASSERT_TRUE(switches.Valid());
    reinterpret_cast<volatile LONG*>(switches.Data())[kHookKeyboard] = 1;
    // Another of our processes holds the block's creation mutex as if it hung
    // there, from before the hooks are set (which may wait for it).
    DWORD error = 0;
    UniqueHandle creation(CreateOwnMutex(CreationMutexName(L"Local\\KestrixHookSwitches").c_str(), error));
    ASSERT_EQ(::WaitForSingleObject(creation.Get(), 1000), WAIT_OBJECT_0);
    CountingLink link(sink, focus);
    EXPECT_TRUE(link.Start(kRealModule, false));
    const ULONGLONG start = ::GetTickCount64();
    Tap('C');
    EXPECT_TRUE(Within(10000, [&] { return link.records >= 2; }));
    EXPECT_LT(::GetTickCount64() - start, 2000u) << "the first key waited on the switches block";
    ::ReleaseMutex(creation.Get());
}

class FakeBitness final : public ProcessBitness {
public:
    explicit FakeBitness(bool wow64) : wow64_(wow64) {}
    bool RunsUnderWow64() override { return wow64_; }
    bool wow64_;
};

// Stands in for the application's main window: message 1195 goes to the link.
LRESULT CALLBACK AppWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* companion = reinterpret_cast<CompanionLink*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == kCompanionRecord) return companion ? companion->OnCompanionRecord(wParam) : 0;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// The companion's liveness byte.
volatile uint8_t* SignalByte() {
    static SharedBlock block = SharedBlock::Open(kCompanionSignal, 1);
    return reinterpret_cast<volatile uint8_t*>(block.Data());
}
uint8_t Signal() { return *SignalByte(); }
void SetSignal(uint8_t value) { *SignalByte() = value; }

// Ends `id` through `end` and returns its exit code once it has gone.
template <typename End>
DWORD ExitCodeAfter(DWORD id, End end) {
    UniqueHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    end();
    DWORD code = 99;
    if (process && ::WaitForSingleObject(process.Get(), 10000) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(process.Get(), &code);
    return code;
}

TEST_F(HookLinkTest, CompanionIsStartedAdoptedAndDeliversThroughHook64Info) {
    HookLink link(sink, focus);
    Started(link);
    UniqueWindow app = test::OwnWindow(L"KxTestAppWindow", AppWindowProc);
    ASSERT_TRUE(app);
    CompanionLink companion(link);
    ::SetWindowLongPtrW(app.Get(), GWLP_USERDATA, LONG_PTR(&companion));
    FakeBitness native(false), wow64(true);
    EXPECT_EQ(companion.StartOrAdopt(native, app.Get(), kHookFolder), 0u) << "not WOW64: no companion";
    EXPECT_FALSE(companion.HoldsProcess());

    ASSERT_EQ(Signal(), kSignalNone);
    EXPECT_EQ(companion.StartOrAdopt(wow64, app.Get(), kHookFolder), kCompanionFirstRefreshMs);
    EXPECT_EQ(Signal(), kSignalLaunched);
    ASSERT_TRUE(companion.HoldsProcess());
    SharedBlock pid = SharedBlock::Open(kCompanionHandle, 4);
    const auto published = [&] { return *reinterpret_cast<volatile DWORD*>(pid.Data()); };
    EXPECT_TRUE(Within(10000, [&] { return published() == companion.ProcessId(); }));
    EXPECT_EQ(companion.OnRefreshTimer(app.Get()), kCompanionRefreshMs);
    EXPECT_EQ(Signal(), kSignalRefreshed);

    // A record sent to the companion's window arrives as message 1195.
    HWND companionWindow = nullptr;
    EXPECT_TRUE(Within(10000, [&] { return (companionWindow = ::FindWindowW(kCompanionWindowClass, nullptr)) != nullptr; }));
    EXPECT_EQ(SendKey(companionWindow, u'z'), 0);
    EXPECT_EQ(sink.Typed(), u"z");
    uint8_t bytes[28] = {};
    EXPECT_EQ(SendRecord(companionWindow, kRecordDiscardWord, bytes, 28), 0);
    EXPECT_EQ(sink.Resets(), 1);

    // A second start adopts the running companion, but only for our own
    // folder: one elsewhere we would never signal or end.
    CompanionLink again(link), elsewhere(link);
    EXPECT_EQ(again.StartOrAdopt(wow64, app.Get(), kHookFolder), 0u);
    EXPECT_EQ(again.ProcessId(), companion.ProcessId());
    EXPECT_EQ(elsewhere.StartOrAdopt(wow64, app.Get(), kHookFolder + L"other\\"), 0u);
    EXPECT_FALSE(elsewhere.HoldsProcess());

    // Asked to end, it ends by itself and clears the liveness byte and its
    // process id, which a killed companion could not do.
    EXPECT_EQ(ExitCodeAfter(companion.ProcessId(), [&] { companion.Terminate(); }), 0u);
    EXPECT_FALSE(companion.HoldsProcess());
    EXPECT_EQ(Signal(), kSignalNone);
    EXPECT_EQ(published(), 0u);
    ::SetWindowLongPtrW(app.Get(), GWLP_USERDATA, 0);
    SetSignal(kSignalNone);  // for the tests after a failure here
}

// A copy of the companion in a folder whose name has a space, and beside
// that folder a program named like its first word, which an unquoted
// command line would start (it ends at once: no kxhook64.dll beside it).
// Then the companion on its own, whose liveness byte runs out.
TEST_F(HookLinkTest, CompanionStartsFromItsQuotedPathAndEndsWhenItsLivenessRunsOut) {
    const std::wstring base = WinPath(KX_BINARY_DIR "/hook-space-test\\"), folder = base + L"kx companion\\";
    ::CreateDirectoryW(base.c_str(), nullptr);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    for (auto [from, to] : {std::pair{L"kestrix64.exe", folder + L"kestrix64.exe"},
                            {L"kxhook64.dll", folder + L"kxhook64.dll"}, {L"kestrix64.exe", base + L"kx.exe"}})
        ASSERT_TRUE(::CopyFileW((kHookFolder + from).c_str(), to.c_str(), FALSE));
    HookLink link(sink, focus);
    CompanionLink companion(link);
    FakeBitness wow64(true);
    SetSignal(kSignalNone);
    ASSERT_EQ(companion.StartOrAdopt(wow64, nullptr, folder), kCompanionFirstRefreshMs);
    UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, companion.ProcessId()));
    ASSERT_TRUE(process);
    wchar_t image[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    ASSERT_TRUE(::QueryFullProcessImageNameW(process.Get(), 0, image, &length));
    EXPECT_NE(std::wstring(image, length).find(L"kx companion"), std::wstring::npos);
    ExitCodeAfter(companion.ProcessId(), [&] { companion.Terminate(); });

    SetSignal(5);
    std::wstring commandLine = kHookFolder + L"kestrix64.exe --tick-ms 20";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    UniqueHandle started(pi.hProcess), thread(pi.hThread);
    EXPECT_EQ(ExitCodeAfter(pi.dwProcessId, [] {}), 0u);
    EXPECT_EQ(Signal(), kSignalNone);
    EXPECT_EQ(*SharedBlock::Open(kCompanionHandle, 4).Data(), 0);
}

// The engine's notices reach the main window as the hook link's registered
// message (the options suite's status bar follows a program's rule by them);
// here the corners: no window yet, and a link that could not register the
// message leaving ours.
TEST(NoticePort, PostsNothingWithoutAWindowAndKeepsItsMessage) {
    NoticePort port;
    EXPECT_EQ(port.Message(), ::RegisterWindowMessageW(hookproto::kNoticeMessageName));
    EXPECT_FALSE(port.Post(1, 1)) << "no window yet";
    port.Adopt(0);
    EXPECT_EQ(port.Message(), ::RegisterWindowMessageW(hookproto::kNoticeMessageName));
}

}  // namespace
}  // namespace kx
