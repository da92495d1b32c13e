// Key combinations as the hook module reports them: CTRL+ALT with a letter
// that has no AltGr character arrives without one, so the word being typed
// does not grow by the letter, and the combination is still composed from
// the key itself.
#include <gtest/gtest.h>

#include "tests/support/engine_rig.h"

namespace kx::test {
namespace {

KeyEvent Key(uint32_t vk, char16_t ch, bool down, uint8_t mods = 0) {
    KeyEvent e;
    e.vk = vk;
    e.ch = down ? ch : 0;  // releases carry no character
    e.isDown = down ? 1 : 0;
    e.modifiers = mods;
    return e;
}

constexpr uint8_t kCtrlAlt = mod::kCtrl | mod::kAlt;

void Tap(EngineRig& rig, uint32_t vk, char16_t ch, uint8_t mods = 0) {
    rig.expander.OnKeyEvent(Key(vk, ch, true, mods));
    rig.expander.OnKeyEvent(Key(vk, ch, false, mods));
}

TEST(CombinationKey, ComesFromTheCharacterOrTheKey) {
    EXPECT_EQ(CombinationKey(Key('M', 0, true, kCtrlAlt)), u'M');
    EXPECT_EQ(CombinationKey(Key('7', 0, true, mod::kAlt)), u'7');
    EXPECT_EQ(CombinationKey(Key('Q', u'@', true, kCtrlAlt)), u'@');  // AltGr's own character
    EXPECT_EQ(CombinationKey(Key('M', 0, false, kCtrlAlt)), 0) << "a release completes nothing";
    EXPECT_EQ(CombinationKey(Key('M', 0, true, mod::kShift)), 0);
    EXPECT_EQ(CombinationKey(Key(0x70, 0, true, kCtrlAlt)), 0) << "F1 is no letter";
}

TEST(CombinationKey, CtrlAltLetterLeavesTheWordAndStartsItsMacro) {
    EngineRig rig;
    rig.Add(u"AB", u"alpha beta");
    rig.Add(u"ABM", u"wrong");
    rig.Add(u"CTRL+ALT+M", u"kbrd_input(hello)", nullptr, ShortcutKind::Macro);
    Tap(rig, 'A', u'a');
    Tap(rig, 'B', u'b');
    rig.expander.OnKeyEvent(Key(0x11, 0, true, mod::kCtrl));
    rig.expander.OnKeyEvent(Key(0x12, 0, true, kCtrlAlt));
    Tap(rig, 'M', 0, kCtrlAlt);
    rig.expander.OnKeyEvent(Key(0x11, 0, false, kCtrlAlt));
    rig.expander.OnKeyEvent(Key(0x12, 0, false, mod::kAlt));
    Tap(rig, 0x20, u' ');

    EXPECT_EQ(rig.Lines("output StartMacro"), std::vector<std::string>{"output StartMacro \"kbrd_input(hello)\""});
    const auto expansions = rig.Lines("output ExpandShortcut");
    ASSERT_EQ(expansions.size(), 1u);
    EXPECT_NE(expansions[0].find("keyword=AB "), std::string::npos) << expansions[0];
}

TEST(CombinationKey, HeldAndRepeatedCombinationsAsTheModuleReportsThem) {
    EngineRig rig;
    rig.Add(u"CTRL+ALT+M", u"kbrd_input(hello)", nullptr, ShortcutKind::Macro);
    rig.Add(u"CTRL+M", u"kbrd_input(ctrl)", nullptr, ShortcutKind::Macro);
    // CTRL and ALT held, M held down: the keyboard repeats the press, and
    // each repeat is a full press record (isDown 1, no character), while
    // only the one release carries isDown 0. Each press is a new trigger;
    // the release is none.
    for (int i = 0; i < 3; ++i) rig.expander.OnKeyEvent(Key('M', 0, true, kCtrlAlt));
    rig.expander.OnKeyEvent(Key('M', 0, false, kCtrlAlt));
    EXPECT_EQ(rig.Lines("output StartMacro").size(), 3u);
    // With CTRL alone the key keeps its plain character, and the release
    // of the held combination starts nothing either.
    rig.expander.OnKeyEvent(Key('M', u'm', true, mod::kCtrl));
    rig.expander.OnKeyEvent(Key('M', u'm', false, mod::kCtrl));
    const auto lines = rig.Lines("output StartMacro");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[3], "output StartMacro \"kbrd_input(ctrl)\"");
}

}  // namespace
}  // namespace kx::test
