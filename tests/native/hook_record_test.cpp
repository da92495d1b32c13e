// The records the hook modules send: the 16 bytes of a key event exactly as
// written on the wire, what a key's record says of the focus it was typed
// into, the checks a record passes before the engine sees it, and the
// bitness rule that decides which module reports a key.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "engine/hooklink/bitness_rule.h"
#include "engine/hooklink/focus_rules.h"
#include "engine/hooklink/hook_record.h"
#include "engine/hooklink/record_queue.h"

namespace kx {
namespace {

// vk 0x4D434241, ch U+20AC, isDown 1, auxFlag 0x7F, focus 0x81, an unread
// byte, modifiers 0x49, stateFlags 0x02, position 0x0A0B0C0D.
using Wire = std::array<uint8_t, 16>;
constexpr Wire kWire = {0x41, 0x42, 0x43, 0x4D, 0xAC, 0x20, 0x01, 0x7F, 0x81, 0x00, 0x49, 0x02, 0x0D, 0x0C, 0x0B, 0x0A};

TEST(KeyEventWire, EveryByteStandsWhereTheLayoutSays) {
    KeyEvent e;
    e.vk = 0x4D434241;
    e.ch = 0x20AC;
    e.isDown = 1;
    e.auxFlag = 0x7F;
    e.modifiers = 0x49;
    e.stateFlags = 0x02;
    e.position = 0x0A0B0C0D;
    e.focus = 0x81;
    Wire out;
    out.fill(0xEE);
    EncodeKeyEvent(e, out.data());
    EXPECT_EQ(out, kWire);
    // Decoding reads the same places: what it read is written back the
    // same, byte 9 (unread) aside, and bytes 6, 7 and 11 stand on their own.
    Wire unread = kWire, cleared = kWire;
    unread[9] = 0xAA;
    cleared[6] = cleared[7] = cleared[11] = 0;
    for (Wire in : {unread, cleared}) {
        EncodeKeyEvent(DecodeKeyEvent(in.data()), out.data());
        in[9] = 0;
        EXPECT_EQ(out, in);
    }
}

// Asking UI Automation is a call into the focused program: once per focus
// change (an event, or another window), not once per key.
TEST(KeyFocus, TheFieldIsAskedOncePerFocusChange) {
    PasswordFieldCache cache;
    int asked = 0;
    bool field = true;  // the answer: the focused element is a password field
    auto ask = [&] { return ++asked, field; };
    for (int key = 0; key < 50; ++key) EXPECT_TRUE(cache.IsPassword(1, 0x100, ask));
    field = false;
    EXPECT_FALSE(cache.IsPassword(2, 0x100, ask));
    EXPECT_FALSE(cache.IsPassword(2, 0x100, ask));
    field = true;
    EXPECT_TRUE(cache.IsPassword(2, 0x200, ask));
    EXPECT_EQ(asked, 3);
}

// The hook module judges the focus when the key is pressed; the program
// takes the record's word for it, however late it reads the record.
TEST(KeyFocus, KeysTypedInPasswordBoxesOrOurOwnWindowsAreSuspended) {
    using namespace focus;
    const struct { FocusDescription d; uint8_t flags; } cases[] = {  // window, class, style, its process, ours
        {{0x100, u"Edit", 0x20, 7, 9}, kKnown | kPasswordBox},
        {{0x100, u"tedit", 0x20, 7, 9}, kKnown | kPasswordBox},
        {{0x100, u"Edit", 0, 7, 9}, kKnown},
        {{0x100, u"RICHEDIT50W", 0x20, 7, 9}, kKnown},  // the bit means something else there
        {{0x100, u"Edit", 0x20, 9, 9}, kKnown | kPasswordBox | kOwnWindow},
        {{0x100, u"RichEdit", 0, 9, 9}, kKnown | kOwnWindow},
        {{0, u"", 0, 9, 9}, kKnown},  // no focus at all is not one of our windows
        // A browser's or WPF's own field, as UI Automation or MSAA reports it.
        {{0x100, u"Chrome_RenderWidgetHostHWND", 0, 7, 9, true}, kKnown | kPasswordBox},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FocusFlags(c.d), c.flags) << std::string(c.d.className.begin(), c.d.className.end());
        EXPECT_EQ(SuspendsKey(c.flags), c.flags != kKnown);
    }
    // Without kKnown a record says nothing: the focus the program sees decides.
    EXPECT_FALSE(SuspendsKey(kPasswordBox | kOwnWindow));
}

class Sink final : public HookEventSink {
public:
    void OnKeyEvent(const KeyEvent& e) override { log.push_back("key " + std::to_string(e.ch)); }
    void ResetTypedBuffer() override { log.push_back("reset"); }
    void PostNotice(int, intptr_t) override {}
    void OnEngineStarted(uintptr_t, uint32_t) override {}
    std::vector<std::string> log;
};

TEST(HookRecord, OnlyTheTwoRecordShapesWithDataReachTheEngine) {
    std::array<uint8_t, 32> bytes{};
    std::copy(kWire.begin(), kWire.end(), bytes.begin());
    Sink sink;
    const void* d = bytes.data();
    const struct { uint64_t type; const void* data; size_t size; HookRecordKind kind; } cases[] = {
        {20, d, 16, HookRecordKind::KeyEvent}, {30, d, 28, HookRecordKind::DiscardWord},
        {20, d, 15, HookRecordKind::Refused},  {20, d, 17, HookRecordKind::Refused},
        {20, d, 28, HookRecordKind::Refused},  {30, d, 16, HookRecordKind::Refused},
        {21, d, 16, HookRecordKind::Refused},  {20, nullptr, 16, HookRecordKind::Refused},
        {30, nullptr, 28, HookRecordKind::Refused},
        {0x100000014ull, d, 16, HookRecordKind::Refused},  // 20 in the low half only
    };
    for (const auto& c : cases) {
        if (c.type != uintptr_t(c.type)) continue;
        const HookRecord r = ParseHookRecord(uintptr_t(c.type), c.data, c.size);
        EXPECT_EQ(r.kind, c.kind) << "type " << c.type << " size " << c.size;
        EXPECT_EQ(DeliverHookRecord(r, sink), c.kind != HookRecordKind::Refused);
        if (c.kind != HookRecordKind::Refused) { EXPECT_EQ(HookRecordSize(uintptr_t(c.type)), c.size); }
    }
    EXPECT_EQ(sink.log, (std::vector<std::string>{"key 8364", "reset"}));
    EXPECT_EQ(HookRecordSize(31), 0u);
}

TEST(RecordQueue, OverflowIsToldOnceAndAnEndedRunsSenderTakesNothing) {
    RecordQueue<int, 3> q;
    EXPECT_FALSE(q.Push(1)) << "nothing is taken before the queue is started";
    const uint32_t first = q.Restart();
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(q.Push(i), i <= 3);
    int v = 0;
    bool lost = false;
    ASSERT_TRUE(q.Pop(v, lost, first));
    EXPECT_TRUE(v == 1 && lost) << "the loss comes with the next record";
    ASSERT_TRUE(q.Pop(v, lost, first));
    EXPECT_TRUE(v == 2 && !lost) << "and is told once";

    q.Stop();
    const uint32_t second = q.Restart();
    EXPECT_NE(first, second);
    q.Push(7);
    q.Push(8);  // a spare, so that no Pop below can wait
    // The first run's sender outlived its stop: it gets nothing, not even
    // with items waiting, so the second run's sender is the only one.
    EXPECT_FALSE(q.Current(first));
    EXPECT_FALSE(q.Pop(v, lost, first));
    ASSERT_TRUE(q.Pop(v, lost, second));
    EXPECT_EQ(v, 7);
    q.Stop();
    EXPECT_FALSE(q.Pop(v, lost, second));
    EXPECT_FALSE(q.Current(second));
}

TEST(BitnessRule, EachModuleReportsItsOwnKindOfApplication) {
    EXPECT_EQ(BitnessModeFor(false, false), BitnessMode::All);
    EXPECT_EQ(BitnessModeFor(false, true), BitnessMode::Wow64Only);
    EXPECT_EQ(BitnessModeFor(true, false), BitnessMode::NativeOnly);
    EXPECT_EQ(BitnessModeFor(true, true), BitnessMode::NativeOnly);

    // Process 10 is 32-bit (WOW64), 20 is 64-bit, 30 cannot be asked.
    static std::map<uint32_t, int> answers;
    static int asked = 0;
    answers = {{10, 1}, {20, 0}, {30, -1}};
    AskWow64 ask = [](uint32_t pid) { return ++asked, answers[pid]; };
    BitnessRule all(BitnessMode::All);
    EXPECT_TRUE(all.Watches(10, ask) && all.Watches(20, ask) && all.Watches(30, ask) && all.Watches(0, ask));
    EXPECT_EQ(asked, 0);
    // Exactly one of the two modules reports each key; what cannot be
    // asked, and no foreground window, are the program's.
    BitnessRule program(BitnessMode::Wow64Only), companion(BitnessMode::NativeOnly);
    for (uint32_t pid : {10u, 20u, 30u, 0u}) {
        EXPECT_EQ(program.Watches(pid, ask), pid != 20) << pid;
        EXPECT_EQ(companion.Watches(pid, ask), pid == 20) << pid;
    }
    // The answer for the last process is kept: one question per change.
    asked = 0;
    BitnessRule cached(BitnessMode::Wow64Only);
    cached.Watches(10, ask);
    answers[10] = 0;  // a new process under the same id is only seen after a change
    EXPECT_TRUE(cached.Watches(10, ask));
    EXPECT_FALSE(cached.Watches(20, ask));
    EXPECT_FALSE(cached.Watches(10, ask));
    EXPECT_EQ(asked, 3);
}

}  // namespace
}  // namespace kx
