#include <gtest/gtest.h>

#include "engine/output/key_sequences.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/recording_key_injector.h"

namespace kx {
namespace {

using Lines = std::vector<std::string>;

TEST(KeySequences, DoubleSpaceFixIsOneCallOfEightRecords) {
    RecordingKeyInjector keys;
    FakeClock clock(777);
    ASSERT_TRUE(keys::SendDoubleSpaceFix({keys, clock}));
    ASSERT_EQ(keys.SendInputCalls().size(), 1u);
    const std::vector<KeyRecord> want = {{0x08, 0, 0, 777}, {0x08, 0, 2, 777}, {0x08, 0, 0, 777}, {0x08, 0, 2, 777},
                                         {0xBE, 0, 0, 777}, {0xBE, 0, 2, 777}, {0x20, 0, 0, 777}, {0x20, 0, 2, 777}};
    EXPECT_EQ(keys.SendInputCalls()[0], want);
}

TEST(KeySequences, CountsAndEmptySelections) {
    RecordingKeyInjector keys;
    FakeClock clock;
    KeyPorts p{keys, clock};
    // A count of 0 still taps once: the count is one less than the taps.
    ASSERT_TRUE(keys::SendBackspaces(p, 0));
    ASSERT_TRUE(keys::SelectLeft(p, 0));
    EXPECT_EQ(keys.Lines(), (Lines{"output SendInput [0x08 down, 0x08 up]", "output SendInput [0x10 down, 0x10 up]"}));
}

TEST(KeySequences, ShortCallEndsTheTaps) {
    RecordingKeyInjector keys;
    FakeClock clock;
    keys.FailSendInput(2, 1);
    EXPECT_FALSE(keys::SendBackspaces({keys, clock}, 4));
    EXPECT_EQ(keys.SendInputCalls().size(), 2u);
    EXPECT_EQ(keys.Lines().back(), "output SendInput [0x08 down, 0x08 up] inserted 1");
    keys.FailSendInput(3, 3);  // all of a 4-record Ctrl+V but one
    EXPECT_FALSE(keys::SendCtrlV({keys, clock}));
}

TEST(KeySequences, ReleaseShiftOnlyWhenDown) {
    RecordingKeyInjector keys;
    keys::ReleaseShift(keys);
    EXPECT_TRUE(keys.Calls().empty());
    keys.HoldKey(0x10);
    keys::ReleaseShift(keys);
    ASSERT_EQ(keys.Calls().size(), 3u);
    EXPECT_EQ(keys.KeyState(0x10), 0);
    const struct { uint8_t vk, scan; uint32_t flags; } want[] = {{0xA0, 0x2A, 3}, {0xA1, 0x36, 3}, {0x10, 0x2A, 2}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(keys.Calls()[i].vk, want[i].vk);
        EXPECT_EQ(keys.Calls()[i].scan, want[i].scan);
        EXPECT_EQ(keys.Calls()[i].flags, want[i].flags);
    }
}

}  // namespace
}  // namespace kx
