#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "core/shortcut_store.h"

namespace kx {
namespace {

EntryRef Text(const char16_t* s) { return ShortcutEntry::Make(ShortcutKind::SimpleText, s); }

// Entries are shared by reference: the store holds one on each entry it
// keeps, drops it when the entry is replaced or removed or the store goes,
// and a reference found in it outlives all of that.
TEST(ShortcutStore, EntriesOutliveTheStoreThatHeldThem) {
    StoreRef store = ShortcutStore::Create(), other = store;
    EntryRef first = Text(u"one"), second = Text(u"two"), addr = Text(u"1 Main Street");
    ASSERT_TRUE(store->Insert(u"abc", first));
    ASSERT_TRUE(store->Insert(u"abc", second));
    store->Insert(u"ADDR", addr);
    EXPECT_TRUE(store->Remove(u"ADDR"));
    EXPECT_FALSE(store->Remove(u"ADDR"));
    EXPECT_EQ(std::tuple(first->RefCount(), second->RefCount(), addr->RefCount(), store->Size()), std::tuple(1u, 2u, 1u, 1u));
    store.reset();
    EXPECT_TRUE(other->Contains(u"abc")) << "a reference keeps the store";
    other->Clear();
    EXPECT_EQ(second->RefCount(), 1u);
    other->Insert(u"K", first);
    other.reset();
    EXPECT_EQ(first->RefCount(), 1u) << "destroying the store drops its entries";
    EXPECT_EQ(first->plainText + second->plainText, u"onetwo");
}

// Out of memory an insert reports failure and leaves the store, and the
// entry's count, as they were, as does an empty keyword; replacing a slot
// needs no memory and works.
TEST(ShortcutStore, RefusedInsertsAddNoSlot) {
    MemoryLimit limit{0};
    auto store = ShortcutStore::Create(&limit);
    EntryRef a = Text(u"a"), b = Text(u"b");
    EXPECT_FALSE(store->Insert(u"A", a));
    EXPECT_FALSE(store->Contains(u"A"));
    limit.bytesLeft = 4096;
    EXPECT_FALSE(store->Insert(u"", a));
    EXPECT_EQ(a->RefCount(), 1u);
    ASSERT_TRUE(store->Insert(u"A", a));
    limit.bytesLeft = 0;
    EXPECT_FALSE(store->Insert(u"B", b));
    EXPECT_TRUE(store->Insert(u"A", b));
    EXPECT_EQ(std::tuple(store->Size(), a->RefCount(), b->RefCount()), std::tuple(1u, 1u, 2u));
    store->Clear();  // gives the slot's memory back
    EXPECT_GT(limit.bytesLeft, 0u);
}

// Keywords compare by exact code units, and iterate in unsigned 16-bit
// order: B < a < ab < b, and a unit above 0x8000 after every ASCII keyword.
TEST(ShortcutStore, KeywordsCompareByExactCodeUnits) {
    auto store = ShortcutStore::Create();
    for (const char16_t* k : {u"b", u"B", u"\u00e9", u"a", u"ab", u"\uff21"}) store->Insert(k, Text(k));
    EntryRef e;
    ASSERT_TRUE(store->Find(u"B", e));
    EXPECT_FALSE(store->Find(u"AB", e));
    EXPECT_EQ(e->plainText, u"B") << "a miss leaves the caller's reference alone";
    std::u16string pw = u"junk";
    store->SetAdminPassword(u"secret");
    EXPECT_FALSE(store->GetAdminPassword(pw)) << "only the shared store has a password";
    EXPECT_EQ(pw, u"");
    store->SetCarriesPassword(true);
    store->SetAdminPassword(std::u16string(300, u'p'));
    EXPECT_TRUE(store->GetAdminPassword(pw));
    EXPECT_EQ(pw, std::u16string(259, u'p'));
    std::vector<std::u16string> order;
    for (auto it = store->Begin(); !it.AtEnd(); it.Next()) order.push_back(it.Keyword());
    EXPECT_EQ(order, (std::vector<std::u16string>{u"B", u"a", u"ab", u"b", u"\u00e9", u"\uff21"}));
}

// The hook thread looks keywords up while the UI thread reloads the store.
// Every hit must be a whole, live entry whose text belongs to its keyword.
TEST(ShortcutStore, LookupsRaceClearAndInsertSafely) {
    auto store = ShortcutStore::Create();
    const std::vector<std::u16string> keys = {u"SIG", u"ADDR", u"TY", u"BR", u"OOO", u"PHONE"};
    std::atomic<bool> stop{false};
    std::atomic<long> hits{0}, bad{0}, lookups{0};
    std::thread hook([&] {
        EntryRef e;
        while (!stop) {
            for (const auto& k : keys) {
                if (store->Find(k, e)) {
                    ++hits;
                    if (e->plainText.compare(0, k.size(), k) != 0) ++bad;
                }
                e.reset();
                ++lookups;
            }
        }
    });
    // Reload until the hook thread has really raced the reloads: on a busy
    // machine it may not be scheduled at all during a fixed number of rounds.
    for (int round = 0; round < 2000 || (lookups < 20000 && round < 20000000); ++round) {
        store->Clear();
        for (const auto& k : keys) store->Insert(k, Text((k + u" expansion " + char16_t(u'0' + round % 10)).c_str()));
        if (round % 3 == 0) store->Remove(keys[round % keys.size()]);
    }
    while (hits == 0) std::this_thread::yield();  // the store holds entries now
    stop = true;
    hook.join();
    EXPECT_GE(lookups.load(), 20000);
    EXPECT_EQ(bad.load(), 0);
}

}  // namespace
}  // namespace kx
