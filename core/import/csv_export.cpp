// The CSV export: "keyword","text","name" rows in UTF-8, the layout that
// Beeftext and TextExpander read.
#include "base/text.h"
#include "convert/rtf_to_text.h"
#include "core/group_registry.h"
#include "core/import/csv_import.h"
#include "core/import/import.h"
#include "core/import/import_item.h"
#include "core/whole_file.h"

namespace kx {

void AppendCsvRows(const ShortcutStore& store, std::u16string_view name, std::string& out, CsvExportOutcome& counts) {
    for (StoreIterator it = store.Begin(); !it.AtEnd(); it.Next()) {
        const EntryRef e = it.Entry();
        std::u16string text;
        switch (e->kind) {
            case ShortcutKind::Picture: ++counts.picturesSkipped; continue;
            case ShortcutKind::Macro: ++counts.macrosSkipped; continue;
            case ShortcutKind::RichText:
                // The plain text the editor saved beside the RTF; older files
                // may lack it.
                text = e->plainText.empty() ? RtfToPlainText(e->richText) : e->plainText;
                break;
            case ShortcutKind::SimpleText: text = e->plainText; break;
        }
        AppendCsvField(out, it.Keyword());
        out += ',';
        AppendCsvField(out, text);
        out += ',';
        AppendCsvField(out, name);
        out += "\r\n";
        ++counts.rows;
    }
}

CsvExportOutcome ExportGroupsToCsv(const DataContext& ctx, const std::vector<std::u16string>& groups,
                                   std::u16string_view path) {
    CsvExportOutcome o;
    GroupRegistry registry(ctx.settings);
    std::string bytes;
    for (const std::u16string& g : groups) {
        std::u16string file = registry.LocationOf(g);
        if (file.empty() && EqualsNoCaseAscii(g, kDefaultGroupName)) file = ctx.folders.DefaultGroupFile();
        StoreRef store = ShortcutStore::Create();
        uint32_t count = 0;
        if (file.empty() || (ctx.fs.IsFile(file) && ShortcutStore::Load(*store, file, false, count, ctx.io) != LoadOk)) {
            o.error = u"The group " + Quoted(g) + u" cannot be read.";
            return o;
        }
        AppendCsvRows(*store, g, bytes, o);
    }
    if (!WriteWholeFile(std::filesystem::path(std::u16string(path)), bytes)) {
        o.error = Quoted(path) + u" cannot be written.";
        return o;
    }
    o.written = true;
    return o;
}

}  // namespace kx
