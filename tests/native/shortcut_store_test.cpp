#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "core/shortcut_store.h"

namespace kx {
namespace {

EntryRef Text(const char16_t* s) { return ShortcutEntry::Make(ShortcutKind::SimpleText, s); }

TEST(ShortcutStore, ReplacingAKeywordDropsTheOldEntryOnce) {
    auto store = ShortcutStore::Create();
    EntryRef first = Text(u"one"), second = Text(u"two");
    ASSERT_TRUE(store->Insert(u"abc", first));
    EXPECT_EQ(first->RefCount(), 2u);
    ASSERT_TRUE(store->Insert(u"abc", second));
    EXPECT_EQ(first->RefCount(), 1u);
    EXPECT_EQ(second->RefCount(), 2u);
    EXPECT_EQ(store->Size(), 1u);
    EntryRef found;
    ASSERT_TRUE(store->Find(u"abc", found));
    EXPECT_EQ(found, second);
}

// Out of memory an insert reports failure and leaves the store, and the
// entry's count, as they were; replacing a slot needs no memory and works.
TEST(ShortcutStore, InsertOutOfMemoryAddsNoSlot) {
    MemoryLimit limit{0};
    auto store = ShortcutStore::Create(&limit);
    EntryRef a = Text(u"a"), b = Text(u"b");
    EXPECT_FALSE(store->Insert(u"A", a));
    EXPECT_EQ(store->Size(), 0u);
    EXPECT_FALSE(store->Contains(u"A"));
    EXPECT_EQ(a->RefCount(), 1u);

    limit.bytesLeft = 4096;
    ASSERT_TRUE(store->Insert(u"A", a));
    limit.bytesLeft = 0;
    EXPECT_FALSE(store->Insert(u"B", b));
    EXPECT_TRUE(store->Insert(u"A", b));
    EXPECT_EQ(store->Size(), 1u);
    EXPECT_EQ(a->RefCount(), 1u);
    EXPECT_EQ(b->RefCount(), 2u);
    store->Clear();  // gives the slot's memory back
    EXPECT_GT(limit.bytesLeft, 0u);
}

TEST(ShortcutStore, EmptyKeywordIsRefused) {
    auto store = ShortcutStore::Create();
    EntryRef e = Text(u"x");
    EXPECT_FALSE(store->Insert(u"", e));
    EXPECT_EQ(store->Size(), 0u);
    EXPECT_EQ(e->RefCount(), 1u);
}

TEST(ShortcutStore, KeywordsCompareByExactCodeUnits) {
    auto store = ShortcutStore::Create();
    store->Insert(u"ABC", Text(u"upper"));
    store->Insert(u"abc", Text(u"lower"));
    EntryRef e;
    ASSERT_TRUE(store->Find(u"ABC", e));
    EXPECT_EQ(e->plainText, u"upper");
    ASSERT_TRUE(store->Find(u"abc", e));
    EXPECT_EQ(e->plainText, u"lower");
    EXPECT_FALSE(store->Find(u"Abc", e));
    EXPECT_EQ(e->plainText, u"lower") << "a miss leaves the caller's reference alone";

    // Iteration is by unsigned 16-bit units: B < a < ab < b, and a unit
    // above 0x8000 sorts after every ASCII keyword.
    auto s2 = ShortcutStore::Create();
    for (const char16_t* k : {u"b", u"B", u"\u00e9", u"a", u"ab", u"\uff21"}) s2->Insert(k, Text(k));
    std::vector<std::u16string> order;
    for (auto it = s2->Begin(); !it.AtEnd(); it.Next()) order.push_back(it.Keyword());
    EXPECT_EQ(order, (std::vector<std::u16string>{u"B", u"a", u"ab", u"b", u"\u00e9", u"\uff21"}));
}

TEST(ShortcutStore, OnlyTheSharedStoreReportsItsPassword) {
    auto store = ShortcutStore::Create();
    store->SetAdminPassword(u"secret");
    std::u16string out = u"junk";
    EXPECT_FALSE(store->GetAdminPassword(out));
    EXPECT_EQ(out, u"");
    store->SetCarriesPassword(true);
    store->SetAdminPassword(std::u16string(300, u'p'));
    ASSERT_TRUE(store->GetAdminPassword(out));
    EXPECT_EQ(out.size(), 259u);
}

TEST(ShortcutStore, AFoundEntryOutlivesClearAndRemove) {
    auto store = ShortcutStore::Create();
    store->Insert(u"SIG", Text(u"Best regards"));
    store->Insert(u"ADDR", Text(u"1 Main Street"));
    EntryRef sig, addr;
    ASSERT_TRUE(store->Find(u"SIG", sig));
    ASSERT_TRUE(store->Find(u"ADDR", addr));
    EXPECT_TRUE(store->Remove(u"ADDR"));
    EXPECT_FALSE(store->Remove(u"ADDR"));
    store->Clear();
    EXPECT_FALSE(store->Contains(u"SIG"));
    EXPECT_EQ(sig->plainText, u"Best regards");
    EXPECT_EQ(addr->plainText, u"1 Main Street");
    EXPECT_EQ(sig->RefCount(), 1u);
}

TEST(ShortcutStore, StoreReferencesKeepItAlive) {
    StoreRef a = ShortcutStore::Create();
    StoreRef b = a;
    EXPECT_EQ(a->RefCount(), 2u);
    EntryRef e = Text(u"x");
    a->Insert(u"K", e);
    a.reset();
    EXPECT_TRUE(b->Contains(u"K"));
    b.reset();
    EXPECT_EQ(e->RefCount(), 1u) << "destroying the store drops its entries";
}

// The hook thread looks keywords up while the UI thread reloads the store.
// Every hit must be a whole, live entry whose text belongs to its keyword.
TEST(ShortcutStore, LookupsRaceClearAndInsertSafely) {
    auto store = ShortcutStore::Create();
    const std::vector<std::u16string> keys = {u"SIG", u"ADDR", u"TY", u"BR", u"OOO", u"PHONE"};
    std::atomic<bool> stop{false};
    std::atomic<long> hits{0}, bad{0};

    std::atomic<long> lookups{0};
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
    auto reload = [&](int round) {
        store->Clear();
        for (const auto& k : keys) store->Insert(k, Text((k + u" expansion " + char16_t(u'0' + round % 10)).c_str()));
        if (round % 3 == 0) store->Remove(keys[round % keys.size()]);
    };
    int round = 0;
    for (; round < 2000 || (lookups < 20000 && round < 20000000); ++round) reload(round);
    while (hits == 0) std::this_thread::yield();  // the store holds entries now
    stop = true;
    hook.join();
    EXPECT_GE(lookups.load(), 20000);
    EXPECT_EQ(bad.load(), 0);
}

}  // namespace
}  // namespace kx
