// The trie of learned phrases: one PhraseNode per code unit of a stored
// prefix, and a PhraseEntry (code unit 0) below the last unit of each phrase,
// carrying the phrase's statistics.
#pragma once

#include <cstdint>
#include <memory>

namespace kx {

// The statistics of one phrase, as the window, the file and the suggestion
// list read and write them.
struct PhraseStats {
    uint32_t accepted = 0;
    uint32_t firstSeen = 0;
    uint32_t lastSeen = 0;
    uint32_t impressions = 0;
    uint32_t typedCount = 0;
    uint8_t suggestable = 1;
};

// A node's children form a list kept in ascending order of code unit, so the
// terminal entry (unit 0) of a phrase that other phrases extend comes first.
// Most nodes of a text trie have one or two children: a sibling list is both
// the smallest ordered set and fast enough for them.
struct PhraseNode {
    PhraseNode* parent = nullptr;
    PhraseNode* firstChild = nullptr;
    PhraseNode* next = nullptr;  // the next sibling, with a larger unit
    uint32_t childCount = 0;
    char16_t unit = 0;

    bool IsEntry() const { return unit == 0; }
};

struct PhraseEntry : PhraseNode {
    PhraseStats stats;
    // One byte per character: byte i belongs to a typed prefix of i + 1
    // characters. Null with count 0 when the entry has none.
    std::unique_ptr<uint8_t[]> confidence;
    uint32_t confidenceCount = 0;

    void SetConfidence(uint32_t count, uint8_t value);
};

}  // namespace kx
