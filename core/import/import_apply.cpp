// Applying a preview to a group, and the CSV export.
#include "core/import/import.h"

namespace kx {

ImportPreview PreviewImport(ImportSource source, std::u16string_view path, const ImportEnvironment&) {
    ImportPreview p;
    p.source = source;
    p.path = std::u16string(path);
    p.problems.push_back(u"This source cannot be read yet.");
    return p;
}

ImportCounts ApplyImport(ShortcutStore&, ImportPreview& preview, ImportConflict) { return CountImport(preview); }

GroupImportOutcome ImportIntoGroup(const DataContext&, std::u16string_view, ImportPreview&, ImportConflict,
                                   LoadedStores*) {
    GroupImportOutcome o;
    o.error = u"Importing is not available yet.";
    return o;
}

void AppendCsvRows(const ShortcutStore&, std::u16string_view, std::string&, CsvExportOutcome&) {}

CsvExportOutcome ExportGroupsToCsv(const DataContext&, const std::vector<std::u16string>&, std::u16string_view) {
    CsvExportOutcome o;
    o.error = u"Exporting is not available yet.";
    return o;
}

}  // namespace kx
