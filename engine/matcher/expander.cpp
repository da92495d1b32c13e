#include "engine/matcher/expander.h"

#include "base/text.h"
#include "base/unicode_case.h"
#include "engine/matcher/shared_entry.h"
#include "engine/matcher/combination_name.h"

namespace kx {
namespace {

constexpr uint32_t kToggleDebounceMs = 150;
constexpr unsigned kToggleBalloonMs = 1000;
constexpr int kIconOn = 1;
constexpr int kIconOff = 23;
constexpr uint32_t kVkEscape = 0x1B;
constexpr unsigned kProgramRefusedBalloonMs = 10000;
constexpr const char16_t* kSharedProgramRefused =
    u"A shared macro asked to start a program. Kestrix starts programs only from a shared shortcuts file that "
    u"no one but an administrator can change, so the rest of the macro played without it.";

bool IsDigitAscii(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

std::u16string ModifierPrefix(const KeyEvent& e) {
    std::u16string t;
    if (e.ctrl()) t += u"CTRL+";
    if (e.shift()) t += u"SHIFT+";
    if (e.alt()) t += u"ALT+";
    return t;
}

void Expander::SetStores(StoreRef local, StoreRef shared) {
    std::lock_guard<std::mutex> g(storesLock_);
    local_ = std::move(local);
    shared_ = std::move(shared);
}

void Expander::LoadSwitches() {
    casingEnabled_ = p_.settings.ReadBool(settings::ExpansionCasing);
    doubleSpaceEnabled_ = p_.settings.ReadBool(settings::DoubleSpace);
}

void Expander::ResetTypedBuffer() {
    s_.typed.clear();
    p_.app.PostNotice(notice::kWord, notice::kDiscarded);
}

void Expander::ForgetWords() {
    s_.previousWord.clear();
    s_.breakCount = 0;
    ResetTypedBuffer();
}

bool Expander::Lookup(std::u16string_view key, EntryRef& out) {
    Origin origin;
    return Lookup(key, out, origin, true);
}

bool Expander::Lookup(std::u16string_view key, EntryRef& out, Origin& origin, bool sharedAllowed) {
    bool hit = false;
    {
        // Held across the search so the UI thread cannot swap a store out
        // from under it; each store still takes its own lock inside Find.
        std::lock_guard<std::mutex> g(storesLock_);
        // The shared switches apply to the very next word after any change,
        // from the Options pages or from outside the program; reading them
        // only when their section changed keeps the registry off the path of
        // every keyword.
        if (!sharedWatch_) sharedWatch_ = p_.settings.registry().WatchTree(Hive::CurrentUser, SettingsStore::SectionPath(settings::kShared));
        if (sharedWatch_->Changed()) {
            sharedEnabled_ = p_.settings.ReadBool(settings::SharedEnabled);
            sharedFirst_ = p_.settings.ReadBool(settings::SharedReplacesLocal);
        }
        ShortcutStore* first = local_.get();
        ShortcutStore* second = sharedEnabled_ && sharedAllowed ? shared_.get() : nullptr;
        if (sharedEnabled_ && sharedFirst_) std::swap(first, second);
        for (ShortcutStore* store : {first, second})
            if (store && (hit = store->Find(key, out))) {
                origin.shared = store == shared_.get();
                origin.startsPrograms = !origin.shared || store->StartsPrograms();
                break;
            }
    }
    if (p_.trace) p_.trace->OnLookup(key, hit);
    return hit;
}

void Expander::OnKeyEvent(const KeyEvent& e) {
    // The V of our own Ctrl+V may still be reported; nothing may see it.
    if (e.vk == 0x56 && s_.skipNextV.exchange(false)) return;
    p_.autoComplete.TrackEdit(e);
    ProcessToggles(e);
    // Where the key went is followed whatever the switches say: with
    // expansion off, Auto Complete still inserts, and into this window.
    // A playing macro's own window changes are not the user's typing.
    if (!p_.macros.AnyRunning()) UpdateForeground();
    // Nothing typed where the program's rule is Off is learned or suggested.
    if (s_.programRule.kind != ProgramRuleKind::Off) p_.autoComplete.FeedKey(e);
    MatchEvent(e);
}

bool Expander::TrackRepeat(const KeyEvent& e) {
    if (e.vk >= s_.heldKeys.size()) return false;
    EngineState::HeldKey& key = s_.heldKeys[e.vk];
    const bool repeat = e.isDown && key.down && key.modifiers == e.modifiers;
    key.down = e.isDown != 0;
    key.modifiers = e.modifiers;
    return repeat;
}

void Expander::ProcessToggles(const KeyEvent& e) {
    // A hotkey toggles once per press: holding it, the repeats and then the
    // release would otherwise switch it back and forth.
    const bool freshPress = !TrackRepeat(e) && e.isDown;
    std::u16string combo = ModifierPrefix(e);
    if (e.vk == 0x20) combo += u"SPACE";
    else if (e.vk == 0x0D) combo += u"ENTER";

    const HotkeyConfig::Hits hits = p_.hotkeys.Match(combo);
    const uint32_t now = p_.clock.TickMs();
    auto debounced = [&] { return !s_.lastToggleTickValid || uint32_t(now - s_.lastToggleTick) > kToggleDebounceMs; };

    bool shortcutsToggled = false, autoCompleteToggled = false;
    if (hits.shortcuts && freshPress && debounced()) {
        s_.lastToggleTick = now;
        s_.lastToggleTickValid = true;
        shortcutsEnabled_ = !shortcutsEnabled_;
        shortcutsToggled = true;
    }
    if (hits.autoCompleteOn) {
        const bool before = autoCompleteEnabled_;
        if (!p_.autoComplete.LearningAvailable()) {
            autoCompleteEnabled_ = true;
        } else if (shortcutsToggled && hits.combosEqual) {
            autoCompleteEnabled_ = bool(shortcutsEnabled_);
            autoCompleteToggled = true;
        } else if (hits.autoComplete && freshPress && debounced()) {
            s_.lastToggleTick = now;
            s_.lastToggleTickValid = true;
            autoCompleteEnabled_ = !autoCompleteEnabled_;
            autoCompleteToggled = true;
        }
        // Only a change is written: a registry write on every keystroke
        // would cost far more than the whole match.
        if (autoCompleteToggled || before != autoCompleteEnabled_)
            p_.settings.WriteBool(settings::AutoCompleteEnabled, autoCompleteEnabled_);
    }
    if (!shortcutsToggled && !autoCompleteToggled) return;

    const HotkeyConfig::Values v = p_.hotkeys.Get();
    if (autoCompleteToggled) p_.app.RefreshAutoCompleteState();
    std::u16string title, text;
    if (shortcutsToggled && autoCompleteToggled) {
        title = u"Kestrix Disabled";
        text = FormatS(shortcutsEnabled_ ? u"Kestrix has been enabled. Press %s to disable it."
                                         : u"Kestrix has been disabled. Press %s to enable it again.",
                       v.shortcutsCombo);
    } else if (autoCompleteToggled) {
        const bool on = autoCompleteEnabled_;
        title = on ? u"Kestrix Auto Complete has been enabled." : u"Kestrix Auto Complete Disabled";
        text = FormatS(on ? u"Kestrix Auto Complete has been enabled. Press %s to disable it."
                          : u"Kestrix Auto Complete has been disabled. Press %s to enable it again.",
                       v.autoCompleteCombo);
    } else {
        const bool on = shortcutsEnabled_;
        title = on ? u"Kestrix shortcuts have been enabled." : u"Kestrix Shortcuts Disabled";
        text = FormatS(on ? u"Kestrix shortcuts have been enabled. Press %s to disable them."
                          : u"Kestrix shortcuts have been disabled. Press %s to enable them again.",
                       v.shortcutsCombo);
    }
    p_.app.ShowBalloon(title, text, kToggleBalloonMs);
    if (shortcutsToggled && !autoCompleteToggled) p_.app.SetTrayIcon(shortcutsEnabled_ ? kIconOn : kIconOff);
    p_.app.RefreshOnOffTexts();
}

void Expander::UpdateForeground() {
    WindowHandle fg = p_.windows.Foreground();
    if (!p_.autoComplete.IsAutoCompleteWindow(fg)) s_.foregroundWindow = fg;
    std::u16string cls = p_.windows.ClassName(s_.foregroundWindow);
    const bool classChanged = !EqualsNoCaseAscii(cls, s_.foregroundClass);
    if (p_.programs) {
        // Two compares per key: the program is asked only when the window
        // in front changed, the rules read only when they were written.
        if (classChanged || s_.foregroundWindow != programWindow_) LearnProgram();
        else if (ProgramRuleStore::WriteCount() != rulesWrites_) ApplyProgramRule(false);
    }
    if (classChanged) {
        s_.foregroundClass = std::move(cls);
        const auto& c = s_.foregroundClass;
        s_.isConsole = EqualsNoCaseAscii(c, u"ConsoleWindowClass");
        s_.isWordLike = EqualsNoCaseAscii(c, u"OpusApp") || EqualsNoCaseAscii(c, u"rctrl_renwnd32") ||
                        EqualsNoCaseAscii(c, u"WordPadClass");
    }
}

void Expander::MatchEvent(const KeyEvent& e) {
    // ESC stops a playing macro, even with expansion switched off; the
    // macro's own keys are never reported, so this is the user's.
    if (e.isDown && e.vk == kVkEscape && p_.macros.AnyRunning()) p_.macros.StopPlaying();
    // The hotkeys have been looked at; a program whose rule is Off gets
    // nothing else, as a password box does.
    if (!shortcutsEnabled_ || s_.programRule.kind == ProgramRuleKind::Off) return;
    if (s_.typed.empty()) s_.firstCapital = s_.allCapitals = false;
    const Classified k = ClassifyKey(e);
    if (p_.macros.AnyRunning()) return;

    if (doubleSpaceEnabled_ && e.isDown) {
        if (e.vk == 0x20) {
            if (!s_.spacePending) {
                s_.spacePending = true;
            } else {
                if (!s_.periodInserted) {
                    p_.output.SendDoubleSpaceFix();
                    s_.periodInserted = true;
                }
                s_.spacePending = false;
            }
        } else {
            s_.periodInserted = e.ch == u'.';
            s_.spacePending = false;
        }
    }

    if (k.cls == KeyClass::Break && e.isDown) OnBreakPress(e, k);
    else OnCharacter(e, k);
}

void Expander::OnBreakPress(const KeyEvent& e, const Classified& k) {
    // A combination's key may type a character that ends words (SHIFT and 1
    // give "!" on a US keyboard): the combination comes first.
    if (uint32_t value = k.value; MatchHotkey(e, value)) {
        p_.app.PostNotice(notice::kWord, value);
        return;
    }
    if (IsCommandKey(e) || IsCaretKey(e.vk)) {
        ForgetWords();
        return;
    }
    // Further spaces after a word only count; Backspace counts them down.
    if ((e.ch & 0xFF) == u' ' && s_.breakCount > 0) {
        ++s_.breakCount;
        return;
    }
    if (k.value == kBreakDiscard || s_.typed.empty()) {
        ResetTypedBuffer();
        return;
    }
    EntryRef entry;
    Origin origin;
    intptr_t value = notice::kNoShortcut;
    const bool found = Lookup(s_.typed, entry, origin, true);
    if (found && learned_.blocksOurInput) {
        // Windows would drop every key we send there: the keyword stays,
        // since nothing could be pasted in its place.
        TellOncePerProgram(toldElevated_, notice::kProgramElevated);
        value = notice::kExpandFailed;
    } else if (found) {
        if (PlainTextOnly(s_.programRule, *entry)) TellOncePerProgram(toldPlainText_, notice::kProgramPlainText);
        s_.periodInserted = true;
        ExpandRequest req;
        req.target = s_.foregroundWindow;
        req.lastOverwrite = (e.stateFlags & kStateOverwrite) != 0;
        req.isConsole = s_.isConsole;
        // Shared rich text reaches the clipboard without what would make the
        // program it is pasted into act: objects, fields, embedded data.
        req.entry = origin.shared ? WithoutEmbeddedContent(entry) : entry;
        req.trailing = e.ch;
        value = p_.output.ExpandShortcut(s_, req);
        p_.autoComplete.CancelDoubleCtrl();
    }
    if (s_.breakCount == 0) {
        s_.previousWord = std::move(s_.typed);
        s_.typed.clear();
    }
    ++s_.breakCount;
    entry.reset();
    p_.app.PostNotice(notice::kWord, value);
}

void Expander::OnCharacter(const KeyEvent& e, const Classified& k) {
    const int kind = k.cls == KeyClass::Break ? notice::kWord : notice::kCharacter;
    uint32_t value = k.value;
    if (MatchHotkey(e, value)) {
        p_.app.PostNotice(kind, value);
        return;
    }
    if (!e.isDown) {
        p_.app.PostNotice(kind, value);
        return;
    }
    if (IsCommandKey(e)) {
        ForgetWords();
        return;
    }
    if (value == 8) {
        const bool hadBreaks = s_.breakCount > 0;
        if (hadBreaks) {
            --s_.breakCount;
            if (s_.breakCount == 0 && !s_.previousWord.empty()) {
                s_.typed = std::move(s_.previousWord);
                s_.previousWord.clear();
                s_.breakCount = 0;
            }
        } else if (!s_.typed.empty()) {
            s_.typed.pop_back();
        }
        p_.app.PostNotice(notice::kCharacter, 8);
        return;
    }
    if (value == 0) return;

    char16_t c = char16_t(value);
    if (casingEnabled_) {
        if (s_.typed.empty() && IsUpperLetter(c)) s_.firstCapital = s_.allCapitals = true;
        else if (!s_.typed.empty() && !IsDigitAscii(c) && !IsUpperLetter(c)) s_.allCapitals = false;
    }
    c = AsciiUpper(c);
    if ((e.stateFlags & kStateOverwrite) && e.position < s_.typed.size()) s_.typed[e.position] = c;
    else if (c != 0 && c != 13 && c != 10) s_.typed.push_back(c);
    s_.previousWord.clear();
    s_.breakCount = 0;
    p_.app.PostNotice(notice::kCharacter, c);
}

bool Expander::MatchHotkey(const KeyEvent& e, uint32_t& noticeValue) {
    if (!(e.ctrl() || e.shift() || e.alt())) return false;
    // A sandboxed program may type, but not start our macros.
    if (e.stateFlags & kStateLowerLevel) return false;
    if (!e.isDown) return false;  // a release completes nothing
    // The key by its own name, as the macro editor wrote it, never by what
    // the modifiers make it type: CTRL+SHIFT+1 is not "CTRL+SHIFT+!", nor is
    // AltGr+Q on a German keyboard "CTRL+ALT+@". Where the window's layout is
    // not known, the typed character stands in.
    // Only keys other than letters and digits need the layout (every capital
    // typed comes this way).
    const char16_t unshifted = NamedByKeyCode(e.vk) ? 0 : p_.windows.UnshiftedCharacter(s_.foregroundWindow, e.vk);
    const char16_t name = CombinationKeyName(e.vk, unshifted ? unshifted : e.ch);
    // Combinations saved under the typed character ("CTRL+SHIFT+!") by
    // earlier versions still start their macros.
    const char16_t typedName = e.ch >= 0x20 ? AsciiUpper(e.ch) : 0;
    const std::u16string prefix = ModifierPrefix(e);
    // Combinations are looked up under the store lock too: the UI thread may
    // be inserting into the same tree, and an unlocked walk could crash.
    // SHIFT alone with a letter is how capitals are typed: from the shared
    // file, whose author is not the user, such a combination would fire a
    // macro on ordinary writing, so only the user's own may use it.
    const bool shiftOnly = e.shift() && !e.ctrl() && !e.alt();
    EntryRef entry;
    Origin origin;
    const bool found = (name && Lookup(prefix + name, entry, origin, !shiftOnly)) ||
                       (typedName && typedName != name && Lookup(prefix + typedName, entry, origin, !shiftOnly));
    // Only a macro plays; text kept under a combination's name is no script.
    if (!found || entry->kind != ShortcutKind::Macro) return false;
    // The combination typed a character (SHIFT alone, or AltGr where the
    // layout has one there): take it back with one Backspace (SendBackspaces
    // taps one more than it is given). The key went through to the window
    // before we saw it, so a second tap would erase the user's character
    // before it.
    if (e.ch != 0 && e.ctrl() == e.alt()) p_.output.SendBackspaces(0);
    // A "command" line in the shared file would start a program as this
    // user; it is honoured only when no one but an administrator can change
    // the file (core/shared_trust).
    MacroRights rights;
    rights.startPrograms = origin.startsPrograms;
    const MacroStart start = p_.macros.Launch(*entry, rights);
    if (start.firstIsKeyboard) noticeValue = notice::kExpanded;
    if (start.programRefused && !toldProgramRefused_) {
        toldProgramRefused_ = true;
        p_.app.ShowBalloon(u"Shared macro", kSharedProgramRefused, kProgramRefusedBalloonMs);
    }
    return true;
}

}  // namespace kx
