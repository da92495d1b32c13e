#include "core/import/csv_import.h"

#include "base/text.h"
#include "core/import/import_item.h"

namespace kx {

std::vector<CsvRow> ParseCsv(std::u16string_view text, bool& unterminated) {
    std::vector<CsvRow> rows;
    unterminated = false;
    size_t i = 0, line = 1;
    const size_t n = text.size();
    auto atRowEnd = [&](size_t at) { return at >= n || text[at] == u'\r' || text[at] == u'\n'; };
    auto skipRowEnd = [&] {
        if (i < n && text[i] == u'\r') ++i;
        if (i < n && text[i] == u'\n') ++i;
        ++line;
    };
    while (i < n) {
        if (text[i] == u'\r' || text[i] == u'\n') {  // an empty line
            skipRowEnd();
            continue;
        }
        CsvRow row;
        row.line = line;
        for (;;) {
            std::u16string field;
            if (i < n && text[i] == u'"') {
                ++i;
                for (;;) {
                    if (i >= n) {
                        unterminated = true;
                        break;
                    }
                    const char16_t c = text[i];
                    if (c == u'"') {
                        if (i + 1 < n && text[i + 1] == u'"') {
                            field += u'"';
                            i += 2;
                        } else if (atRowEnd(i + 1) || text[i + 1] == u',') {
                            ++i;
                            break;
                        } else {
                            field += u'"';
                            ++i;
                        }
                        continue;
                    }
                    if (c == u'\n' || (c == u'\r' && !(i + 1 < n && text[i + 1] == u'\n'))) ++line;
                    field += c;
                    ++i;
                }
            } else {
                const size_t start = i;
                while (i < n && text[i] != u',' && text[i] != u'\r' && text[i] != u'\n') ++i;
                field.assign(text.substr(start, i - start));
            }
            row.fields.push_back(std::move(field));
            if (i < n && text[i] == u',') {
                ++i;
                continue;
            }
            break;
        }
        rows.push_back(std::move(row));
        if (i < n) skipRowEnd();
    }
    return rows;
}

void ReadCsvImport(std::string_view bytes, std::u16string_view fileName, ImportPreview& preview) {
    std::u16string text;
    if (!DecodeTextFile(bytes, text)) {
        preview.problems.push_back(Quoted(fileName) + u" is not a CSV file: it is not UTF-8 text.");
        return;
    }
    bool unterminated = false;
    std::vector<CsvRow> rows = ParseCsv(text, unterminated);
    if (unterminated)
        preview.problems.push_back(Quoted(fileName) + u" ends inside a quoted field; its last row is read as it stands.");
    bool anyText = false;
    for (const CsvRow& row : rows) anyText = anyText || row.fields.size() >= 2;
    if (!anyText) {
        preview.problems.push_back(Quoted(fileName) + u" is not a CSV file of shortcuts: no row has a keyword and a text.");
        return;
    }
    preview.items.reserve(preview.items.size() + rows.size());
    for (CsvRow& row : rows) {
        ImportItem item;
        item.origin = std::u16string(fileName) + u":" + U16(std::to_string(row.line));
        item.sourceKeyword = std::move(row.fields[0]);
        if (row.fields.size() < 2) {
            MarkSkipped(item, u"The row has no text column.");
            preview.items.push_back(std::move(item));
            continue;
        }
        item.text = ToCrLf(row.fields[1]);
        if (row.fields.size() >= 3) item.name = std::move(row.fields[2]);
        ApplyKeywordRule(item);
        preview.items.push_back(std::move(item));
    }
}

void AppendCsvField(std::string& out, std::u16string_view field) {
    out += '"';
    for (char c : U8(field)) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

}  // namespace kx
