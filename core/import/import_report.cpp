// The import's names, default places, counts and report text.
#include <cstring>

#include "base/text.h"
#include "core/file_paths.h"
#include "core/import/import.h"

namespace kx {

const char* ImportSourceWord(ImportSource source) {
    switch (source) {
        case ImportSource::Espanso: return "espanso";
        case ImportSource::Beeftext: return "beeftext";
        case ImportSource::AutoHotkey: return "autohotkey";
        case ImportSource::TextExpander: return "textexpander";
        case ImportSource::Csv: return "csv";
    }
    return "csv";
}

bool ParseImportSource(std::string_view word, ImportSource& out) {
    for (ImportSource s : kImportSources) {
        if (word == ImportSourceWord(s)) {
            out = s;
            return true;
        }
    }
    return false;
}

std::u16string ImportSourceName(ImportSource source) {
    switch (source) {
        case ImportSource::Espanso: return u"espanso";
        case ImportSource::Beeftext: return u"Beeftext";
        case ImportSource::AutoHotkey: return u"AutoHotkey";
        case ImportSource::TextExpander: return u"TextExpander";
        case ImportSource::Csv: return u"CSV";
    }
    return u"CSV";
}

bool ImportSourceIsFolder(ImportSource source) { return source == ImportSource::Espanso; }

std::u16string DefaultImportLocation(ImportSource source, const ImportFolders& folders) {
    switch (source) {
        case ImportSource::Espanso:
            if (folders.appData.empty()) return {};
            return JoinPath(JoinPath(folders.appData, u"espanso"), u"match");
        case ImportSource::Beeftext:
            // Qt's local data folder: <organisation domain>\<application>.
            if (folders.localAppData.empty()) return {};
            return JoinPath(JoinPath(JoinPath(folders.localAppData, u"beeftext.org"), u"Beeftext"),
                            u"comboList.json");
        default:
            return {};
    }
}

const char16_t* ImportStatusText(ImportStatus status) {
    switch (status) {
        case ImportStatus::Imported: return u"imported";
        case ImportStatus::Changed: return u"changed";
        case ImportStatus::Skipped: return u"skipped";
    }
    return u"skipped";
}

ImportCounts CountImport(const ImportPreview& preview) {
    ImportCounts c;
    for (const ImportItem& i : preview.items) {
        switch (i.status) {
            case ImportStatus::Imported: ++c.imported; break;
            case ImportStatus::Changed: ++c.changed; break;
            case ImportStatus::Skipped: ++c.skipped; break;
        }
    }
    return c;
}

std::u16string ImportSummaryText(const ImportCounts& counts) {
    return U16(std::to_string(counts.imported)) + u" imported, " + U16(std::to_string(counts.changed)) +
           u" changed, " + U16(std::to_string(counts.skipped)) + u" skipped";
}

std::u16string ImportTextStart(const ImportItem& item, size_t maxChars) {
    std::u16string_view t = item.text;
    const size_t eol = t.find_first_of(u"\r\n");
    const bool more = eol != std::u16string_view::npos || t.size() > maxChars;
    if (eol != std::u16string_view::npos) t = t.substr(0, eol);
    if (t.size() > maxChars) t = t.substr(0, maxChars);
    std::u16string out(t);
    if (more) out += u"...";
    return out;
}

std::u16string ImportReportText(const ImportPreview& preview) {
    std::u16string out;
    for (const std::u16string& p : preview.problems) out += p + u"\r\n";
    for (const ImportItem& i : preview.items) {
        out += i.keyword.empty() ? i.sourceKeyword : i.keyword;
        out += u'\t';
        out += ImportStatusText(i.status);
        out += u'\t';
        out += ImportTextStart(i);
        out += u'\t';
        for (size_t n = 0; n < i.notes.size(); ++n) out += (n ? u"; " : u"") + i.notes[n];
        out += u"\r\n";
    }
    out += ImportSummaryText(CountImport(preview));
    out += u"\r\n";
    return out;
}

}  // namespace kx
