#include "core/import/beeftext_import.h"

#include <map>

#include <nlohmann/json.hpp>

#include "base/text.h"
#include "convert/rtf_to_text.h"
#include "core/import/html_to_rtf.h"
#include "core/import/import_item.h"

namespace kx {
namespace {

using Json = nlohmann::json;

std::u16string StringField(const Json& o, const char* name) {
    const auto it = o.find(name);
    if (it == o.end() || !it->is_string()) return {};
    return U16(it->get_ref<const std::string&>());
}

bool BoolField(const Json& o, const char* name, bool absent) {
    const auto it = o.find(name);
    return it != o.end() && it->is_boolean() ? it->get<bool>() : absent;
}

struct Group {
    std::u16string name;
    bool enabled = true;
};

}  // namespace

std::u16string BeeftextSnippetText(std::u16string_view s, ImportItem& item) {
    std::u16string out;
    out.reserve(s.size());
    bool cursor = false;
    std::u16string kept;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != u'#' || i + 1 >= s.size() || s[i + 1] != u'{') {
            out += s[i];
            continue;
        }
        // The variable runs to the first "}" that is not escaped as "\}".
        size_t end = i + 2;
        std::u16string name;
        while (end < s.size() && s[end] != u'}') {
            if (s[end] == u'\\' && end + 1 < s.size() && (s[end + 1] == u'}' || s[end + 1] == u'\\')) ++end;
            name += s[end];
            ++end;
        }
        if (end >= s.size()) {  // no closing brace: plain text
            out += s.substr(i);
            break;
        }
        if (name == u"cursor") {
            cursor = true;
        } else {
            const std::u16string_view typed = s.substr(i, end + 1 - i);
            out += typed;
            if (kept.size() < 200) kept += (kept.empty() ? u"" : u", ") + std::u16string(typed);
        }
        i = end;
    }
    if (cursor) MarkChanged(item, u"#{cursor} is removed: Kestrix leaves the cursor after the text.");
    if (!kept.empty())
        MarkChanged(item, u"Beeftext's variables are kept as text, since Kestrix does not fill them: " + kept + u".");
    return out;
}

void ReadBeeftextImport(std::string_view bytes, std::u16string_view fileName, ImportPreview& preview) {
    const Json root = Json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (root.is_discarded() || !root.is_object()) {
        preview.problems.push_back(Quoted(fileName) + u" is not a Beeftext combo file: it is not a JSON object.");
        return;
    }
    const auto version = root.find("fileFormatVersion");
    if (version == root.end() || !version->is_number_integer()) {
        preview.problems.push_back(Quoted(fileName) + u" is not a Beeftext combo file: it has no fileFormatVersion.");
        return;
    }
    const int64_t v = version->get<int64_t>();
    if (v > kBeeftextMaxVersion || v < 1) {
        preview.problems.push_back(Quoted(fileName) + u" has the file format version " + U16(std::to_string(v)) +
                                   u"; only versions 1 to 10 can be read.");
        return;
    }
    std::map<std::string, Group> groups;
    if (const auto g = root.find("groups"); g != root.end() && g->is_array()) {
        for (const Json& group : *g) {
            if (!group.is_object()) continue;
            const auto uuid = group.find("uuid");
            if (uuid == group.end() || !uuid->is_string()) continue;
            groups[uuid->get<std::string>()] = Group{StringField(group, "name"), BoolField(group, "enabled", true)};
        }
    }
    const auto combos = root.find("combos");
    if (combos == root.end() || !combos->is_array()) {
        preview.problems.push_back(Quoted(fileName) + u" is not a Beeftext combo file: it has no combos.");
        return;
    }
    const bool old = v < 2;  // before version 2 the fields had other names
    size_t index = 0;
    for (const Json& combo : *combos) {
        ++index;
        ImportItem item;
        item.origin = std::u16string(fileName) + u": combo " + U16(std::to_string(index));
        if (!combo.is_object()) {
            MarkSkipped(item, u"The combo is not a JSON object.");
            preview.items.push_back(std::move(item));
            continue;
        }
        item.sourceKeyword = StringField(combo, old ? "comboText" : "keyword");
        item.name = StringField(combo, "name");
        const std::u16string snippet = StringField(combo, old ? "substitutionText" : "snippet");
        std::u16string text = BeeftextSnippetText(snippet, item);
        if (BoolField(combo, "useHtml", false)) {
            item.kind = ShortcutKind::RichText;
            item.richText = HtmlToRtf(text);
            item.text = RtfToPlainText(item.richText);
        } else {
            item.text = ToCrLf(text);
        }
        ApplyKeywordRule(item);
        if (item.status != ImportStatus::Skipped) {
            if (!BoolField(combo, "enabled", true)) AddNote(item, u"It was disabled in Beeftext; in Kestrix it expands.");
            const auto group = combo.find("group");
            if (group != combo.end() && group->is_string()) {
                const auto g = groups.find(group->get<std::string>());
                if (g != groups.end() && !g->second.enabled)
                    AddNote(item, u"Its Beeftext group " + Quoted(g->second.name) +
                                      u" was disabled; in Kestrix it expands.");
            }
        }
        preview.items.push_back(std::move(item));
    }
}

}  // namespace kx
