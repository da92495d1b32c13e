// Applying an import to a group, and the CSV export read back by the import.

#include "core/database_io.h"
#include "core/import/csv_import.h"
#include "core/import/import.h"
#include "core/import/import_item.h"
#include "tests/support/data_rig.h"

namespace kx::test {
namespace {

using Strings = std::vector<std::u16string>;

ImportItem Item(const char16_t* keyword, const char16_t* text) {
    ImportItem i;
    i.sourceKeyword = keyword;
    i.text = text;
    ApplyKeywordRule(i);
    return i;
}

// A keyword in use is skipped, or imported with a number added; the editors'
// rule of letter case decides what is in use (a file of an older program
// may hold a keyword in lower case), beyond ASCII too. Skipped items stay out.
TEST(ImportApply, AKeywordInUseIsSkippedOrNumberedAndSkippedItemsStayOut) {
    const struct { ImportConflict conflict; Strings keywords; ImportStatus status; const char* note; } cases[] = {
        {ImportConflict::Skip, {u"SIG", u"sig2"}, ImportStatus::Skipped, "The keyword \"SIG\" is in use in the group."},
        {ImportConflict::Suffix, {u"SIG", u"SIG3", u"SIG4", u"sig2"}, ImportStatus::Changed,
         "Imported as \"SIG3\": \"SIG\" is in use in the group."},
    };
    for (const auto& c : cases) {
        StoreRef store = ShortcutStore::Create();
        store->Insert(u"SIG", testing::TextEntry(u"old"));
        store->Insert(u"sig2", testing::TextEntry(u"old 2"));
        ImportPreview p;
        p.items = {Item(u"sig", u"new"), Item(u"Sig", u"newer"), Item(u"a b", u"never")};
        const ImportCounts n = ApplyImport(*store, p, c.conflict);
        Strings keywords;
        for (StoreIterator it = store->Begin(); !it.AtEnd(); it.Next()) keywords.push_back(it.Keyword());
        EXPECT_EQ(keywords, c.keywords);
        EXPECT_EQ(std::tuple(p.items[0].status, p.items[1].status), std::tuple(c.status, c.status));
        EXPECT_EQ(p.items[0].notes.back(), U16(c.note));
        EXPECT_EQ(n.skipped, c.conflict == ImportConflict::Skip ? 3u : 1u);
        EXPECT_EQ(testing::PlainOf(*store, u"SIG"), u"old");
    }
    StoreRef store = ShortcutStore::Create();
    store->Insert(u"\u00C4RGER", testing::TextEntry(u"old"));
    ImportPreview p;
    p.items = {Item(u"\u00E4rger", u"new")};
    EXPECT_EQ(ApplyImport(*store, p, ImportConflict::Skip).skipped, 1u);
}

// A second import into the same group, named in another case, adds to its
// file and registers nothing new; the group the program has loaded is
// changed in place, so the matcher sees the new shortcuts at once, a
// rich-text entry with its browser clip as from a load.
TEST_P(DataTest, ImportIntoAGroupAgainAddsToItsFileAndToTheLoadedStore) {
    ImportPreview p;
    p.items = {Item(u":sig", u"Best,\r\nAnna")};
    GroupImportOutcome o = ImportIntoGroup(rig.ctx, u"espanso", p, ImportConflict::Skip, nullptr);
    ASSERT_TRUE(o.done && o.created) << U8(o.error);
    EXPECT_EQ(rig.Groups().LocationOf(u"espanso"), GroupFileIn(rig.folders.local, u"espanso"));
    p.items = {Item(u"addr", u"1 Main St"), Item(u"sig", u"again")};
    o = ImportIntoGroup(rig.ctx, u"ESPANSO", p, ImportConflict::Skip, nullptr);
    ASSERT_TRUE(o.done) << U8(o.error);
    EXPECT_EQ(std::tuple(o.created, o.counts.imported, o.counts.skipped, rig.Groups().Names().size()),
              std::tuple(false, 1u, 1u, size_t(1)));
    EXPECT_EQ(DataRig::Text(*rig.Load(o.file), u"SIG") + DataRig::Text(*rig.Load(o.file), u"ADDR"), u"Best,\r\nAnna1 Main St");

    rig.stores.groupName = u"espanso";
    rig.stores.groupPath = o.file;
    rig.stores.localLoaded = true;
    rig.stores.local = rig.Load(o.file);
    struct MarkClips final : ClipBuilder {
        bool BuildRich(ShortcutEntry& e) override { return e.htmlClip = "clip of " + e.richText, true; }
    } clips;
    rig.io.clips = &clips;
    p.items = {Item(u"tel", u"555"), Item(u"b", u"Bold")};
    p.items[1].kind = ShortcutKind::RichText;
    p.items[1].richText = "{\\rtf1 {\\b Bold}}";
    ASSERT_TRUE(ImportIntoGroup(rig.ctx, u"espanso", p, ImportConflict::Skip, &rig.stores).done);
    EXPECT_EQ(DataRig::Text(*rig.stores.local, u"TEL"), u"555");
    EntryRef rich;
    ASSERT_TRUE(rig.stores.local->Find(u"B", rich));
    EXPECT_EQ(rich->htmlClip, "clip of {\\rtf1 {\\b Bold}}");
    rig.io.clips = nullptr;
    p.items.clear();
    EXPECT_FALSE(ImportIntoGroup(rig.ctx, u"a/b", p, ImportConflict::Skip, nullptr).done);
    EXPECT_EQ(rig.Groups().Names().size(), 1u);
}

// Quotes, line breaks and letters beyond ASCII survive the round trip;
// pictures and macros are left out and counted.
TEST_P(DataTest, TheCsvExportReadsBackAsTheSameKeywordsAndTexts) {
    rig.AddGroupFile(u"Work", {{u"SIG", u"Say \"hi\",\r\nAnna"}, {u"CAF\u00C9", u"caf\u00E9 \U0001F600"}});
    StoreRef s = rig.Load(rig.Sub(u"Work.dat"));
    s->Insert(u"CTRL+ALT+M", ShortcutEntry::Make(ShortcutKind::Macro, u"{TYPE x}"));
    s->Insert(u"RICH", ShortcutEntry::Make(ShortcutKind::RichText, u"Bold text", "{\\rtf1 {\\b Bold} text}"));
    s->Insert(u"PIC", ShortcutEntry::Make(ShortcutKind::Picture, u"", "{\\rtf1 {\\pict}}"));
    ASSERT_TRUE(ShortcutStore::Save(*s, rig.Sub(u"Work.dat"), rig.io));
    const std::u16string out = rig.Sub(u"out.csv");
    const CsvExportOutcome o = ExportGroupsToCsv(rig.ctx, {u"Work"}, out);
    ASSERT_TRUE(o.written) << U8(o.error);
    EXPECT_EQ(std::tuple(o.rows, o.picturesSkipped, o.macrosSkipped), std::tuple(3u, 1u, 1u));
    const ImportPreview back = PreviewImport(ImportSource::Csv, out, ImportEnvironment{});
    Strings got;
    for (const ImportItem& i : back.items)
        got.push_back(i.keyword + u"=" + i.text + u"|" + i.name + (i.status == ImportStatus::Imported ? u"" : u"!"));
    EXPECT_EQ(got, (Strings{u"CAF\u00C9=caf\u00E9 \U0001F600|Work", u"RICH=Bold text|Work", u"SIG=Say \"hi\",\r\nAnna|Work"}));
    EXPECT_FALSE(ExportGroupsToCsv(rig.ctx, {u"Nowhere"}, out).written);
}

}  // namespace
}  // namespace kx::test
