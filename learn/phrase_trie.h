// The trie that holds the phrases: plain operations on PhraseNode chains.
// Not locked: the dictionary calls these under its own lock.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "learn/phrase_node.h"
#include "learn/phrase_node_pool.h"

namespace kx {

// Where the last insertion through it ended. The loader inserts phrases in
// the order the save wrote them, the trie's own order, so neighbours share
// long prefixes: the next insertion starts where the shared prefix ends
// instead of searching from the root. A removal anywhere in the trie makes
// the cursor start over from the root, so it never reaches a freed node.
struct PhraseCursor {
    std::vector<PhraseNode*> path;  // the node of each unit of the last phrase
    uint64_t generation = 0;
};

class PhraseTrie {
public:
    PhraseTrie() = default;
    ~PhraseTrie() = default;
    PhraseTrie(const PhraseTrie&) = delete;
    PhraseTrie& operator=(const PhraseTrie&) = delete;

    void Clear();

    // The node reached by walking `text` from the root, or null.
    PhraseNode* Walk(std::u16string_view text) const;
    // The phrase's entry, or null.
    PhraseEntry* Find(std::u16string_view phrase) const;
    // The phrase's entry, creating every missing node; `missingNodes` counts
    // the created non-terminal nodes, `created` says whether the entry is new.
    // Null when memory ran out (nothing half-made is left behind). With a
    // cursor, the search starts where it shares a prefix with the phrase.
    PhraseEntry* Insert(std::u16string_view phrase, uint32_t& missingNodes, bool& created,
                        PhraseCursor* cursor = nullptr);
    // Detaches and frees the entry and every ancestor left without children;
    // returns how many nodes went, the entry included.
    uint32_t Remove(PhraseEntry* entry);

    // The root level, ascending by code unit.
    const std::vector<PhraseNode*>& Roots() const { return roots_; }

    // The pools' nodes (handed out or free) and the free ones among them.
    size_t PooledNodes() const { return nodes_.Capacity() + entries_.Capacity(); }
    size_t FreeNodes() const { return nodes_.FreeCount() + entries_.FreeCount(); }
    size_t PoolBytes() const { return nodes_.Bytes() + entries_.Bytes(); }

private:
    PhraseNode* Child(const PhraseNode* parent, char16_t unit, PhraseNode* after = nullptr) const;
    void Attach(PhraseNode* parent, PhraseNode* child, PhraseNode* after = nullptr);
    void Detach(PhraseNode* node);

    std::vector<PhraseNode*> roots_;
    // 128 KiB and 72 KiB blocks.
    NodePool<PhraseNode, 4096> nodes_;
    NodePool<PhraseEntry, 1024> entries_;
    // Counts removals, so that a cursor knows when its path may be gone.
    uint64_t generation_ = 0;
};

// Visits every entry below `start` (itself included when it is an entry).
// At each node the other children are visited in ascending order before the
// smallest, so an entry comes after all longer phrases that extend it.
// `text` holds the phrase of `start` on entry and of each visited node while
// `visit(entry, text)` runs; `before(node)` is asked before each node and
// stops the walk by returning false. Returns false when stopped.
template <class Visit, class Before>
bool WalkEntries(PhraseNode* start, std::u16string& text, Visit&& visit, Before&& before) {
    if (!before(start)) return false;
    if (start->IsEntry()) {
        visit(static_cast<PhraseEntry*>(start), text);
        return true;
    }
    PhraseNode* node = start;
    size_t pushed = 0;
    bool ok = true;
    // Follows the smallest child in a loop rather than by recursion, so only
    // the branches deepen the stack.
    while (ok) {
        PhraseNode* smallest = node->firstChild;
        if (!smallest) break;
        for (PhraseNode* c = smallest->next; c && ok; c = c->next) {
            if (!c->IsEntry()) text.push_back(c->unit);
            ok = WalkEntries(c, text, visit, before);
            if (!c->IsEntry()) text.pop_back();
        }
        if (!ok) break;
        if (smallest->IsEntry()) {
            ok = before(smallest);
            if (ok) visit(static_cast<PhraseEntry*>(smallest), text);
            break;
        }
        if (!before(smallest)) { ok = false; break; }
        text.push_back(smallest->unit);
        ++pushed;
        node = smallest;
    }
    text.resize(text.size() - pushed);
    return ok;
}

}  // namespace kx
