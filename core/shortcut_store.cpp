#include "core/shortcut_store.h"

#include <new>
#include <unordered_set>

#include "base/unicode_case.h"

namespace kx {

const char16_t* KindDisplayName(ShortcutKind k) {
    switch (k) {
        case ShortcutKind::SimpleText: return u"Simple Text";
        case ShortcutKind::RichText: return u"Rich Text";
        case ShortcutKind::Macro: return u"Macro";
        case ShortcutKind::Picture: return u"Picture";
    }
    return u"";
}

Ref<ShortcutEntry> ShortcutEntry::Make(ShortcutKind kind, std::u16string plain, std::string rich) {
    auto e = MakeRef<ShortcutEntry>();
    e->kind = kind;
    e->plainText = std::move(plain);
    e->richText = std::move(rich);
    return e;
}

bool StoreIterator::Next() {
    if (it_ == end_) return false;
    ++it_;
    return it_ != end_;
}

StoreRef ShortcutStore::Create(MemoryLimit* limit) { return StoreRef::Adopt(new ShortcutStore(limit)); }

void ShortcutStore::Clear() {
    // Drop the entry references after the lock is released: a last release
    // frees buffers, which need not happen while the hook thread waits.
    EntryMap old(entries_.get_allocator());
    {
        std::lock_guard<std::mutex> g(lock_);
        old.swap(entries_);
    }
}

bool ShortcutStore::Insert(std::u16string_view keyword, const EntryRef& entry) {
    if (keyword.empty()) return false;
    EntryRef replaced;
    std::lock_guard<std::mutex> g(lock_);
    auto it = entries_.find(keyword);
    if (it != entries_.end()) {
        replaced = std::move(it->second);
        it->second = entry;
        return true;
    }
    // Out of memory, the slot is not added and the store stays as it was;
    // the caller hears of it through the result.
    try {
        entries_.emplace(std::u16string(keyword), entry);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

ShortcutStore::InsertResult ShortcutStore::InsertUnique(std::u16string_view keyword, const EntryRef& entry,
                                                       std::u16string_view replacing, bool ignoreCase) {
    if (keyword.empty()) return InsertResult::Failed;
    EntryRef dropped;
    std::lock_guard<std::mutex> g(lock_);
    for (const auto& [k, e] : entries_) {
        if (k == replacing) continue;
        if (ignoreCase ? EqualsNoCase(k, keyword) : k == keyword) return InsertResult::KeywordInUse;
    }
    auto it = entries_.find(keyword);
    if (it != entries_.end()) {
        // Only the edited shortcut itself can hold this keyword here.
        dropped = std::move(it->second);
        it->second = entry;
        return InsertResult::Inserted;
    }
    try {
        entries_.emplace(std::u16string(keyword), entry);
    } catch (const std::bad_alloc&) {
        return InsertResult::Failed;
    }
    // The old keyword goes only once the new one is in: out of memory the
    // edited shortcut stays as it was.
    if (!replacing.empty()) {
        auto old = entries_.find(replacing);
        if (old != entries_.end()) {
            dropped = std::move(old->second);
            entries_.erase(old);
        }
    }
    return InsertResult::Inserted;
}

void ShortcutStore::InsertAllUnique(std::vector<NewShortcut>& items,
                                    const std::function<std::u16string(const std::u16string&, int)>& next) {
    // Keywords by their upper-cased units: equal exactly when EqualsNoCase
    // has them equal. On Windows that asks CompareStringOrdinal, which with
    // bIgnoreCase compares the strings as if upper-cased by the system's
    // upper-case table, unit by unit: the table OrdinalUpperUnit holds.
    auto fold = [](std::u16string_view k) {
        std::u16string f(k);
        for (char16_t& c : f) c = OrdinalUpperUnit(c);
        return f;
    };
    std::lock_guard<std::mutex> g(lock_);
    std::unordered_set<std::u16string> taken;
    try {
        taken.reserve(entries_.size() + items.size());
        for (const auto& slot : entries_) taken.insert(fold(slot.first));
    } catch (const std::bad_alloc&) {
        return;  // every item stays Failed
    }
    for (NewShortcut& item : items) {
        const std::u16string original = item.keyword;
        item.result = InsertResult::Failed;
        for (int attempt = 1; !item.keyword.empty(); ++attempt) {
            bool inserted = false;
            try {
                const auto [at, isNew] = taken.insert(fold(item.keyword));
                if (isNew) {
                    try {
                        entries_.emplace(item.keyword, item.entry);
                        inserted = true;
                    } catch (const std::bad_alloc&) {
                        taken.erase(at);
                        break;
                    }
                }
            } catch (const std::bad_alloc&) {
                break;
            }
            if (inserted) {
                item.result = InsertResult::Inserted;
                break;
            }
            item.result = InsertResult::KeywordInUse;
            item.keyword = next(original, attempt);
        }
        if (item.result != InsertResult::Inserted) item.keyword = original;
    }
}

bool ShortcutStore::Contains(std::u16string_view keyword) const {
    std::lock_guard<std::mutex> g(lock_);
    return entries_.find(keyword) != entries_.end();
}

bool ShortcutStore::Remove(std::u16string_view keyword) {
    EntryRef removed;
    std::lock_guard<std::mutex> g(lock_);
    auto it = entries_.find(keyword);
    if (it == entries_.end()) return false;
    removed = std::move(it->second);
    entries_.erase(it);
    return true;
}

bool ShortcutStore::FindUnlocked(std::u16string_view keyword, EntryRef& out) const {
    auto it = entries_.find(keyword);
    if (it == entries_.end()) return false;
    out = it->second;
    return true;
}

bool ShortcutStore::Find(std::u16string_view keyword, EntryRef& out) const {
    std::lock_guard<std::mutex> g(lock_);
    return FindUnlocked(keyword, out);
}

size_t ShortcutStore::Size() const {
    std::lock_guard<std::mutex> g(lock_);
    return entries_.size();
}

bool ShortcutStore::GetAdminPassword(std::u16string& out) const {
    if (!carriesPassword_) { out.clear(); return false; }
    out = adminPassword_;
    return true;
}

void ShortcutStore::SetAdminPassword(std::u16string_view password) {
    if (carriesPassword_) adminPassword_ = CutToField(password);
}

}  // namespace kx
