// Shortcut records and the locked, ordered keyword map that holds them.
//
// The hook thread looks keywords up while the UI thread edits the same store,
// so every map operation takes the store's lock; entries are reference-counted
// so an expansion in progress keeps its entry after the user deletes it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/memory_limit.h"
#include "core/ref.h"
#include "base/text.h"

namespace kx {

enum class ShortcutKind : uint8_t {
    SimpleText = 0,
    RichText = 1,
    Macro = 2,
    Picture = 3,
};
// The database file marks its password record with this kind; no entry uses it.
inline constexpr uint8_t kPasswordRecordKind = 0xF0;

inline bool IsValidKind(uint8_t k) { return k <= 3; }
// The list's "Type" column text.
const char16_t* KindDisplayName(ShortcutKind k);

class ShortcutEntry : public RefCounted {
public:
    ShortcutKind kind = ShortcutKind::SimpleText;
    // RTF (RichText) or the picture document (Picture) as 8-bit text, without
    // the terminating NUL the file and clipboard add.
    std::string richText;
    // "HTML Format" clipboard bytes derived from richText when a store loads.
    std::string htmlClip;
    // Expansion text (SimpleText), macro script (Macro), plain rendering (RichText).
    std::u16string plainText;

    static Ref<ShortcutEntry> Make(ShortcutKind kind, std::u16string plain, std::string rich = {});
};
using EntryRef = Ref<ShortcutEntry>;

class ShortcutStore;
using StoreRef = Ref<ShortcutStore>;
struct DatabaseIo;

using EntryMap = std::map<std::u16string, EntryRef, std::less<>,
                          LimitedAllocator<std::pair<const std::u16string, EntryRef>>>;

// Walks a store in keyword order. Main thread only, without the lock, like
// the rest of the program's iteration (list building, saving, moving).
class StoreIterator {
public:
    bool AtEnd() const { return it_ == end_; }
    // Moves to the in-order successor; false when there is none.
    bool Next();
    std::u16string Keyword() const { return it_->first; }
    EntryRef Entry() const { return it_->second; }

private:
    friend class ShortcutStore;
    StoreIterator(EntryMap::const_iterator it, EntryMap::const_iterator end) : it_(it), end_(end) {}
    EntryMap::const_iterator it_, end_;
};

class ShortcutStore : public RefCounted {
public:
    // `limit`: a cap on the memory the slots may take (tests); none when null.
    static StoreRef Create(MemoryLimit* limit = nullptr);

    void Clear();
    // False, with no change, for an empty keyword, and when memory runs out
    // (the store then holds what it held before). Replaces an existing slot.
    bool Insert(std::u16string_view keyword, const EntryRef& entry);
    enum class InsertResult : uint8_t { Inserted, KeywordInUse, Failed };
    // The editors' insert: `entry` goes in under `keyword` unless a keyword
    // other than `replacing` equals it (ignoring letter case when
    // `ignoreCase`); `replacing`, when it is another keyword, goes out in the
    // same step. Check and change happen under one hold of the lock, so no
    // other thread's insert can slip in between. Failed: empty keyword or
    // out of memory, with nothing changed.
    InsertResult InsertUnique(std::u16string_view keyword, const EntryRef& entry, std::u16string_view replacing,
                              bool ignoreCase);
    // The editors' insert for many new shortcuts at once (an import): under
    // one hold of the lock each goes in unless a keyword of the store, or of
    // one put in before it, equals its keyword ignoring case. For a keyword
    // in use, `next(keyword, attempt)` (attempt 1, 2, ...) names another to
    // try; empty gives up. Each item's keyword ends as the one it went in
    // under. The store's keywords are compared once, not once per insert.
    struct NewShortcut {
        std::u16string keyword;
        EntryRef entry;
        InsertResult result = InsertResult::Failed;
    };
    void InsertAllUnique(std::vector<NewShortcut>& items,
                         const std::function<std::u16string(const std::u16string&, int)>& next);
    bool Contains(std::u16string_view keyword) const;
    bool Remove(std::u16string_view keyword);
    // On a hit `out` is replaced by a new reference to the entry; on a miss it
    // is left as it was. Keywords compare by exact UTF-16 code units.
    bool Find(std::u16string_view keyword, EntryRef& out) const;
    // The same without the lock, for the hotkey-combination lookups.
    bool FindUnlocked(std::u16string_view keyword, EntryRef& out) const;

    // Only a store that carries the shared file's password reports it.
    bool GetAdminPassword(std::u16string& out) const;
    void SetAdminPassword(std::u16string_view password);

    StoreIterator Begin() const { return StoreIterator(entries_.begin(), entries_.end()); }
    size_t Size() const;

    const std::u16string& FilePath() const { return filePath_; }
    void SetFilePath(std::u16string_view p) { filePath_ = CutToField(p); }
    bool CarriesPassword() const { return carriesPassword_; }
    void SetCarriesPassword(bool v) { carriesPassword_ = v; }
    // Whether the macros loaded into this store may start programs. Only the
    // shared store's loader sets it, from who can change the file
    // (core/shared_trust); the matcher asks it of the shared store alone.
    bool StartsPrograms() const { return startsPrograms_; }
    void SetStartsPrograms(bool v) { startsPrograms_ = v; }
    // The raw password field, whatever carriesPassword says (for the writer).
    const std::u16string& RawAdminPassword() const { return adminPassword_; }

    // The store lock, for the writer that holds it while it writes all records.
    std::mutex& Lock() const { return lock_; }

    // Fills `store` from a database file: LoadOk, LoadFailed, LoadCorrupt, or
    // LoadTooLarge past the io's cap (core/database_io.h). `count` receives
    // the records read, the password record included. Only LoadOk sets
    // filePath, carriesPassword and the password (the file's, or none when it
    // has no password record or `readPassword` is false); otherwise the store
    // is left empty with the rest unchanged. A load that runs out of memory
    // is LoadFailed.
    static int Load(ShortcutStore& store, std::u16string_view path, bool readPassword, uint32_t& count,
                    const DatabaseIo& io);
    // Replaces the file at `path` (the store's filePath when empty) with the
    // store's contents. The previous file stays in place unless the new one
    // is complete. The store is not changed.
    static bool Save(const ShortcutStore& store, std::u16string_view path, const DatabaseIo& io);

private:
    explicit ShortcutStore(MemoryLimit* limit) : entries_(EntryMap::allocator_type(limit)) {}

    EntryMap entries_;
    mutable std::mutex lock_;
    std::u16string filePath_;
    std::u16string adminPassword_;
    bool carriesPassword_ = false;
    std::atomic<bool> startsPrograms_{false};
};

}  // namespace kx
