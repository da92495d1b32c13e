// A small JSON reader and the string escapes kxtool's output needs.
//
// Strings are held as UTF-16 so that any code unit, even an unpaired
// surrogate, survives a round trip through \u escapes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kx::json {

struct Member;

struct Value {
    enum class Type { Null, Bool, Number, String, Array, Object };
    Type type = Type::Null;
    bool boolean = false;
    double number = 0;
    std::u16string string;
    std::vector<Value> items;                              // Array
    std::vector<Member> members;                           // Object, in file order

    // The member named `name`, or null when absent (or not an object).
    const Value* Find(std::u16string_view name) const;
};

// One name and value of an object. A struct of its own rather than a pair,
// since a pair may not hold a Value before Value is complete.
struct Member {
    std::u16string first;
    Value second;
};

// Parses one JSON document. On failure returns false and sets `error` to a
// message with the byte offset.
bool Parse(std::string_view text, Value& out, std::string& error);

// A quoted JSON string: UTF-8 for text, \u escapes for controls and unpaired
// surrogates.
std::string Quote(std::u16string_view text);
// A quoted JSON string holding 8-bit bytes as the characters U+0000-U+00FF
// (bytes from 0x7F up as \u00XX), so the bytes come back exactly.
std::string QuoteBytes(std::string_view bytes);
// The reverse of QuoteBytes for a parsed string; false when a character is
// above U+00FF.
bool StringToBytes(std::u16string_view text, std::string& out);

}  // namespace kx::json
