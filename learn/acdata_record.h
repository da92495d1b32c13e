// One record line of "acdata.txt": the phrase and its statistics, eight
// fields separated by tabs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "learn/phrase_node.h"

namespace kx {

struct AcdataRecord {
    std::u16string phrase;
    PhraseStats stats;
    // Decoded from field 8; empty when the field is missing, empty or not
    // Base64 (the entry then gets 100 for every character).
    std::vector<uint8_t> confidence;
};

// `line` is one line without its CR LF, in UTF-8. False when it has fewer
// than five fields. Fields keep at most 259 code units (the confidence bytes
// as many as a phrase of 259 units has); numbers that are not
// numbers read as 0; missing fields 6 and 7 read as 0.
bool ParseAcdataRecord(std::string_view line, AcdataRecord& out);
// Writes the record's line with its CR LF at `out` and returns its end; `out`
// has room for AcdataRecordMaxBytes. A tab in the phrase, and the CR of a CR
// LF in it, are written as spaces.
char* WriteAcdataRecord(char* out, std::u16string_view phrase, const PhraseEntry& entry);
size_t AcdataRecordMaxBytes(std::u16string_view phrase, const PhraseEntry& entry);
// The same, appended to a string.
void AppendAcdataRecord(std::string& out, std::u16string_view phrase, const PhraseEntry& entry);
// The first line's number.
uint32_t ParseAcdataNumber(std::u16string_view field);

inline constexpr size_t kAcdataFieldMax = 259;
// Base64 of one confidence byte per unit of the longest phrase.
inline constexpr size_t kAcdataConfidenceMax = (kAcdataFieldMax + 2) / 3 * 4;
inline constexpr size_t kAcdataBlock = 16777215;

}  // namespace kx
