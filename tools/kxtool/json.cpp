#include "tools/kxtool/json.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "base/text.h"

namespace kx::json {

const Value* Value::Find(std::u16string_view name) const {
    for (const auto& m : members)
        if (m.first == name) return &m.second;
    return nullptr;
}

namespace {

constexpr int kMaxDepth = 64;

class Parser {
public:
    explicit Parser(std::string_view text) : s_(text) {}

    bool Document(Value& out, std::string& error) {
        bool ok = ParseValue(out, 0) && (SkipSpace(), pos_ == s_.size() || Fail("text after the document"));
        if (!ok) error = error_ + " at byte " + std::to_string(pos_);
        return ok;
    }

private:
    bool Fail(const char* why) {
        if (error_.empty()) error_ = why;
        return false;
    }
    void SkipSpace() {
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r')) ++pos_;
    }
    bool Literal(std::string_view word) {
        if (s_.substr(pos_, word.size()) != word) return Fail("unknown word");
        pos_ += word.size();
        return true;
    }

    bool ParseValue(Value& out, int depth) {
        if (depth > kMaxDepth) return Fail("nesting too deep");
        SkipSpace();
        if (pos_ >= s_.size()) return Fail("unexpected end");
        switch (s_[pos_]) {
            case '{': return ParseObject(out, depth);
            case '[': return ParseArray(out, depth);
            case '"': out.type = Value::Type::String; return ParseString(out.string);
            case 't': out.type = Value::Type::Bool; out.boolean = true; return Literal("true");
            case 'f': out.type = Value::Type::Bool; out.boolean = false; return Literal("false");
            case 'n': out.type = Value::Type::Null; return Literal("null");
            default: return ParseNumber(out);
        }
    }

    bool ParseObject(Value& out, int depth) {
        out.type = Value::Type::Object;
        ++pos_;
        SkipSpace();
        if (pos_ < s_.size() && s_[pos_] == '}') { ++pos_; return true; }
        for (;;) {
            SkipSpace();
            if (pos_ >= s_.size() || s_[pos_] != '"') return Fail("expected a member name");
            std::u16string name;
            if (!ParseString(name)) return false;
            SkipSpace();
            if (pos_ >= s_.size() || s_[pos_] != ':') return Fail("expected ':'");
            ++pos_;
            Value v;
            if (!ParseValue(v, depth + 1)) return false;
            out.members.push_back(Member{std::move(name), std::move(v)});
            SkipSpace();
            if (pos_ < s_.size() && s_[pos_] == ',') { ++pos_; continue; }
            if (pos_ < s_.size() && s_[pos_] == '}') { ++pos_; return true; }
            return Fail("expected ',' or '}'");
        }
    }

    bool ParseArray(Value& out, int depth) {
        out.type = Value::Type::Array;
        ++pos_;
        SkipSpace();
        if (pos_ < s_.size() && s_[pos_] == ']') { ++pos_; return true; }
        for (;;) {
            Value v;
            if (!ParseValue(v, depth + 1)) return false;
            out.items.push_back(std::move(v));
            SkipSpace();
            if (pos_ < s_.size() && s_[pos_] == ',') { ++pos_; continue; }
            if (pos_ < s_.size() && s_[pos_] == ']') { ++pos_; return true; }
            return Fail("expected ',' or ']'");
        }
    }

    bool Hex4(uint32_t& v) {
        if (pos_ + 4 > s_.size()) return Fail("short \\u escape");
        v = 0;
        for (int i = 0; i < 4; ++i) {
            char c = s_[pos_++];
            v <<= 4;
            if (c >= '0' && c <= '9') v |= uint32_t(c - '0');
            else if (c >= 'a' && c <= 'f') v |= uint32_t(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') v |= uint32_t(c - 'A' + 10);
            else return Fail("bad \\u escape");
        }
        return true;
    }

    bool ParseString(std::u16string& out) {
        ++pos_;  // opening quote
        std::string run;  // raw UTF-8 since the last escape
        auto flush = [&] { out += Utf8ToUtf16(run); run.clear(); };
        while (pos_ < s_.size()) {
            char c = s_[pos_++];
            if (c == '"') { flush(); return true; }
            if (uint8_t(c) < 0x20) return Fail("control character in a string");
            if (c != '\\') { run.push_back(c); continue; }
            flush();
            if (pos_ >= s_.size()) break;
            char e = s_[pos_++];
            switch (e) {
                case '"': out.push_back(u'"'); break;
                case '\\': out.push_back(u'\\'); break;
                case '/': out.push_back(u'/'); break;
                case 'b': out.push_back(u'\b'); break;
                case 'f': out.push_back(u'\f'); break;
                case 'n': out.push_back(u'\n'); break;
                case 'r': out.push_back(u'\r'); break;
                case 't': out.push_back(u'\t'); break;
                case 'u': {
                    uint32_t v;
                    if (!Hex4(v)) return false;
                    out.push_back(char16_t(v));
                    break;
                }
                default: return Fail("bad escape");
            }
        }
        return Fail("unterminated string");
    }

    bool ParseNumber(Value& out) {
        const size_t start = pos_;
        if (pos_ < s_.size() && s_[pos_] == '-') ++pos_;
        auto digits = [&] { size_t d = pos_; while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') ++pos_; return pos_ > d; };
        if (!digits()) return Fail("expected a value");
        if (pos_ < s_.size() && s_[pos_] == '.') { ++pos_; if (!digits()) return Fail("bad number"); }
        if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-')) ++pos_;
            if (!digits()) return Fail("bad number");
        }
        out.type = Value::Type::Number;
        out.number = std::strtod(std::string(s_.substr(start, pos_ - start)).c_str(), nullptr);
        return true;
    }

    std::string_view s_;
    size_t pos_ = 0;
    std::string error_;
};

void Escape(std::string& out, char16_t c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\u%04x", unsigned(c));
    out += buf;
}

bool EscapeCommon(std::string& out, char16_t c) {
    switch (c) {
        case u'"': out += "\\\""; return true;
        case u'\\': out += "\\\\"; return true;
        case u'\n': out += "\\n"; return true;
        case u'\r': out += "\\r"; return true;
        case u'\t': out += "\\t"; return true;
        default:
            if (c < 0x20) { Escape(out, c); return true; }
            return false;
    }
}

}  // namespace

bool Parse(std::string_view text, Value& out, std::string& error) {
    out = Value{};
    return Parser(text).Document(out, error);
}

std::string Quote(std::u16string_view text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (EscapeCommon(out, c)) continue;
        if (c < 0x80) { out.push_back(char(c)); continue; }
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        const bool pair = high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (pair) {
            out += Utf16ToUtf8(text.substr(i, 2));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            Escape(out, c);
        } else {
            out += Utf16ToUtf8(text.substr(i, 1));
        }
    }
    out.push_back('"');
    return out;
}

std::string QuoteBytes(std::string_view bytes) {
    std::string out = "\"";
    for (char ch : bytes) {
        const char16_t c = uint8_t(ch);
        if (EscapeCommon(out, c)) continue;
        if (c >= 0x7F) Escape(out, c);
        else out.push_back(ch);
    }
    out.push_back('"');
    return out;
}

bool StringToBytes(std::u16string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size());
    for (char16_t c : text) {
        if (c > 0xFF) return false;
        out.push_back(char(uint8_t(c)));
    }
    return true;
}

}  // namespace kx::json
