#include "learn/phrase_trie.h"

#include <algorithm>
#include <new>

namespace kx {

void PhraseEntry::SetConfidence(uint32_t count, uint8_t value) {
    confidence.reset(count ? new (std::nothrow) uint8_t[count] : nullptr);
    confidenceCount = confidence ? count : 0;
    if (confidence) std::fill_n(confidence.get(), count, value);
}

void FreePhraseNode(PhraseNode* node) {
    // Iterative over siblings, recursive over depth (a phrase's length).
    while (node) {
        PhraseNode* next = node->next;
        FreePhraseNode(node->firstChild);
        if (node->IsEntry()) delete static_cast<PhraseEntry*>(node);
        else delete node;
        node = next;
    }
}

void PhraseTrie::Clear() {
    for (PhraseNode* r : roots_) {
        r->next = nullptr;
        FreePhraseNode(r);
    }
    roots_.clear();
}

static bool UnitLess(const PhraseNode* n, char16_t unit) { return n->unit < unit; }

PhraseNode* PhraseTrie::Child(const PhraseNode* parent, char16_t unit) const {
    if (!parent) {
        auto it = std::lower_bound(roots_.begin(), roots_.end(), unit, UnitLess);
        return it != roots_.end() && (*it)->unit == unit ? *it : nullptr;
    }
    for (PhraseNode* c = parent->firstChild; c && c->unit <= unit; c = c->next)
        if (c->unit == unit) return c;
    return nullptr;
}

void PhraseTrie::Attach(PhraseNode* parent, PhraseNode* child) {
    child->parent = parent;
    if (!parent) {
        auto it = std::lower_bound(roots_.begin(), roots_.end(), child->unit, UnitLess);
        roots_.insert(it, child);
        return;
    }
    PhraseNode** link = &parent->firstChild;
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

PhraseEntry* PhraseTrie::Insert(std::u16string_view phrase, uint32_t& missingNodes, bool& created) {
    missingNodes = 0;
    created = false;
    if (phrase.empty() || phrase.find(u'\0') != std::u16string_view::npos) return nullptr;
    PhraseNode* node = nullptr;
    size_t i = 0;
    for (; i < phrase.size(); ++i) {
        PhraseNode* c = Child(node, phrase[i]);
        if (!c) break;
        node = c;
    }
    if (i == phrase.size()) {
        PhraseNode* first = node->firstChild;
        if (first && first->IsEntry()) return static_cast<PhraseEntry*>(first);
    }
    // Build the missing chain apart and attach it in one step, so a failed
    // allocation leaves the trie as it was.
    PhraseNode* chainTop = nullptr;
    PhraseNode* chainEnd = nullptr;
    for (size_t k = i; k < phrase.size(); ++k) {
        PhraseNode* n = new (std::nothrow) PhraseNode;
        if (!n) {
            FreePhraseNode(chainTop);
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
    PhraseEntry* entry = new (std::nothrow) PhraseEntry;
    if (!entry) {
        FreePhraseNode(chainTop);
        missingNodes = 0;
        return nullptr;
    }
    if (chainEnd) {
        entry->parent = chainEnd;
        chainEnd->firstChild = entry;
        chainEnd->childCount = 1;
        Attach(node, chainTop);
    } else {
        Attach(node, entry);
    }
    created = true;
    return entry;
}

uint32_t PhraseTrie::Remove(PhraseEntry* entry) {
    uint32_t removed = 1;
    PhraseNode* parent = entry->parent;
    Detach(entry);
    FreePhraseNode(entry->firstChild);
    delete entry;
    while (parent && parent->childCount == 0) {
        PhraseNode* up = parent->parent;
        Detach(parent);
        delete parent;
        ++removed;
        parent = up;
    }
    return removed;
}

}  // namespace kx
