// What the program trusts of what other programs can reach: named objects,
// processes behind windows and ids, and keys typed from a lower integrity
// level. Windows enforces the descriptor and the label, and marks the keys;
// Wine enforces neither integrity labels nor most access lists and marks no
// key, so the decisions are checked here with made-up owners, paths and keys.
#include <gtest/gtest.h>

#include "base/text.h"
#include "engine/hooklink/key_translation.h"
#include "engine/hooklink/object_trust.h"
#include "tests/support/engine_rig.h"

namespace kx {
namespace {

constexpr char16_t kUser[] = u"S-1-5-21-1-2-3-1001";
constexpr char16_t kAdmins[] = u"S-1-5-32-544";

// An existing object is used only when our account created it; an image is
// a companion only in our own folder under its own name.
TEST(TrustRules, ExistingObjectsAndCompanionsAreOnlyOurOwn) {
    const struct { std::u16string_view owner, tokenOwner; bool accepted; } objects[] = {
        {kUser, kUser, true},                    // ours, not elevated
        {kAdmins, kAdmins, true},                // ours, created elevated
        {kUser, kAdmins, true},                  // ours from before an elevated start
        {u"S-1-5-21-1-2-3-1002", kUser, false},  // another user's
        {kAdmins, kUser, false},                 // an administrator's, and we are not one
        {u"", kUser, false},                     // the owner could not be read
    };
    for (const auto& c : objects) EXPECT_EQ(AcceptsExistingObject(c.owner, kUser, c.tokenOwner), c.accepted) << U8(c.owner);
    const std::u16string folder = u"C:\\Program Files\\Kestrix\\";
    const struct { std::u16string_view image; bool companion; } images[] = {
        {u"c:\\PROGRAM FILES\\kestrix\\KESTRIX64.EXE", true},
        {u"C:\\Users\\kim\\Downloads\\kestrix64.exe", false},  // same name, another folder
        {u"C:\\Program Files\\Kestrix\\kestrix.exe", false},     // the program itself
        {u"C:\\Program Files\\Kestrix\\kestrix64.exe.bak", false},
        {u"", false},                                               // gone, or not ours to ask
    };
    for (const auto& c : images) EXPECT_EQ(IsOurCompanion(c.image, folder), c.companion) << U8(c.image);
    EXPECT_FALSE(IsOurCompanion(u"kestrix64.exe", u"")) << "no folder, no companion";
    EXPECT_TRUE(IsSameImage(u"C:\\Kestrix\\kestrix.exe", u"c:\\kestrix\\KESTRIX.EXE"));
    EXPECT_FALSE(IsSameImage(u"C:\\Tools\\kestrix.exe", u"C:\\Kestrix\\kestrix.exe"));
    EXPECT_FALSE(IsSameImage(u"", u""));
    for (bool elevated : {false, true})
        for (CopyDataWindow w : {CopyDataWindow::Instance, CopyDataWindow::Main, CopyDataWindow::HookLink})
            EXPECT_EQ(OpensCopyDataToLowerLevels(w, elevated), elevated && w == CopyDataWindow::Instance);
}

// Letters type their small and capital letter, and nothing with CTRL or ALT.
class LetterLayout final : public KeyTranslator {
public:
    int ToChars(uint32_t vk, uint32_t, bool shift, bool ctrl, bool alt, bool, char16_t* out, int) override {
        if (vk < u'A' || vk > u'Z' || ctrl || alt) return 0;
        out[0] = shift ? char16_t(vk) : char16_t(vk + 32);
        return 1;
    }
};

// A sandboxed process's SendInput reaches the hook marked as coming from a
// lower integrity level. Such keys start no macro (macros start programs at
// our level); the user's own press of the same keys does.
TEST(TrustRules, KeysTypedFromALowerIntegrityLevelStartNoMacro) {
    LetterLayout layout;
    for (const char16_t* combination : {u"CTRL+ALT+E", u"SHIFT+E", u"ALT+E"}) {
        const std::u16string c = combination;
        test::EngineRig rig;
        rig.Add(combination, u"kbrd_input \"x\"", nullptr, ShortcutKind::Macro);
        for (bool lowerLevel : {true, false}) {
            RawKey raw;
            raw.vk = 'E';
            raw.ctrl = c.starts_with(u"CTRL");
            raw.shift = c.starts_with(u"SHIFT");
            raw.alt = c.find(u"ALT") != std::u16string::npos;
            raw.lowerLevel = lowerLevel;
            rig.expander.OnKeyEvent(BuildKeyEvent(raw, layout));
            raw.isUp = true;
            rig.expander.OnKeyEvent(BuildKeyEvent(raw, layout));
            EXPECT_EQ(rig.Lines("output StartMacro").size(), lowerLevel ? 0u : 1u)
                << (lowerLevel ? "lower level " : "user ") << U8(combination);
            rig.log.Clear();
        }
    }
}

}  // namespace
}  // namespace kx
