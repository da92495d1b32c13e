#include "platform/fake/recording_clipboard.h"

#include <cstdio>
#include <cstring>

namespace kx {
namespace {

// Registered formats start where Windows starts them.
constexpr unsigned kFirstRegistered = 0xC000;

std::string Hex(unsigned long long v) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%llX", v);
    return buf;
}

// Printable ASCII as is, quotes and backslashes escaped, the rest as \uXXXX.
std::string Quote(std::u16string_view s) {
    std::string out = "\"";
    for (char16_t c : s) {
        if (c == u'"' || c == u'\\') { out += '\\'; out += char(c); }
        else if (c >= 0x20 && c < 0x7F) out += char(c);
        else {
            char buf[12];
            std::snprintf(buf, sizeof buf, "\\u%04X", unsigned(c));
            out += buf;
        }
    }
    return out + "\"";
}

std::u16string UnitsToZero(const std::vector<uint8_t>& bytes) {
    std::u16string s;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char16_t c;
        std::memcpy(&c, &bytes[i], 2);
        if (!c) break;
        s += c;
    }
    return s;
}

// " 32 bytes", and the text of CF_UNICODETEXT.
std::string Sized(unsigned format, std::span<const uint8_t> bytes) {
    std::string s = " " + std::to_string(bytes.size()) + " bytes";
    if (format == kCfUnicodeText) s += " " + Quote(UnitsToZero(std::vector<uint8_t>(bytes.begin(), bytes.end())));
    return s;
}

}  // namespace

bool RecordingClipboard::Open(WindowHandle owner) {
    ++openCount_;
    bool refused = open_;
    for (const Range& r : failOpen_)
        if (openCount_ >= r.first && openCount_ - r.first < r.count) refused = true;
    if (!refused) open_ = true, opener_ = owner;
    return Say("Open " + Hex(owner), !refused);
}

bool RecordingClipboard::Close() {
    const bool ok = ++closeCount_ != failClose_ && open_;
    open_ = false;
    opener_ = 0;
    return Say("Close", ok);
}

bool RecordingClipboard::Empty() {
    const bool ok = open_ && !failEmpty_;
    if (ok) {
        ++emptyCount_;
        data_.clear();
        order_.clear();
        delayed_.clear();
    }
    return Say("Empty", ok);
}

unsigned RecordingClipboard::RegisterFormat(std::u16string_view name) {
    unsigned format = 0;
    if (!name.empty() && !refused_.count(std::u16string(name)))
        format = names_.try_emplace(std::u16string(name), kFirstRegistered + unsigned(names_.size())).first->second;
    Say("RegisterFormat " + Quote(name) + " " + Hex(format), true);
    return format;
}

bool RecordingClipboard::Place(const char* what, unsigned format, std::span<const uint8_t> bytes, bool delayed) {
    const bool ok = open_ && format != 0 && !(delayed ? failOffer_ : failSetData_.count(format) > 0);
    if (ok) {
        if (!data_.count(format)) order_.push_back(format);
        data_[format].assign(bytes.begin(), bytes.end());
        if (delayed)
            delayed_.insert(format);
        else
            delayed_.erase(format);
    }
    return Say(what + FormatName(format) + (delayed ? "" : Sized(format, bytes)), ok);
}

bool RecordingClipboard::SetData(unsigned format, std::span<const uint8_t> bytes) {
    return Place("SetData ", format, bytes, false);
}

bool RecordingClipboard::OfferDelayed(unsigned format) { return Place("OfferDelayed ", format, {}, true); }

std::optional<std::vector<uint8_t>> RecordingClipboard::GetData(unsigned format) {
    Say("GetData " + FormatName(format), true);
    if (!open_) return std::nullopt;
    if (delayed_.count(format) && renderer_) renderer_(format);
    auto it = data_.find(format);
    if (it == data_.end() || delayed_.count(format)) return std::nullopt;
    return it->second;
}

size_t RecordingClipboard::DataSize(unsigned format) {
    Say("DataSize " + FormatName(format), true);
    if (readClock_) readClock_->SleepMs(readCostMs_);
    if (!open_) return 0;
    if (delayed_.count(format) && renderer_) renderer_(format);
    auto it = data_.find(format);
    return it == data_.end() || delayed_.count(format) ? 0 : it->second.size();
}

std::vector<unsigned> RecordingClipboard::Formats() {
    Say("Formats", open_);
    return open_ ? order_ : std::vector<unsigned>();
}

bool RecordingClipboard::Render(unsigned format, std::span<const uint8_t> bytes) {
    // Only while a reader holds the clipboard open and asks for it.
    const bool ok = open_ && delayed_.count(format);
    if (ok) {
        data_[format].assign(bytes.begin(), bytes.end());
        delayed_.erase(format);
    }
    return Say("Render " + FormatName(format) + Sized(format, bytes), ok);
}

ScriptedClipboardOwner::ScriptedClipboardOwner(RecordingClipboard& clip, Clock& clock, WindowHandle window)
    : clip_(clip), clock_(clock), window_(window) {
    clip_.SetRenderer([this](unsigned format) {
        bool offered = false;
        for (const ClipFormat& f : provided)
            if (f.format == format) offered = clip_.Render(format, f.bytes);
        // As the keeper: our own opening is nobody's read.
        if (!offered || clip_.Opener() == window_) return;
        ++requests_;
        if (!pasteSent_) renderedBefore_ = true;
        else requested_ = true, targetAsked_ = targetAsked_ || clip_.Opener() == providedFor;
    });
}

ScriptedClipboardOwner::~ScriptedClipboardOwner() { clip_.SetRenderer({}); }

void ScriptedClipboardOwner::Provide(std::vector<ClipFormat> formats, WindowHandle target) {
    provided = std::move(formats);
    providedFor = target;
    targetAsked_ = false;
    emptiesAtProvide_ = clip_.EmptyCount();
    awaiting_ = true;
    pasteSent_ = renderedBefore_ = requested_ = false;
    readsDone_ = 0;
    requests_ = 0;
    pasted.clear();
    viewed.reset();
}

void ScriptedClipboardOwner::ReadAs(WindowHandle reader, const std::vector<unsigned>& formats,
                                    std::vector<std::optional<std::vector<uint8_t>>>& got) {
    if (!clip_.Open(reader)) {
        got.insert(got.end(), formats.size(), std::nullopt);
        return;
    }
    for (unsigned format : formats) got.push_back(clip_.GetData(format));
    clip_.Close();
}

void ScriptedClipboardOwner::PasteSent() {
    if (viewerReadsFirst) {
        std::vector<std::optional<std::vector<uint8_t>>> got;
        ReadAs(0x7777, {kCfUnicodeText}, got);
        viewed = got[0];
    }
    pasteSent_ = true;
    pasteAt_ = clock_.TickMs();
}

void ScriptedClipboardOwner::Due() {
    if (!pasteSent_ || !targetPastes) return;
    const uint32_t since = clock_.TickMs() - pasteAt_;
    for (; readsDone_ < reads.size() && reads[readsDone_].afterMs <= since; ++readsDone_)
        ReadAs(providedFor, reads[readsDone_].formats, pasted);
}

bool ScriptedClipboardOwner::WaitForRequest(uint32_t ms) {
    waits.push_back(ms);
    if (!pasteSent_) return false;
    const uint32_t start = clock_.TickMs();
    Due();
    while (!renderedBefore_ && !requested_) {
        const uint32_t waited = clock_.TickMs() - start, since = clock_.TickMs() - pasteAt_;
        if (!targetPastes || readsDone_ == reads.size() || reads[readsDone_].afterMs - since > ms - waited) {
            clock_.SleepMs(ms - waited);
            return false;
        }
        clock_.SleepMs(reads[readsDone_].afterMs - since);
        Due();
    }
    return true;
}

uint32_t ScriptedClipboardOwner::Requests() {
    Due();
    return requests_;
}

std::u16string RecordingClipboard::Text() const {
    auto it = data_.find(kCfUnicodeText);
    return it == data_.end() ? std::u16string() : UnitsToZero(it->second);
}

unsigned RecordingClipboard::FormatOf(std::u16string_view name) const {
    auto it = names_.find(std::u16string(name));
    return it == names_.end() ? 0 : it->second;
}

std::string RecordingClipboard::FormatName(unsigned f) const {
    if (f == kCfUnicodeText) return "CF_UNICODETEXT";
    for (const auto& [name, number] : names_)
        if (number == f) return Quote(name);
    return std::to_string(f);
}

bool RecordingClipboard::Say(const std::string& what, bool ok) {
    if (sink_) sink_("clipboard " + what + (ok ? "" : " failed"));
    return ok;
}

}  // namespace kx
