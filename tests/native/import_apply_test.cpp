// Applying an import to a group, and the CSV export read back by the import.
#include <gtest/gtest.h>

#include "core/database_io.h"
#include "core/import/csv_import.h"
#include "core/import/import.h"
#include "core/import/import_item.h"
#include "tests/support/data_rig.h"

namespace kx::test {
namespace {

ImportItem Item(const char16_t* keyword, const char16_t* text) {
    ImportItem i;
    i.sourceKeyword = keyword;
    i.text = text;
    ApplyKeywordRule(i);
    return i;
}

TEST(ImportApply, AKeywordInUseIsSkippedOrNumberedAndSkippedItemsStayOut) {
    struct Case {
        ImportConflict conflict;
        std::vector<std::u16string> keywords;  // what the store holds afterwards
        ImportStatus first, second;
        const char* note;
    } cases[] = {
        {ImportConflict::Skip, {u"SIG", u"sig2"}, ImportStatus::Skipped, ImportStatus::Skipped,
         "The keyword \"SIG\" is in use in the group."},
        {ImportConflict::Suffix, {u"SIG", u"SIG3", u"SIG4", u"sig2"}, ImportStatus::Changed, ImportStatus::Changed,
         "Imported as \"SIG3\": \"SIG\" is in use in the group."},
    };
    for (const Case& c : cases) {
        StoreRef store = ShortcutStore::Create();
        store->Insert(u"SIG", ShortcutEntry::Make(ShortcutKind::SimpleText, u"old"));
        // A file of an older program may hold a keyword in lower case.
        store->Insert(u"sig2", ShortcutEntry::Make(ShortcutKind::SimpleText, u"old 2"));
        ImportPreview p;
        // The second comes from a trigger that differs in case only: the
        // editors' rule takes it as the same keyword.
        p.items = {Item(u"sig", u"new"), Item(u"Sig", u"newer"), Item(u"a b", u"never")};
        const ImportCounts n = ApplyImport(*store, p, c.conflict);
        std::vector<std::u16string> keywords;
        for (StoreIterator it = store->Begin(); !it.AtEnd(); it.Next()) keywords.push_back(it.Keyword());
        EXPECT_EQ(keywords, c.keywords);
        EXPECT_EQ(p.items[0].status, c.first);
        EXPECT_EQ(p.items[1].status, c.second);
        EXPECT_EQ(p.items[0].notes.back(), U16(c.note));
        EXPECT_EQ(n.skipped, c.conflict == ImportConflict::Skip ? 3u : 1u);
        EXPECT_EQ(testing::PlainOf(*store, u"SIG"), u"old");
    }
    // Letter case beyond ASCII counts too, as in the editors: the keyword
    // keeps its lower-case a-umlaut (the editors upper-case a to z only).
    StoreRef store = ShortcutStore::Create();
    store->Insert(u"\u00C4RGER", ShortcutEntry::Make(ShortcutKind::SimpleText, u"old"));
    ImportPreview p;
    p.items = {Item(u"\u00E4rger", u"new")};
    EXPECT_EQ(ApplyImport(*store, p, ImportConflict::Skip).skipped, 1u);
}

TEST_P(DataTest, ImportIntoANewGroupRegistersItsFileAndAddsToItAgainLater) {
    ImportPreview p;
    p.items = {Item(u":sig", u"Best,\r\nAnna")};
    GroupImportOutcome o = ImportIntoGroup(rig.ctx, u"espanso", p, ImportConflict::Skip, nullptr);
    ASSERT_TRUE(o.done) << U8(o.error);
    EXPECT_TRUE(o.created);
    EXPECT_EQ(o.file, GroupFileIn(rig.folders.local, u"espanso"));
    EXPECT_EQ(rig.Groups().LocationOf(u"espanso"), o.file);

    // A second import into the same group, named in another case, adds to
    // its file and registers nothing new.
    ImportPreview more;
    more.items = {Item(u"addr", u"1 Main St"), Item(u"sig", u"again")};
    o = ImportIntoGroup(rig.ctx, u"ESPANSO", more, ImportConflict::Skip, nullptr);
    ASSERT_TRUE(o.done) << U8(o.error);
    EXPECT_FALSE(o.created);
    EXPECT_EQ(o.counts.imported, 1u);
    EXPECT_EQ(o.counts.skipped, 1u);
    EXPECT_EQ(rig.Groups().Names().size(), 1u);
    StoreRef loaded = rig.Load(o.file);
    EXPECT_EQ(DataRig::Text(*loaded, u"SIG"), u"Best,\r\nAnna");
    EXPECT_EQ(DataRig::Text(*loaded, u"ADDR"), u"1 Main St");

    // The group the program has loaded is changed in place, so the matcher
    // sees the new shortcuts at once.
    rig.stores.groupName = u"espanso";
    rig.stores.groupPath = o.file;
    rig.stores.localLoaded = true;
    uint32_t count = 0;
    ASSERT_EQ(ShortcutStore::Load(*rig.stores.local, o.file, false, count, rig.io), LoadOk);
    // A rich-text entry comes with its browser clip, as from a load.
    struct MarkClips final : ClipBuilder {
        bool BuildRich(ShortcutEntry& e) override {
            e.htmlClip = "clip of " + e.richText;
            return true;
        }
    } clips;
    rig.io.clips = &clips;
    ImportPreview live;
    live.items = {Item(u"tel", u"555"), Item(u"b", u"Bold")};
    live.items[1].kind = ShortcutKind::RichText;
    live.items[1].richText = "{\\rtf1 {\\b Bold}}";
    ASSERT_TRUE(ImportIntoGroup(rig.ctx, u"espanso", live, ImportConflict::Skip, &rig.stores).done);
    EXPECT_EQ(DataRig::Text(*rig.stores.local, u"TEL"), u"555");
    EntryRef rich;
    ASSERT_TRUE(rig.stores.local->Find(u"B", rich));
    EXPECT_EQ(rich->htmlClip, "clip of {\\rtf1 {\\b Bold}}");
    rig.io.clips = nullptr;

    ImportPreview none;
    EXPECT_FALSE(ImportIntoGroup(rig.ctx, u"a/b", none, ImportConflict::Skip, nullptr).done);
    EXPECT_EQ(rig.Groups().Names().size(), 1u);
}

TEST_P(DataTest, TheCsvExportReadsBackAsTheSameKeywordsAndTexts) {
    const std::u16string file = rig.Sub(u"Work.dat");
    StoreRef s = ShortcutStore::Create();
    s->Insert(u"SIG", ShortcutEntry::Make(ShortcutKind::SimpleText, u"Say \"hi\",\r\nAnna"));
    s->Insert(u"RICH", ShortcutEntry::Make(ShortcutKind::RichText, u"Bold text", "{\\rtf1 {\\b Bold} text}"));
    s->Insert(u"CTRL+ALT+M", ShortcutEntry::Make(ShortcutKind::Macro, u"{TYPE x}"));
    s->Insert(u"PIC", ShortcutEntry::Make(ShortcutKind::Picture, u"", "{\\rtf1 {\\pict}}"));
    s->Insert(u"CAF\u00C9", ShortcutEntry::Make(ShortcutKind::SimpleText, u"caf\u00E9 \U0001F600"));
    ASSERT_TRUE(ShortcutStore::Save(*s, file, rig.io));
    rig.Groups().Register(u"Work", file);

    const std::u16string out = rig.Sub(u"out.csv");
    const CsvExportOutcome o = ExportGroupsToCsv(rig.ctx, {u"Work"}, out);
    ASSERT_TRUE(o.written) << U8(o.error);
    EXPECT_EQ(o.rows, 3u);
    EXPECT_EQ(o.picturesSkipped, 1u);
    EXPECT_EQ(o.macrosSkipped, 1u);

    ImportEnvironment env;
    const ImportPreview back = PreviewImport(ImportSource::Csv, out, env);
    ASSERT_EQ(back.items.size(), 3u);
    const std::pair<const char16_t*, const char16_t*> want[] = {
        {u"CAF\u00C9", u"caf\u00E9 \U0001F600"}, {u"RICH", u"Bold text"}, {u"SIG", u"Say \"hi\",\r\nAnna"}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(back.items[i].keyword, want[i].first);
        EXPECT_EQ(back.items[i].text, want[i].second);
        EXPECT_EQ(back.items[i].name, u"Work");
        EXPECT_EQ(back.items[i].status, ImportStatus::Imported);
    }
    EXPECT_FALSE(ExportGroupsToCsv(rig.ctx, {u"Nowhere"}, out).written);
}

}  // namespace
}  // namespace kx::test
