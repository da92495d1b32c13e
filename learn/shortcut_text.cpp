#include "learn/shortcut_text.h"

#include "learn/phrase_dictionary.h"

namespace kx {
namespace {

void AddStore(ExpansionIndex& index, const ShortcutStore& store) {
    for (StoreIterator it = store.Begin(); !it.AtEnd(); it.Next()) {
        const EntryRef entry = it.Entry();
        const std::u16string_view text = ShortcutText(*entry);
        if (!text.empty()) index.Add(text, it.Keyword());
    }
}

}  // namespace

void ExpansionIndex::Add(std::u16string_view expansion, std::u16string_view keyword) {
    keywords_.emplace(std::u16string(expansion), std::u16string(keyword));
}

const std::u16string* ExpansionIndex::Find(std::u16string_view expansion) const {
    const auto it = keywords_.find(std::u16string(expansion));
    return it == keywords_.end() ? nullptr : &it->second;
}

std::u16string_view ShortcutText(const ShortcutEntry& entry) {
    if (entry.kind != ShortcutKind::SimpleText && entry.kind != ShortcutKind::RichText) return {};
    return entry.plainText;
}

void AddShortcutText(PhraseDictionary& shortcutText, ExpansionIndex& index, std::u16string_view expansion,
                     std::u16string_view keyword) {
    // A text the dictionary cannot hold (one word, too short) is never a
    // candidate, so the index need not know it either.
    if (shortcutText.SetPhraseStats(expansion, 2, 0, 0, 0, 1)) index.Add(expansion, keyword);
}

void RebuildShortcutText(PhraseDictionary& shortcutText, ExpansionIndex& index, const ShortcutStore& first,
                         const ShortcutStore* second) {
    ExpansionIndex fresh;
    AddStore(fresh, first);
    if (second) AddStore(fresh, *second);
    index.ForEach([&](const std::u16string& expansion, const std::u16string&) {
        if (!fresh.Find(expansion)) shortcutText.RemovePhrase(expansion);
    });
    index.Clear();
    // Setting the statistics again also clears the impressions that keep an
    // early reminder from coming twice.
    fresh.ForEach([&](const std::u16string& expansion, const std::u16string& keyword) {
        AddShortcutText(shortcutText, index, expansion, keyword);
    });
}

void OnShortcutCreatedFromPhrase(PhraseDictionary& learning, PhraseDictionary& shortcutText, ExpansionIndex& index,
                                 std::u16string_view phrase, std::u16string_view keyword,
                                 std::u16string_view expansion) {
    learning.ClearSuggestable(phrase);
    AddShortcutText(shortcutText, index, expansion, keyword);
}

}  // namespace kx
