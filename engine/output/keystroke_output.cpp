#include "engine/output/keystroke_output.h"

#include <algorithm>
#include <string>

#include "engine/matcher/expander.h"
#include "engine/output/browser_window.h"
#include "engine/output/picture_html_clip.h"
#include "platform/diagnostic_log.h"

namespace kx {
namespace {

constexpr int kDelivered = int(notice::kExpanded);
constexpr int kFailed = int(notice::kExpandFailed);

std::span<const uint8_t> Bytes(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

std::span<const uint8_t> Bytes(std::u16string_view s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size() * sizeof(char16_t)};
}

bool IsRichKind(ShortcutKind k) { return k == ShortcutKind::RichText || k == ShortcutKind::Picture; }

}  // namespace

int KeystrokeOutput::ExpandShortcut(EngineState& state, const ExpandRequest& request) {
    std::lock_guard<std::mutex> one(expansionLock_);
    HookPause pause(p_.hooks);
    switch (state.programRule.kind) {
        case ProgramRuleKind::Type: return TypeOut(state, request);
        case ProgramRuleKind::Chat: return ChatOut(state, request);
        default: return DeliverEither(state, request);
    }
}

int KeystrokeOutput::InsertPhrase(EngineState& state, const EntryRef& phrase, unsigned selectCount) {
    p_.injector.SetForeground(state.foregroundWindow);
    ExpandRequest r;
    r.target = state.foregroundWindow;
    r.lastOverwrite = false;
    r.isConsole = state.isConsole;
    r.entry = phrase;
    r.trailing = 0;
    r.selectCount = selectCount;
    r.pasteOnly = true;
    return ExpandShortcut(state, r);
}

int KeystrokeOutput::Deliver(EngineState& state, const ExpandRequest& request) {
    if (!request.entry) return kFailed;
    const ShortcutEntry& entry = *request.entry;
    // The keyword is still in the typed buffer while it is replaced.
    const size_t keywordLength = state.typed.size();

    // One opening empties the clipboard and places every format, so that
    // programs watching the clipboard are told of one change, which already
    // carries the formats that keep it out of their history. It comes before
    // anything is erased: a clipboard that cannot be had leaves the keyword
    // on screen.
    {
        ClipboardSession session(p_.clipboard);
        if (!OpenWithin(session, p_.applicationWindow)) return kFailed;
        if (request.selectCount > 0 && !keys::SelectLeft(Keys(), request.selectCount)) return kFailed;
        const unsigned rtfFormat = p_.clipboard.RegisterFormat(kRichTextFormatName);
        const unsigned htmlFormat = p_.clipboard.RegisterFormat(kHtmlFormatName);
        std::vector<ClipFormat> formats;
        if (!BuildFormats(state, entry, request, rtfFormat, htmlFormat, formats)) return kFailed;
        if (!p_.clipboard.Empty() || !PutPrivacyFormats(p_.clipboard)) return kFailed;
        for (const ClipFormat& f : formats)
            if (!p_.clipboard.SetData(f.format, f.bytes)) return kFailed;
        if (!session.Close()) return kFailed;
    }

    keys::ReleaseShift(p_.injector);
    return ErasePaste(state, request, keywordLength);
}

int KeystrokeOutput::DeliverDelayed(EngineState& state, const ExpandRequest& request) {
    if (!request.entry) return kFailed;
    const ShortcutEntry& entry = *request.entry;
    const size_t keywordLength = state.typed.size();
    const WindowHandle owner = p_.owner->Window();
    const bool restore = p_.settings && p_.settings->ReadBool(settings::RestoreClipboard);

    // One opening saves the user's clipboard, empties it and offers every
    // format of the expansion, so that programs watching the clipboard are
    // told of one change only. Nothing is erased before it succeeded, and
    // once the clipboard is emptied every failure gives the user's back.
    std::optional<ClipboardSnapshot> saved;
    {
        ClipboardSession session(p_.clipboard);
        if (!OpenWithin(session, owner)) return kFailed;
        if (request.selectCount > 0 && !keys::SelectLeft(Keys(), request.selectCount)) return kFailed;
        const unsigned rtfFormat = p_.clipboard.RegisterFormat(kRichTextFormatName);
        const unsigned htmlFormat = p_.clipboard.RegisterFormat(kHtmlFormatName);
        std::vector<ClipFormat> formats;
        if (!BuildFormats(state, entry, request, rtfFormat, htmlFormat, formats)) return kFailed;
        if (restore) {
            // Still our earlier expansion's text on the clipboard: what the
            // user had is what that one saved.
            if (unrestored_ && p_.owner->StillOffered()) {
                saved = std::move(unrestored_);
            } else {
                saved = SaveOpenClipboard(p_.clipboard, p_.clock, {kSaveFormatLimitBytes, kSaveLimitMs});
                if (!saved)
                    Log("Clipboard: saving it took over " + std::to_string(kSaveLimitMs) +
                        " ms; it is not given back after this expansion");
                else if (!saved->tooLarge.empty())
                    Log("Clipboard: " + std::to_string(saved->tooLarge.size()) + " format(s) over " +
                        std::to_string(kSaveFormatLimitBytes >> 20) + " MiB not saved");
            }
        }
        unrestored_.reset();
        if (!p_.clipboard.Empty()) return kFailed;
        // Placed with data, not offered: a history tool looks at them as
        // soon as the clipboard closes, before anything would render them.
        if (!PutPrivacyFormats(p_.clipboard)) {
            session.Close();
            GiveBack(saved);
            return kFailed;
        }
        std::vector<unsigned> offered;
        for (const ClipFormat& f : formats) offered.push_back(f.format);
        // Provided after the clipboard was emptied: emptying it tells the
        // owner to drop what it rendered for the expansion before.
        p_.owner->Provide(std::move(formats), request.target);
        for (unsigned f : offered) {
            if (!p_.clipboard.OfferDelayed(f)) {
                session.Close();
                GiveBack(saved);
                return kFailed;
            }
        }
        if (!session.Close()) {
            GiveBack(saved);
            return kFailed;
        }
    }

    keys::ReleaseShift(p_.injector);
    const int result = ErasePaste(state, request, keywordLength);
    if (result != kDelivered) {
        GiveBack(saved);
        return result;
    }
    if (!AwaitPaste(saved ? &*saved : nullptr) && saved) unrestored_ = std::move(saved);
    return result;
}

void KeystrokeOutput::GiveBack(std::optional<ClipboardSnapshot>& saved) {
    p_.owner->Withdraw();
    if (!saved) return;
    ClipboardSession session(p_.clipboard);
    if (OpenWithin(session, p_.owner->Window()) &&
        RestoreOpenClipboard(p_.clipboard, *saved) && session.Close())
        return;
    // Left for the next expansion, which finds the clipboard as we left it.
    unrestored_ = std::move(saved);
}

void KeystrokeOutput::Log(std::string_view line) {
    if (p_.log) p_.log(line);
    else WriteDiagnosticLine(line);
}

std::string KeystrokeOutput::HtmlClipOf(const ShortcutEntry& entry) {
    if (entry.kind != ShortcutKind::Picture) return entry.htmlClip;
    return p_.pictures ? PictureHtmlClip(entry.richText, *p_.pictures) : std::string();
}

bool KeystrokeOutput::BuildFormats(EngineState& state, const ShortcutEntry& entry, const ExpandRequest& request,
                                   unsigned rtfFormat, unsigned htmlFormat, std::vector<ClipFormat>& out) {
    if (IsRichKind(entry.kind)) {
        // The casing rule is for simple text only.
        state.firstCapital = false;
        state.allCapitals = false;
        if (!rtfFormat || !htmlFormat) return false;
        ClipItem item;
        std::string html;
        if (IsBrowserWindowClass(p_.windows.ClassName(request.target))) {
            item.format = htmlFormat;
            html = HtmlClipOf(entry);
            item.bytes = Bytes(html);
        } else {
            item.format = rtfFormat;
            item.bytes = Bytes(entry.richText);
        }
        out.push_back({item.format, ClipboardBytes(item, Casing{})});
    }
    const std::u16string_view text =
        entry.kind == ShortcutKind::Picture ? kPictureText : std::u16string_view(entry.plainText);
    if (text.empty()) return true;
    ClipItem item;
    item.format = kCfUnicodeText;
    std::u16string withBreak;
    if (request.trailing == u'\r') {
        // Enter reports a CR. On the clipboard a line break is CR LF: an
        // Edit control pastes a lone CR as a stray character on the same
        // line, so the user's Enter would vanish with the keyword.
        withBreak.append(text).append(u"\r\n");
        item.bytes = Bytes(withBreak);
        item.charCount = withBreak.size();
    } else {
        item.bytes = Bytes(text);
        item.charCount = text.size();
        item.trailing = request.trailing;
    }
    out.push_back({kCfUnicodeText, ClipboardBytes(item, Casing{state.firstCapital, state.allCapitals})});
    return true;
}

bool KeystrokeOutput::AwaitPaste(const ClipboardSnapshot* saved) {
    // No request in time: the target may still paste later, so the
    // expansion stays on the clipboard rather than the user's old contents.
    if (!p_.owner->WaitForRequest(kPasteRequestLimitMs)) return false;
    // Nothing to give back, and the target's own program has begun its
    // paste: its later reads find the expansion still offered, and keys sent
    // from now on reach it after that paste, so the user's keys need not
    // wait for the paste's quiet.
    if (!saved && p_.owner->TargetAsked()) return true;
    // The paste may read again, format after format; it is over once no
    // request has come for a quiet period and the target has let go of the
    // clipboard (it reads while it holds the clipboard open), and, unless
    // the target's own program was seen asking, once it has had the time a
    // target takes to get to its paste keys.
    const uint32_t start = p_.clock.TickMs();
    uint32_t requests = p_.owner->Requests();
    uint32_t quietSince = start;
    for (;;) {
        const uint32_t now = p_.clock.TickMs();
        if (uint32_t(now - start) > kPasteCloseLimitMs) return false;
        const uint32_t seen = p_.owner->Requests();
        if (seen != requests) {
            requests = seen;
            quietSince = now;
        } else if (uint32_t(now - quietSince) >= kPasteQuietMs &&
                   (p_.owner->TargetAsked() || uint32_t(now - pasteSentMs_) >= kUnseenPasteMs)) {
            ClipboardSession session(p_.clipboard);
            if (session.Open(p_.owner->Window())) {
                if (saved) RestoreOpenClipboard(p_.clipboard, *saved);
                session.Close();
                return true;
            }
        }
        p_.clock.SleepMs(kPasteClosePollMs);
    }
}

int KeystrokeOutput::ErasePaste(EngineState& state, const ExpandRequest& request, size_t keywordLength) {
    if (!Erase(state, request, keywordLength)) return kFailed;
    if (request.isConsole) return ConsolePaste(request.target);
    state.skipNextV = true;
    PasteSent();
    const bool pasted = keys::SendCtrlV(Keys());
    // When our V can never come back, a flag left set would swallow the
    // user's next real V instead: keys the hook module never reports, or a
    // Ctrl+V that SendInput did not insert (it returns the number of events
    // it inserted, zero when input was already blocked by another thread).
    if (!pasted || !p_.injector.OwnKeysReported()) state.skipNextV = false;
    if (!pasted) return kFailed;
    // The expansion is in; two spaces left behind do not make it a failure.
    if (!request.pasteOnly && state.isWordLike) keys::TapKeyTwice(Keys(), vk::kDelete);
    return kDelivered;
}

bool KeystrokeOutput::Erase(EngineState& state, const ExpandRequest& request, size_t keywordLength) {
    const unsigned k = unsigned(keywordLength);
    if (request.pasteOnly) return true;
    if (request.isConsole) return keys::SendBackspaces(Keys(), k);
    if (state.isWordLike) {
        // Word processors get the keyword selected, not erased: two
        // spaces typed, the caret back over them, keyword and delimiter
        // selected and pasted over; the spaces are deleted afterwards.
        return keys::TapKeyTwice(Keys(), vk::kSpace) && keys::TapKeyTwice(Keys(), vk::kLeft) &&
               keys::SelectLeft(Keys(), k + 1);
    }
    // The delimiter replaced a character: the keyword alone is erased.
    if (request.lastOverwrite) return k == 0 || keys::SendBackspaces(Keys(), k - 1);
    return keys::SendBackspaces(Keys(), k);
}

int KeystrokeOutput::ConsolePaste(WindowHandle target) {
    p_.clock.SleepMs(kConsolePasteDelayMs);
    PasteSent();
    return p_.injector.PostCommand(target, kConsolePasteCommand, 0) ? kDelivered : kFailed;
}

}  // namespace kx
