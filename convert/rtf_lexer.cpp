#include "convert/rtf_lexer.h"

#include <algorithm>
#include <cstdint>

#include "base/text.h"

namespace kx {
namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

RtfToken RtfLexer::Next() {
    RtfToken t;
    // CR and LF carry no meaning in RTF; NUL bytes come from sloppy writers.
    while (pos_ < in_.size() && (in_[pos_] == '\r' || in_[pos_] == '\n' || in_[pos_] == '\0')) ++pos_;
    if (pos_ >= in_.size()) return t;
    char c = in_[pos_];
    if (c == '{') { ++pos_; t.kind = RtfTokenKind::GroupOpen; return t; }
    if (c == '}') { ++pos_; t.kind = RtfTokenKind::GroupClose; return t; }
    if (c == '\\') return ReadControl();
    ++pos_;
    t.kind = RtfTokenKind::Text;
    t.byte = uint8_t(c);
    return t;
}

RtfToken RtfLexer::ReadControl() {
    RtfToken t;
    ++pos_;  // the backslash
    if (pos_ >= in_.size()) {
        // A lone backslash at the end: read it as text.
        t.kind = RtfTokenKind::Text;
        t.byte = '\\';
        return t;
    }
    char c = in_[pos_];
    if (!IsLetter(c)) {
        ++pos_;
        if (c == '\'') {
            int hi = pos_ < in_.size() ? HexDigitValue(in_[pos_]) : -1;
            int lo = pos_ + 1 < in_.size() ? HexDigitValue(in_[pos_ + 1]) : -1;
            if (hi >= 0 && lo >= 0) {
                pos_ += 2;
                t.kind = RtfTokenKind::HexByte;
                t.byte = uint8_t(hi * 16 + lo);
                return t;
            }
            // A broken \' escape: drop it, the following bytes read as usual.
            t.kind = RtfTokenKind::ControlSymbol;
            t.symbol = '\'';
            return t;
        }
        // "\" before CR or LF is an old spelling of \par.
        if (c == '\r' || c == '\n') {
            t.kind = RtfTokenKind::ControlWord;
            t.word = "par";
            return t;
        }
        t.kind = RtfTokenKind::ControlSymbol;
        t.symbol = c;
        return t;
    }

    size_t start = pos_;
    while (pos_ < in_.size() && IsLetter(in_[pos_])) ++pos_;
    t.kind = RtfTokenKind::ControlWord;
    t.word = in_.substr(start, std::min(pos_ - start, kMaxWordLength));

    bool negative = false;
    if (pos_ + 1 < in_.size() && in_[pos_] == '-' && IsDigit(in_[pos_ + 1])) {
        negative = true;
        ++pos_;
    }
    if (pos_ < in_.size() && IsDigit(in_[pos_])) {
        int64_t value = 0;
        while (pos_ < in_.size() && IsDigit(in_[pos_])) {
            if (value <= INT32_MAX) value = value * 10 + (in_[pos_] - '0');
            ++pos_;
        }
        if (negative) value = -value;
        if (value > INT32_MAX) value = INT32_MAX;
        if (value < INT32_MIN) value = INT32_MIN;
        t.hasParam = true;
        t.param = int32_t(value);
    }
    // One space ends a control word and belongs to it.
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;

    if (t.word == "bin") {
        size_t count = t.hasParam && t.param > 0 ? size_t(t.param) : 0;
        count = std::min(count, in_.size() - pos_);
        t.kind = RtfTokenKind::Binary;
        t.data = in_.substr(pos_, count);
        pos_ += count;
    }
    return t;
}

}  // namespace kx
