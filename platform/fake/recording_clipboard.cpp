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

}  // namespace

bool RecordingClipboard::Open(WindowHandle owner) {
    ++openCount_;
    bool refused = open_;
    for (const Range& r : failOpen_)
        if (openCount_ >= r.first && openCount_ - r.first < r.count) refused = true;
    ClipboardCall c;
    c.kind = ClipboardCall::Kind::Open;
    c.owner = owner;
    c.ok = !refused;
    if (c.ok) open_ = true, opener_ = owner;
    Record(std::move(c));
    return !refused;
}

bool RecordingClipboard::Close() {
    ++closeCount_;
    bool refused = false;
    for (const Range& r : failClose_)
        if (closeCount_ >= r.first && closeCount_ - r.first < r.count) refused = true;
    ClipboardCall c;
    c.kind = ClipboardCall::Kind::Close;
    c.ok = open_ && !refused;
    open_ = false;
    opener_ = 0;
    Record(c);
    return c.ok;
}

bool RecordingClipboard::Empty() {
    ClipboardCall c;
    c.kind = ClipboardCall::Kind::Empty;
    c.ok = open_ && !failEmpty_;
    if (c.ok) {
        ++emptyCount_;
        data_.clear();
        order_.clear();
        delayed_.clear();
    }
    Record(c);
    return c.ok;
}

unsigned RecordingClipboard::RegisterFormat(std::u16string_view name) {
    ClipboardCall c;
    c.kind = ClipboardCall::Kind::RegisterFormat;
    c.name = name;
    if (!name.empty() && !refused_.count(c.name)) {
        auto [it, added] = names_.try_emplace(c.name, kFirstRegistered + unsigned(names_.size()));
        c.format = it->second;
    }
    c.ok = c.format != 0;
    const unsigned format = c.format;
    Record(std::move(c));
    return format;
}

bool RecordingClipboard::Place(ClipboardCall c, bool delayed) {
    c.ok = open_ && c.format != 0 && !(delayed ? failOffer_ : failSetData_.count(c.format) > 0);
    if (c.ok) {
        if (!data_.count(c.format)) order_.push_back(c.format);
        data_[c.format] = c.bytes;
        if (delayed)
            delayed_.insert(c.format);
        else
            delayed_.erase(c.format);
    }
    const bool ok = c.ok;
    Record(std::move(c));
    return ok;
}

bool RecordingClipboard::SetData(unsigned format, std::span<const uint8_t> bytes) {
    ClipboardCall c;
    c.kind = ClipboardCall::Kind::SetData;
    c.format = format;
    c.bytes.assign(bytes.begin(), bytes.end());
    return Place(std::move(c), false);
}

std::optional<std::vector<uint8_t>> RecordingClipboard::GetData(unsigned format) {
    ClipboardCall c;
    c.kind = ClipboardCall::Kind::GetData;
    c.format = format;
    Record(c);
    if (!open_) return std::nullopt;
    if (delayed_.count(format) && renderer_) renderer_(format);
    auto it = data_.find(format);
    if (it == data_.end() || delayed_.count(format)) return std::nullopt;
    return it->second;
}

size_t RecordingClipboard::DataSize(unsigned format) {
    ClipboardCall c;
    c.kind = ClipboardCall::Kind::DataSize;
    c.format = format;
    Record(c);
    if (readClock_) readClock_->SleepMs(readCostMs_);
    if (!open_) return 0;
    if (delayed_.count(format) && renderer_) renderer_(format);
    auto it = data_.find(format);
    return it == data_.end() || delayed_.count(format) ? 0 : it->second.size();
}

std::vector<unsigned> RecordingClipboard::Formats() {
    ClipboardCall c;
    c.kind = ClipboardCall::Kind::Formats;
    c.ok = open_;
    Record(c);
    return open_ ? order_ : std::vector<unsigned>();
}

bool RecordingClipboard::OfferDelayed(unsigned format) {
    ClipboardCall c;
    c.kind = ClipboardCall::Kind::OfferDelayed;
    c.format = format;
    return Place(std::move(c), true);
}

bool RecordingClipboard::Render(unsigned format, std::span<const uint8_t> bytes) {
    ClipboardCall c;
    c.kind = ClipboardCall::Kind::Render;
    c.format = format;
    c.bytes.assign(bytes.begin(), bytes.end());
    // Only while a reader holds the clipboard open and asks for it.
    c.ok = open_ && delayed_.count(format);
    if (c.ok) {
        data_[format] = c.bytes;
        delayed_.erase(format);
    }
    const bool ok = c.ok;
    Record(std::move(c));
    return ok;
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
        ReadAs(targetReader ? targetReader : providedFor, reads[readsDone_].formats, pasted);
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

std::vector<std::string> RecordingClipboard::Lines() const {
    std::vector<std::string> out;
    for (const auto& c : calls_) out.push_back(Describe(c));
    return out;
}

std::string RecordingClipboard::Describe(const ClipboardCall& c) const {
    std::string s = "clipboard ";
    auto formatName = [this](unsigned f) {
        if (f == kCfUnicodeText) return std::string("CF_UNICODETEXT");
        for (const auto& [name, number] : names_)
            if (number == f) return Quote(name);
        return std::to_string(f);
    };
    switch (c.kind) {
    case ClipboardCall::Kind::Open: s += "Open " + Hex(c.owner); break;
    case ClipboardCall::Kind::Close: s += "Close"; break;
    case ClipboardCall::Kind::Empty: s += "Empty"; break;
    case ClipboardCall::Kind::RegisterFormat: s += "RegisterFormat " + Quote(c.name) + " " + Hex(c.format); break;
    case ClipboardCall::Kind::SetData:
        s += "SetData " + formatName(c.format) + " " + std::to_string(c.bytes.size()) + " bytes";
        if (c.format == kCfUnicodeText) s += " " + Quote(UnitsToZero(c.bytes));
        break;
    case ClipboardCall::Kind::GetData: s += "GetData " + formatName(c.format); break;
    case ClipboardCall::Kind::DataSize: s += "DataSize " + formatName(c.format); break;
    case ClipboardCall::Kind::Formats: s += "Formats"; break;
    case ClipboardCall::Kind::OfferDelayed: s += "OfferDelayed " + formatName(c.format); break;
    case ClipboardCall::Kind::Render:
        s += "Render " + formatName(c.format) + " " + std::to_string(c.bytes.size()) + " bytes";
        if (c.format == kCfUnicodeText) s += " " + Quote(UnitsToZero(c.bytes));
        break;
    }
    if (!c.ok && c.kind != ClipboardCall::Kind::RegisterFormat) s += " failed";
    return s;
}

void RecordingClipboard::Record(ClipboardCall call) {
    if (sink_) sink_(Describe(call));
    calls_.push_back(std::move(call));
}

}  // namespace kx
