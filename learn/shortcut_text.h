// The shortcut-text dictionary's contents: every text shortcut's expansion,
// so that the reminder notices the user typing one out, and the expansion
// index that names the shortcut behind each of them.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "core/shortcut_store.h"

namespace kx {

class PhraseDictionary;

// Expansion text to keyword. The first keyword given for an expansion stays.
class ExpansionIndex {
public:
    void Clear() { keywords_.clear(); }
    void Add(std::u16string_view expansion, std::u16string_view keyword);
    // The keyword of a shortcut with exactly this expansion, or null.
    const std::u16string* Find(std::u16string_view expansion) const;
    size_t Size() const { return keywords_.size(); }
    template <class Visit>
    void ForEach(Visit&& visit) const {
        for (const auto& [expansion, keyword] : keywords_) visit(expansion, keyword);
    }

private:
    std::unordered_map<std::u16string, std::u16string> keywords_;
};

// The text a shortcut puts in the dictionary: the expansion of a simple-text
// shortcut and the plain form of a rich-text one. Macros and pictures are
// not typed out, so they have none (empty).
std::u16string_view ShortcutText(const ShortcutEntry& entry);

// Puts an expansion into the dictionary as a shortcut's text: two
// acceptances and nothing offered yet, so that it scores as a candidate.
void AddShortcutText(PhraseDictionary& shortcutText, ExpansionIndex& index, std::u16string_view expansion,
                     std::u16string_view keyword);

// After the shortcuts were loaded: the dictionary and the index hold the
// texts of `first` and then of `second` (null when there is none), every
// count back at its start. Texts no longer in a store leave the dictionary.
void RebuildShortcutText(PhraseDictionary& shortcutText, ExpansionIndex& index, const ShortcutStore& first,
                         const ShortcutStore* second);

// A shortcut was made from `phrase` with `keyword` and the text `expansion`
// (the phrase, or what the user made of it in the editor): the phrase is no
// longer suggested, and typing the expansion out reminds of the shortcut.
void OnShortcutCreatedFromPhrase(PhraseDictionary& learning, PhraseDictionary& shortcutText, ExpansionIndex& index,
                                 std::u16string_view phrase, std::u16string_view keyword,
                                 std::u16string_view expansion);

}  // namespace kx
