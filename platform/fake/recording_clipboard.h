// An in-memory clipboard with the real one's rules (one opener at a time,
// data only while open, names registered once), which can be told to fail:
// Open as when another program holds the clipboard, Empty, Close, SetData,
// or the registration of a name. Each call is written as one line to a
// sink, for kxtool replay and for tests of the order of calls.
//
// Formats offered without data (delayed rendering) are rendered when a
// reader asks for them, by the renderer the clipboard's owner set: the
// ScriptedClipboardOwner below plays that owner and a target that pastes.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "platform/clock.h"

namespace kx {

class RecordingClipboard final : public Clipboard {
public:
    using LineSink = std::function<void(const std::string&)>;
    explicit RecordingClipboard(LineSink sink = {}) : sink_(std::move(sink)) {}

    bool Open(WindowHandle owner) override;
    bool Close() override;
    bool Empty() override;
    unsigned RegisterFormat(std::u16string_view name) override;
    bool SetData(unsigned format, std::span<const uint8_t> bytes) override;
    std::optional<std::vector<uint8_t>> GetData(unsigned format) override;
    size_t DataSize(unsigned format) override;
    std::vector<unsigned> Formats() override;
    bool OfferDelayed(unsigned format) override;

    // Called by GetData for a format offered without data; it renders by
    // calling Render.
    void SetRenderer(std::function<void(unsigned format)> renderer) { renderer_ = std::move(renderer); }
    // The owner's answer to a request: the data of an offered format.
    bool Render(unsigned format, std::span<const uint8_t> bytes);
    // Formats offered and not rendered yet.
    const std::set<unsigned>& Delayed() const { return delayed_; }
    // How often the clipboard was emptied.
    unsigned EmptyCount() const { return emptyCount_; }

    // Open calls number `first` to `first + count - 1` (1 = the first ever
    // made) fail.
    void FailOpen(unsigned first, unsigned count) { failOpen_.push_back({first, count}); }
    void FailEmpty(bool fail) { failEmpty_ = fail; }
    // Close call number `call` fails (the clipboard is closed all the same,
    // as CloseClipboard leaves it).
    void FailClose(unsigned call) { failClose_ = call; }
    // Every SetData under this format fails.
    void FailSetData(unsigned format) { failSetData_.insert(format); }
    // Every OfferDelayed fails.
    void FailOffer(bool fail) { failOffer_ = fail; }
    // Each DataSize call lets `ms` pass on `clock`: the program that copied
    // renders its format when first asked.
    void SetReadCost(Clock* clock, uint32_t ms) { readClock_ = clock, readCostMs_ = ms; }
    // RegisterFormat of this name gives 0.
    void RefuseName(std::u16string name) { refused_.insert(std::move(name)); }

    bool IsOpen() const { return open_; }
    // The window the clipboard was opened with, while it is open.
    WindowHandle Opener() const { return opener_; }
    // What the clipboard holds, read without opening it.
    const std::map<unsigned, std::vector<uint8_t>>& Contents() const { return data_; }
    // CF_UNICODETEXT up to its first zero unit; empty when absent.
    std::u16string Text() const;
    // The number a name was registered under, 0 when it was not.
    unsigned FormatOf(std::u16string_view name) const;

private:
    // Writes the call's line, " failed" added when it did not succeed.
    bool Say(const std::string& what, bool ok);
    std::string FormatName(unsigned format) const;
    // SetData and OfferDelayed: the format joins the clipboard (last in
    // the order when it is new) with the call's bytes, or, delayed, with
    // none until a reader asks for them.
    bool Place(const char* what, unsigned format, std::span<const uint8_t> bytes, bool delayed);

    struct Range { unsigned first, count; };
    LineSink sink_;
    std::vector<Range> failOpen_;
    unsigned openCount_ = 0;
    unsigned failClose_ = 0;
    unsigned closeCount_ = 0;
    bool failEmpty_ = false, failOffer_ = false;
    std::set<unsigned> failSetData_;
    Clock* readClock_ = nullptr;
    uint32_t readCostMs_ = 0;
    WindowHandle opener_ = 0;
    std::set<std::u16string> refused_;
    std::map<std::u16string, unsigned> names_;
    std::map<unsigned, std::vector<uint8_t>> data_;
    std::vector<unsigned> order_;  // the formats as they were placed
    std::set<unsigned> delayed_;
    unsigned emptyCount_ = 0;
    std::function<void(unsigned)> renderer_;
    bool open_ = false;
};

// The clipboard owner of an expansion, over a RecordingClipboard, with the
// other programs scripted: after the paste keys the target pastes (opens the
// clipboard, asks for its formats, closes it), once or several times, or
// never does; a viewer may read the change before the paste keys. Reads
// happen when their time has come on the given clock, as the expansion
// waits or looks.
class ScriptedClipboardOwner final : public ClipboardOwner {
public:
    ScriptedClipboardOwner(RecordingClipboard& clip, Clock& clock, WindowHandle window);
    ~ScriptedClipboardOwner() override;

    WindowHandle Window() override { return window_; }
    void Provide(std::vector<ClipFormat> formats, WindowHandle target) override;
    void PasteSent() override;
    bool WaitForRequest(uint32_t ms) override;
    uint32_t Requests() override;
    bool TargetAsked() override { return targetAsked_; }
    void Withdraw() override { awaiting_ = false; pasteSent_ = false; }
    bool StillOffered() override { return clip_.EmptyCount() == emptiesAtProvide_; }

    // An expansion was provided and neither pasted nor withdrawn.
    bool Awaiting() const { return awaiting_; }

    struct Read {
        uint32_t afterMs = 0;  // from the paste keys
        std::vector<unsigned> formats;
    };
    // The target's script: its reads, in time order.
    bool targetPastes = true;
    std::vector<Read> reads = {{0, {kCfUnicodeText}}};
    // A viewer, with a window of its own, reads the text before the paste keys.
    bool viewerReadsFirst = false;

    // What the last Provide gave, and for which target.
    std::vector<ClipFormat> provided;
    WindowHandle providedFor = 0;
    // Each wait's limit, in order.
    std::vector<uint32_t> waits;
    // What the target got for each format of its reads, in order, since
    // the last Provide; and what the viewer got.
    std::vector<std::optional<std::vector<uint8_t>>> pasted;
    std::optional<std::vector<uint8_t>> viewed;

private:
    // Performs the reads whose time has come.
    void Due();
    void ReadAs(WindowHandle reader, const std::vector<unsigned>& formats,
              std::vector<std::optional<std::vector<uint8_t>>>& got);

    RecordingClipboard& clip_;
    Clock& clock_;
    WindowHandle window_;
    unsigned emptiesAtProvide_ = 0;
    bool awaiting_ = false;
    bool pasteSent_ = false;
    bool renderedBefore_ = false;
    bool requested_ = false;
    bool targetAsked_ = false;
    uint32_t pasteAt_ = 0;
    size_t readsDone_ = 0;
    uint32_t requests_ = 0;
};

}  // namespace kx
