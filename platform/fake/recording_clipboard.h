// An in-memory clipboard with the real one's rules (one opener at a time,
// data only while open, names registered once), which records every call in
// order and can be told to fail: Open as when another program holds the
// clipboard, Empty, Close, SetData, or the registration of a name. Each call
// can also be written as one line to a sink, for kxtool replay.
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

struct ClipboardCall {
    enum class Kind { Open, Close, Empty, RegisterFormat, SetData, GetData, Formats, OfferDelayed, Render };
    Kind kind = Kind::Open;
    bool ok = true;
    WindowHandle owner = 0;      // Open
    unsigned format = 0;         // RegisterFormat (the result), SetData, GetData
    std::u16string name;         // RegisterFormat
    std::vector<uint8_t> bytes;  // SetData, Render
};

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
    void FailClose(bool fail) { failClose_ = fail; }
    // Every SetData under this format fails.
    void FailSetData(unsigned format) { failSetData_.insert(format); }
    // RegisterFormat of this name gives 0.
    void RefuseName(std::u16string name) { refused_.insert(std::move(name)); }

    bool IsOpen() const { return open_; }
    // What the clipboard holds, read without opening it.
    const std::map<unsigned, std::vector<uint8_t>>& Contents() const { return data_; }
    // CF_UNICODETEXT up to its first zero unit; empty when absent.
    std::u16string Text() const;
    // The number a name was registered under, 0 when it was not.
    unsigned FormatOf(std::u16string_view name) const;

    const std::vector<ClipboardCall>& Calls() const { return calls_; }
    std::vector<std::string> Lines() const;
    std::string Describe(const ClipboardCall& call) const;

private:
    void Record(ClipboardCall call);
    // SetData and OfferDelayed: the format joins the clipboard (last in
    // the order when it is new) with the call's bytes, or, delayed, with
    // none until a reader asks for them. Records the call.
    bool Place(ClipboardCall call, bool delayed);

    struct Range { unsigned first, count; };
    LineSink sink_;
    std::vector<ClipboardCall> calls_;
    std::vector<Range> failOpen_;
    unsigned openCount_ = 0;
    bool failEmpty_ = false, failClose_ = false;
    std::set<unsigned> failSetData_;
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
// target's side scripted: when the expansion waits for the request, the
// target pastes (opens the clipboard, asks for its formats, closes it) or
// never does. Time passes on the given clock.
class ScriptedClipboardOwner final : public ClipboardOwner {
public:
    ScriptedClipboardOwner(RecordingClipboard& clip, Clock& clock, WindowHandle window);
    ~ScriptedClipboardOwner() override;

    WindowHandle Window() override { return window_; }
    void Provide(std::vector<ClipFormat> formats, WindowHandle target) override;
    bool WaitForRequest(uint32_t ms) override;
    bool StillOffered() override { return clip_.EmptyCount() == emptiesAtProvide_; }

    // The target's script.
    bool targetPastes = true;
    uint32_t requestAfterMs = 0;      // from the start of the wait
    std::vector<unsigned> asks = {kCfUnicodeText};

    // What the last Provide gave, and for which target.
    std::vector<ClipFormat> provided;
    WindowHandle providedFor = 0;
    // Each wait's limit, in order.
    std::vector<uint32_t> waits;
    // What the target got for each of `asks` at its last paste.
    std::vector<std::optional<std::vector<uint8_t>>> pasted;

private:
    RecordingClipboard& clip_;
    Clock& clock_;
    WindowHandle window_;
    unsigned emptiesAtProvide_ = 0;
};

}  // namespace kx
