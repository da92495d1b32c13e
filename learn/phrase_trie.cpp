#include "learn/phrase_trie.h"

#include <algorithm>
#include <new>

namespace kx {

void PhraseEntry::SetConfidence(uint32_t count, uint8_t value) {
    confidence.reset(count ? new (std::nothrow) uint8_t[count] : nullptr);
    confidenceCount = confidence ? count : 0;
    if (confidence) std::fill_n(confidence.get(), count, value);
}

void PhraseTrie::Clear() {
    roots_.clear();
    nodes_.Clear();
    entries_.Clear();
    ++generation_;
}

static bool UnitLess(const PhraseNode* n, char16_t unit) { return n->unit < unit; }

// `after`, when given, is a child of `parent`: a search for a larger unit
// starts there, since the list is ascending.
static PhraseNode* const* FirstLink(const PhraseNode* parent, char16_t unit, PhraseNode* after) {
    return after && after->unit < unit ? &after->next : &parent->firstChild;
}

PhraseNode* PhraseTrie::Child(const PhraseNode* parent, char16_t unit, PhraseNode* after) const {
    if (!parent) {
        auto it = std::lower_bound(roots_.begin(), roots_.end(), unit, UnitLess);
        return it != roots_.end() && (*it)->unit == unit ? *it : nullptr;
    }
    for (PhraseNode* c = *FirstLink(parent, unit, after); c && c->unit <= unit; c = c->next)
        if (c->unit == unit) return c;
    return nullptr;
}

void PhraseTrie::Attach(PhraseNode* parent, PhraseNode* child, PhraseNode* after) {
    child->parent = parent;
    if (!parent) {
        auto it = std::lower_bound(roots_.begin(), roots_.end(), child->unit, UnitLess);
        roots_.insert(it, child);
        return;
    }
    PhraseNode** link = const_cast<PhraseNode**>(FirstLink(parent, child->unit, after));
    while (*link && (*link)->unit < child->unit) link = &(*link)->next;
    child->next = *link;
    *link = child;
    ++parent->childCount;
}

void PhraseTrie::Detach(PhraseNode* node) {
    PhraseNode* parent = node->parent;
    if (!parent) {
        auto it = std::lower_bound(roots_.begin(), roots_.end(), node->unit, UnitLess);
        if (it != roots_.end() && *it == node) roots_.erase(it);
        return;
    }
    for (PhraseNode** link = &parent->firstChild; *link; link = &(*link)->next) {
        if (*link == node) {
            *link = node->next;
            --parent->childCount;
            break;
        }
    }
    node->next = nullptr;
}

PhraseNode* PhraseTrie::Walk(std::u16string_view text) const {
    PhraseNode* node = nullptr;
    for (char16_t u : text) {
        if (u == 0) return nullptr;
        node = Child(node, u);
        if (!node) return nullptr;
    }
    return node;
}

PhraseEntry* PhraseTrie::Find(std::u16string_view phrase) const {
    if (phrase.empty()) return nullptr;
    PhraseNode* last = Walk(phrase);
    if (!last) return nullptr;
    PhraseNode* first = last->firstChild;
    return first && first->IsEntry() ? static_cast<PhraseEntry*>(first) : nullptr;
}

PhraseEntry* PhraseTrie::Insert(std::u16string_view phrase, uint32_t& missingNodes, bool& created,
                                PhraseCursor* cursor) {
    missingNodes = 0;
    created = false;
    if (phrase.empty() || phrase.find(u'\0') != std::u16string_view::npos) return nullptr;
    PhraseNode* node = nullptr;
    size_t i = 0;
    // The previous phrase's node where it parts from this one: a sibling of
    // the unit to find. In trie order the new unit mostly comes right after it.
    PhraseNode* after = nullptr;
    if (cursor) {
        if (cursor->generation != generation_) {
            cursor->path.clear();
            cursor->generation = generation_;
        }
        const size_t shared = std::min(cursor->path.size(), phrase.size());
        while (i < shared && cursor->path[i]->unit == phrase[i]) ++i;
        if (i < cursor->path.size()) after = cursor->path[i];
        cursor->path.resize(i);
        if (i) node = cursor->path[i - 1];
    }
    for (; i < phrase.size(); ++i) {
        PhraseNode* c = Child(node, phrase[i], after);
        if (!c) break;
        after = nullptr;
        node = c;
        if (cursor) cursor->path.push_back(c);
    }
    if (i == phrase.size()) {
        PhraseNode* first = node->firstChild;
        if (first && first->IsEntry()) return static_cast<PhraseEntry*>(first);
    }
    // Build the missing chain apart and attach it in one step, so a failed
    // allocation leaves the trie as it was.
    PhraseNode* chainTop = nullptr;
    PhraseNode* chainEnd = nullptr;
    auto dropChain = [&] {
        while (chainEnd) {
            PhraseNode* up = chainEnd->parent;
            nodes_.Release(chainEnd);
            chainEnd = up;
        }
    };
    for (size_t k = i; k < phrase.size(); ++k) {
        PhraseNode* n = nodes_.Allocate();
        if (!n) {
            dropChain();
            return nullptr;
        }
        n->unit = phrase[k];
        if (chainEnd) {
            n->parent = chainEnd;
            chainEnd->firstChild = n;
            chainEnd->childCount = 1;
        } else {
            chainTop = n;
        }
        chainEnd = n;
        ++missingNodes;
    }
    PhraseEntry* entry = entries_.Allocate();
    if (!entry) {
        dropChain();
        missingNodes = 0;
        return nullptr;
    }
    if (chainEnd) {
        entry->parent = chainEnd;
        chainEnd->firstChild = entry;
        chainEnd->childCount = 1;
        Attach(node, chainTop, after);
        if (cursor)
            for (PhraseNode* n = chainTop; n != entry; n = n->firstChild) cursor->path.push_back(n);
    } else {
        Attach(node, entry, after);
    }
    created = true;
    return entry;
}

uint32_t PhraseTrie::Remove(PhraseEntry* entry) {
    ++generation_;
    uint32_t removed = 1;
    PhraseNode* parent = entry->parent;
    Detach(entry);
    entries_.Release(entry);
    while (parent && parent->childCount == 0) {
        PhraseNode* up = parent->parent;
        Detach(parent);
        nodes_.Release(parent);
        ++removed;
        parent = up;
    }
    return removed;
}

}  // namespace kx
