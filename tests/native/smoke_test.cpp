#include <gtest/gtest.h>
#include "core/shortcut_store.h"
TEST(Smoke, Builds) { auto s = kx::ShortcutStore::Create(); EXPECT_TRUE(s->Insert(u"A", kx::ShortcutEntry::Make(kx::ShortcutKind::SimpleText, u"x"))); }
