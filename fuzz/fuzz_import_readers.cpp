// Feeds arbitrary bytes to the readers of other expanders' files; the first
// byte picks the reader (espanso YAML, Beeftext JSON, AutoHotkey, CSV, or
// the HTML of a formatted snippet). Beside crashes, hangs and sanitizer
// reports it checks the import's promise: every shortcut it would add has a
// keyword that can be typed (word characters only, upper case as the
// editors make it, at most 259 of them), and every skip says why.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/keyword_chars.h"
#include "base/text.h"
#include "convert/rtf_to_text.h"
#include "core/import/ahk_import.h"
#include "core/import/beeftext_import.h"
#include "core/import/csv_import.h"
#include "core/import/espanso_import.h"
#include "core/import/html_to_rtf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    kx::ImportPreview p;
    switch (data[0] % 5) {
        case 0: {
            kx::ImportEnvironment env;
            env.now = kx::LocalTime{2026, 12, 7, 12, 0, 0};
            std::vector<std::u16string> imports;
            kx::ReadEspansoFile(bytes, u"f.yml", env, u"", p, imports);
            break;
        }
        case 1: kx::ReadBeeftextImport(bytes, u"f.json", p); break;
        case 2: kx::ReadAutoHotkeyImport(bytes, u"f.ahk", p); break;
        case 3: kx::ReadCsvImport(bytes, u"f.csv", p); break;
        default: {
            // A formatted snippet's RTF must read back as RTF.
            const std::string rtf = kx::HtmlToRtf(kx::Utf8ToUtf16(bytes));
            if (rtf.compare(0, 6, "{\\rtf1") != 0 || rtf.back() != '}') __builtin_trap();
            (void)kx::RtfToPlainText(rtf);
            return 0;
        }
    }
    for (const kx::ImportItem& item : p.items) {
        if (item.status == kx::ImportStatus::Skipped) {
            if (item.notes.empty()) __builtin_trap();
            continue;
        }
        if (item.status == kx::ImportStatus::Changed && item.notes.empty()) __builtin_trap();
        if (item.keyword.empty() || item.keyword.size() > kx::kMaxFieldChars) __builtin_trap();
        for (char16_t c : item.keyword)
            if (kx::IsDelimiter(c) || c == u'\n' || (c >= u'a' && c <= u'z')) __builtin_trap();
    }
    return 0;
}
