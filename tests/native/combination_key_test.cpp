// Key combinations as the hook module reports them: CTRL+ALT with a letter
// that has no AltGr character arrives without one, so the word being typed
// does not grow by the letter, and the combination is still composed from
// the key itself. On US, German and French keyboards alike, every
// combination the macro editor offers or records starts its macro.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "base/text.h"
#include "engine/hooklink/key_translation.h"
#include "engine/macro/key_combinations.h"
#include "engine/matcher/combination_name.h"
#include "tests/support/engine_rig.h"

#ifdef _WIN32
#include <algorithm>
#include <cstdio>

#include "hook/dll/layout_translator.h"
#include "platform/win32/window_query_win32.h"
#endif

namespace kx::test {
namespace {

KeyEvent Key(uint32_t vk, char16_t ch, bool down, uint8_t mods) {
    KeyEvent e;
    e.vk = vk;
    e.ch = ch;
    e.isDown = down ? 1 : 0;
    e.modifiers = mods;
    return e;
}

constexpr uint8_t kCtrlAlt = mod::kCtrl | mod::kAlt;

TEST(CombinationKey, ComesFromTheCharacterOrTheKey) {
    const struct { KeyEvent e; char16_t key; } cases[] = {
        {Key('M', 0, true, kCtrlAlt), u'M'},
        {Key('7', 0, true, mod::kAlt), u'7'},
        {Key('Q', u'@', true, kCtrlAlt), u'@'},  // AltGr's own character
        {Key('M', 0, false, kCtrlAlt), 0},       // a release completes nothing
        {Key('M', 0, true, mod::kShift), 0},
        {Key(0x70, 0, true, kCtrlAlt), 0},       // F1 is no letter
    };
    for (const auto& c : cases) EXPECT_EQ(CombinationKey(c.e), c.key) << c.e.vk << " " << int(c.e.modifiers);
}

// The editor's list holds each combination once; held keys are written
// modifiers first; a combination is accepted only as the list writes it.
TEST(MacroCombinations, OfferedOnceEachAndCheckedExactly) {
    const auto& list = MacroKeyCombinations();
    EXPECT_EQ(std::set<std::u16string>(list.begin(), list.end()).size(), list.size());
    EXPECT_EQ(ComposeCombination(true, true, true, u'm'), u"CTRL+SHIFT+ALT+M");
    EXPECT_EQ(ComposeCombination(false, true, false, 0), u"SHIFT+") << "only modifiers held so far";
    const std::pair<const char16_t*, CombinationCheck> rows[] = {
        {u"CTRL+D", CombinationCheck::Ok},          {u"SHIFT+ALT+9", CombinationCheck::Ok},
        {u"CTRL+A", CombinationCheck::NotOffered},  {u"CTRL+ALT+", CombinationCheck::NotOffered},
        {u"Q", CombinationCheck::NoModifier},       {u"ctrl+d", CombinationCheck::NoModifier},
        {u"", CombinationCheck::Empty},
    };
    for (const auto& [text, check] : rows) EXPECT_EQ(CheckCombination(text), check) << int(check);
}

// A keyboard layout in miniature: what each key types plain, with SHIFT and
// with AltGr (CTRL and ALT). Letters type their small and capital letter;
// the digit row's keys 1 to 9 and 0 are given as strings, a space for none.
struct KeyRow {
    uint32_t vk;
    char16_t plain, shifted, altGr;
};

class TableLayout final : public KeyTranslator {
public:
    TableLayout(std::u16string_view plain, std::u16string_view shifted, std::u16string_view altGr,
                std::initializer_list<KeyRow> others) {
        for (char16_t c = u'A'; c <= u'Z'; ++c) rows_[c] = {c, char16_t(c + 32), c, 0};
        for (int i = 0; i < 10; ++i) {
            const auto none = [](char16_t c) { return c == u' ' ? char16_t(0) : c; };
            rows_[u"1234567890"[i]] = {u"1234567890"[i], plain[i], shifted[i], none(altGr[i])};
        }
        for (const KeyRow& r : others) rows_[r.vk] = r;
    }
    TableLayout& AltGr(uint32_t vk, char16_t c) {
        rows_[vk].altGr = c;
        return *this;
    }
    int ToChars(uint32_t vk, uint32_t, bool shift, bool ctrl, bool alt, bool, char16_t* out, int) override {
        const auto it = rows_.find(vk);
        if (it == rows_.end()) return 0;
        const char16_t c = ctrl && alt ? (shift ? 0 : it->second.altGr)
                           : ctrl || alt ? 0  // the hook asks without them
                           : shift ? it->second.shifted : it->second.plain;
        out[0] = c;
        return c ? 1 : 0;
    }
    // What MapVirtualKey gives: capitals for letters, else the plain character.
    char16_t Unshifted(uint32_t vk) const {
        const auto it = rows_.find(vk);
        if (it == rows_.end()) return 0;
        return vk >= u'A' && vk <= u'Z' ? char16_t(vk) : it->second.plain;
    }

private:
    std::map<uint32_t, KeyRow> rows_;
};

TableLayout UsLayout() {
    return TableLayout(u"1234567890", u"!@#$%^&*()", u"          ",
                       {{0xBA, u';', u':', 0}, {0xBF, u'/', u'?', 0}, {0xDE, u'\'', u'"', 0}});
}

// German (QWERTZ): AltGr types @, the euro sign and micro on Q, E and M, and
// braces and brackets on 7 to 0.
TableLayout GermanLayout() {
    TableLayout t(u"1234567890", u"!\"\u00A7$%&/()=", u" \u00B2\u00B3   {[]}",
                  {{0xDB, u'\u00DF', u'?', u'\\'}, {0xBA, u'\u00FC', u'\u00DC', 0}, {0xBB, u'+', u'*', u'~'},
                   {0xE2, u'<', u'>', u'|'}});
    t.AltGr('Q', u'@').AltGr('E', u'\u20AC').AltGr('M', u'\u00B5');
    return t;
}

// French (AZERTY): the digit row types symbols, and its digits with SHIFT.
TableLayout FrenchLayout() {
    return TableLayout(u"&\u00E9\"'(-\u00E8_\u00E7\u00E0", u"1234567890", u" ~#{[|`\\^@", {});
}

struct Held {
    bool ctrl = false, shift = false, alt = false;
};

Held HeldFor(std::u16string_view combination) {
    return {combination.find(u"CTRL+") != std::u16string_view::npos,
            combination.find(u"SHIFT+") != std::u16string_view::npos,
            combination.find(u"ALT+") != std::u16string_view::npos};
}

// The key pressed and released as the hook module reports it in `layout`.
void Press(EngineRig& rig, KeyTranslator& layout, uint32_t vk, Held held) {
    RawKey raw;
    raw.vk = vk;
    raw.ctrl = held.ctrl;
    raw.shift = held.shift;
    raw.alt = held.alt;
    rig.expander.OnKeyEvent(BuildKeyEvent(raw, layout));
    raw.isUp = true;
    rig.expander.OnKeyEvent(BuildKeyEvent(raw, layout));
}

// What the editor's key field writes while these keys are held.
std::u16string Recorded(char16_t unshifted, uint32_t vk, Held held) {
    return ComposeCombination(held.ctrl, held.shift, held.alt, CombinationKeyName(vk, unshifted));
}

struct NamedLayout {
    const char* name;
    TableLayout (*make)();
};
constexpr NamedLayout kLayouts[] = {{"US", UsLayout}, {"German", GermanLayout}, {"French", FrenchLayout}};

std::string Script(std::u16string_view combination) { return "output StartMacro \"" + U8(combination) + "\""; }

// Every combination the editor offers, and keys other than letters and
// digits (named by what they type unshifted), start the macro saved under
// the name the editor's field writes for them.
TEST(CombinationKey, EveryRecordedCombinationStartsItsMacroOnUsGermanAndFrenchKeyboards) {
    struct Key {
        uint32_t vk;
        Held held;
        std::u16string recorded;
    };
    const std::vector<Key> punctuation[std::size(kLayouts)] = {
        {{0xBA, {true, true, false}, u"CTRL+SHIFT+;"}, {0xBF, {true, false, true}, u"CTRL+ALT+/"},
         {0xDE, {false, true, false}, u"SHIFT+'"}},
        {{0xDB, {true, false, true}, u"CTRL+ALT+\u00DF"}, {0xBA, {false, true, true}, u"SHIFT+ALT+\u00DC"},
         {0xBB, {true, false, true}, u"CTRL+ALT++"}, {0xE2, {true, true, false}, u"CTRL+SHIFT+<"}},
        {},
    };
    for (size_t l = 0; l < std::size(kLayouts); ++l) {
        TableLayout layout = kLayouts[l].make();
        EngineRig rig;
        rig.windows.SetLayout([&](uint32_t vk) { return layout.Unshifted(vk); });
        std::vector<Key> keys = punctuation[l];
        // A letter's or digit's combination is pressed on that key.
        for (const std::u16string& c : MacroKeyCombinations()) keys.push_back({c.back(), HeldFor(c), c});
        for (const Key& k : keys) rig.Add(k.recorded.c_str(), k.recorded.c_str(), nullptr, ShortcutKind::Macro);
        for (const Key& k : keys) {
            EXPECT_EQ(Recorded(layout.Unshifted(k.vk), k.vk, k.held), k.recorded) << kLayouts[l].name;
            Press(rig, layout, k.vk, k.held);
            EXPECT_EQ(rig.Lines("output StartMacro"), std::vector<std::string>{Script(k.recorded)})
                << kLayouts[l].name << " " << U8(k.recorded);
            rig.log.Clear();
        }
    }
}

// AltGr+Q types "@" into the window on a German keyboard: the "@" is taken
// back once; on a US keyboard the same keys type nothing to take back.
TEST(CombinationKey, ACharacterTheCombinationTypedIsTakenBackOnce) {
    TableLayout us = UsLayout(), german = GermanLayout();
    TableLayout* layout = &german;
    EngineRig rig;
    rig.windows.SetLayout([&](uint32_t vk) { return layout->Unshifted(vk); });
    rig.Add(u"CTRL+ALT+Q", u"q", nullptr, ShortcutKind::Macro);
    Press(rig, german, 'Q', {true, false, true});
    EXPECT_EQ(rig.Lines("output SendBackspaces"), std::vector<std::string>{"output SendBackspaces 0"});
    rig.log.Clear();
    layout = &us;
    Press(rig, us, 'Q', {true, false, true});
    EXPECT_EQ(rig.Lines("output StartMacro").size(), 1u);
    EXPECT_TRUE(rig.Lines("output SendBackspaces").empty());
}

#ifdef _WIN32
// A keyboard layout the system has, loaded by its identifier and unloaded
// again if it was not loaded before. None where the system answers with
// another language: Wine 8 has only the US tables and gives the US layout
// for every identifier.
class SystemLayout {
public:
    SystemLayout(const wchar_t* id, LANGID language) {
        std::vector<HKL> before(size_t(::GetKeyboardLayoutList(0, nullptr)));
        before.resize(size_t(::GetKeyboardLayoutList(int(before.size()), before.data())));
        HKL loaded = ::LoadKeyboardLayoutW(id, KLF_NOTELLSHELL);
        if (!loaded) return;
        if (LOWORD(reinterpret_cast<uintptr_t>(loaded)) == language) hkl_ = loaded;
        unload_ = std::find(before.begin(), before.end(), loaded) == before.end();
        if (unload_) loaded_ = loaded;
    }
    ~SystemLayout() {
        if (unload_) ::UnloadKeyboardLayout(loaded_);
    }
    SystemLayout(const SystemLayout&) = delete;
    SystemLayout& operator=(const SystemLayout&) = delete;
    HKL Get() const { return hkl_; }

private:
    HKL hkl_ = nullptr, loaded_ = nullptr;
    bool unload_ = false;
};

// The system's US and German layouts, read as the editor's field reads them
// (MapVirtualKeyEx) and as the hook module reads them (ToUnicodeEx): every
// offered combination, and punctuation keys held with each kind of
// modifier, start the macro saved under the name the field writes.
TEST(CombinationKey, TheEditorsNameStartsTheMacroInTheSystemsLayouts) {
    struct Wanted {
        const wchar_t* id;
        LANGID language;
        const char* name;
    };
    int tested = 0;
    for (const Wanted& w : {Wanted{L"00000409", 0x0409, "US"}, Wanted{L"00000407", 0x0407, "German"}}) {
        const SystemLayout system(w.id, w.language);
        const HKL layout = system.Get();
        if (!layout) {
            // Said in the test's output, not hidden: the US layout must be
            // there (checked below), German is where the system has it.
            std::printf("the %s keyboard layout is not available here\n", w.name);
            continue;
        }
        ++tested;
        hook::LayoutTranslator translator(layout);
        EngineRig rig;
        rig.windows.SetLayout([&](uint32_t vk) { return UnshiftedCharacter(vk, layout); });
        std::vector<std::pair<uint32_t, Held>> keys;
        for (const std::u16string& c : MacroKeyCombinations()) {
            EXPECT_EQ(Recorded(UnshiftedCharacter(c.back(), layout), c.back(), HeldFor(c)), c) << w.name;
            keys.push_back({c.back(), HeldFor(c)});
        }
        for (uint32_t vk : {0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xC0, 0xDB, 0xDC, 0xDD, 0xDE})
            for (Held held :
                 {Held{true, true, false}, Held{true, false, true}, Held{false, true, true}, Held{false, true, false}})
                keys.push_back({vk, held});
        for (size_t i = 0; i < keys.size(); ++i) {
            const auto [vk, held] = keys[i];
            const std::u16string name = Recorded(UnshiftedCharacter(vk, layout), vk, held);
            const std::u16string script = u"m" + U16(std::to_string(i));
            rig.Add(name.c_str(), script.c_str(), nullptr, ShortcutKind::Macro);
            Press(rig, translator, vk, held);
            EXPECT_EQ(rig.Lines("output StartMacro"), std::vector<std::string>{Script(script)})
                << w.name << " " << U8(name);
            rig.log.Clear();
        }
    }
    EXPECT_GE(tested, 1) << "not even the US layout could be loaded";
}
#endif

}  // namespace
}  // namespace kx::test
