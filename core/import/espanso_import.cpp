#include "core/import/espanso_import.h"

#include <algorithm>
#include <filesystem>

#include "base/text.h"
#include "convert/rtf_to_text.h"
#include "core/file_paths.h"
#include "core/import/html_to_rtf.h"
#include "core/import/import_item.h"
#include "core/import/yaml_tree.h"
#include "core/whole_file.h"
#include "picture/picture_encoder.h"
#include "platform/file_system.h"

namespace kx {
namespace {

using Kind = YamlNode::Kind;

// Days since 1970-01-01 of a date in the Gregorian calendar, and back
// (Howard Hinnant's civil-date algorithms).
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2);
}

constexpr const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};
constexpr const char* kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

std::string Two(int64_t v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

const YamlNode* Scalar(const YamlTree& t, const YamlNode& map, std::string_view key) {
    const YamlNode* n = t.Find(map, key);
    return n && n->kind == Kind::Scalar ? n : nullptr;
}

// A variable as espanso declares it: {name, type, params}.
struct Variable {
    std::string name;
    std::string type;
    const YamlNode* params = nullptr;
};

std::vector<Variable> ReadVariables(const YamlTree& t, const YamlNode* list) {
    std::vector<Variable> vars;
    if (!list || list->kind != Kind::Sequence) return vars;
    for (uint32_t i : list->items) {
        const YamlNode& v = t.At(i);
        const YamlNode* name = Scalar(t, v, "name");
        const YamlNode* type = Scalar(t, v, "type");
        if (!name) continue;
        vars.push_back(Variable{name->value, type ? type->value : std::string(), t.Find(v, "params")});
    }
    return vars;
}

// The names used as {{name}} (or {{name.field}}) in an output.
bool UsesVariable(std::u16string_view text, std::u16string_view name) {
    for (size_t at = text.find(u"{{"); at != std::u16string_view::npos; at = text.find(u"{{", at + 2)) {
        size_t begin = at + 2, end = text.find(u"}}", begin);
        if (end == std::u16string_view::npos) return false;
        while (begin < end && text[begin] == u' ') ++begin;
        size_t last = end;
        while (last > begin && text[last - 1] == u' ') --last;
        std::u16string_view used = text.substr(begin, last - begin);
        if (used == name || (used.size() > name.size() && used.substr(0, name.size()) == name && used[name.size()] == u'.'))
            return true;
    }
    return false;
}

void ReplaceVariable(std::u16string& text, std::u16string_view name, std::u16string_view value) {
    for (size_t at = text.find(u"{{"); at != std::u16string::npos;) {
        size_t begin = at + 2, end = text.find(u"}}", begin);
        if (end == std::u16string::npos) return;
        while (begin < end && text[begin] == u' ') ++begin;
        size_t last = end;
        while (last > begin && text[last - 1] == u' ') --last;
        if (std::u16string_view(text).substr(begin, last - begin) == name) {
            text.replace(at, end + 2 - at, value);
            at = text.find(u"{{", at + value.size());
        } else {
            at = text.find(u"{{", end + 2);
        }
    }
}

bool IsMatchFile(std::u16string_view name) { return EndsWithNoCaseAscii(name, u".yml") || EndsWithNoCaseAscii(name, u".yaml"); }

std::u16string PathKey(std::u16string_view path) {
    return std::filesystem::path(std::u16string(path)).lexically_normal().u16string();
}

struct Walker {
    const ImportEnvironment& env;
    FileSystem& fs;
    ImportPreview& preview;
    std::u16string configFolder;
    std::vector<std::u16string> visited;  // path keys of the files read

    void ReadFile(const std::u16string& path) {
        const std::u16string key = PathKey(path);
        if (std::find(visited.begin(), visited.end(), key) != visited.end()) return;
        visited.push_back(key);
        std::string bytes;
        if (!ReadWholeFile(std::filesystem::path(path), bytes)) {
            preview.problems.push_back(Quoted(path) + u" cannot be read.");
            return;
        }
        std::vector<std::u16string> imports;
        ReadEspansoFile(bytes, path, env, configFolder, preview, imports);
        for (const std::u16string& imp : imports) {
            std::u16string target = imp;
            const size_t config = target.find(u"$CONFIG");
            if (config != std::u16string::npos) target.replace(config, 7, configFolder);
            const bool absolute = (!target.empty() && IsPathSeparator(target[0])) ||
                                  (target.size() > 1 && target[1] == u':');
            if (!absolute) target = JoinPath(FolderOf(path), target);
            if (!fs.IsFile(target)) {
                preview.problems.push_back(Quoted(path) + u" imports " + Quoted(imp) + u", which is not there.");
                continue;
            }
            ReadFile(target);
        }
    }

    // Every match file below `folder`, in name order; "_" files are loaded
    // only through an import.
    void ReadFolder(const std::u16string& folder, int depth) {
        if (depth > 32) return;
        std::vector<std::u16string> files = fs.ListFiles(folder);
        std::sort(files.begin(), files.end());
        for (const std::u16string& name : files)
            if (IsMatchFile(name) && name[0] != u'_') ReadFile(JoinPath(folder, name));
        std::vector<std::u16string> folders = fs.ListFolders(folder);
        std::sort(folders.begin(), folders.end());
        for (const std::u16string& name : folders) ReadFolder(JoinPath(folder, name), depth + 1);
    }
};

struct MatchOutput {
    ShortcutKind kind = ShortcutKind::SimpleText;
    std::u16string text;
    std::string rich;
};

}  // namespace

std::u16string FormatEspansoDate(std::u16string_view format, const LocalTime& now, int64_t offsetSeconds) {
    const int64_t total = DaysFromCivil(now.year, now.month, now.day) * 86400 + now.hour * 3600 + now.minute * 60 +
                          now.second + offsetSeconds;
    int64_t days = total / 86400, secs = total % 86400;
    if (secs < 0) secs += 86400, --days;
    int64_t year;
    int month, day;
    CivilFromDays(days, year, month, day);
    const int hour = int(secs / 3600), minute = int(secs / 60 % 60), second = int(secs % 60);
    const int weekday = int(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    const int64_t yday = days - DaysFromCivil(year, 1, 1) + 1;
    std::string out;
    const std::string f = U8(format);
    for (size_t i = 0; i < f.size(); ++i) {
        if (f[i] != '%' || i + 1 >= f.size()) {
            out += f[i];
            continue;
        }
        switch (f[++i]) {
            case 'Y': out += std::to_string(year); break;
            case 'y': out += Two(((year % 100) + 100) % 100); break;
            case 'm': out += Two(month); break;
            case 'd': out += Two(day); break;
            case 'e': out += (day < 10 ? " " : "") + std::to_string(day); break;
            case 'H': out += Two(hour); break;
            case 'I': out += Two(hour % 12 == 0 ? 12 : hour % 12); break;
            case 'p': out += hour < 12 ? "AM" : "PM"; break;
            case 'M': out += Two(minute); break;
            case 'S': out += Two(second); break;
            case 'B': out += kMonths[month - 1]; break;
            case 'b': out += std::string(kMonths[month - 1]).substr(0, 3); break;
            case 'A': out += kDays[weekday]; break;
            case 'a': out += std::string(kDays[weekday]).substr(0, 3); break;
            case 'j': {
                std::string j = std::to_string(yday);
                out += std::string(3 - std::min<size_t>(3, j.size()), '0') + j;
                break;
            }
            case '%': out += '%'; break;
            default: out += '%'; out += f[i]; break;
        }
    }
    return U16(out);
}

void ReadEspansoFile(std::string_view bytes, std::u16string_view origin, const ImportEnvironment& env,
                     std::u16string_view configFolder, ImportPreview& preview, std::vector<std::u16string>& imports) {
    YamlTree t;
    std::string error;
    if (!ParseYaml(bytes, t, error)) {
        preview.problems.push_back(Quoted(origin) + u" is not readable YAML: " + U16(error) + u".");
        return;
    }
    if (t.Empty()) return;  // an empty match file is allowed
    const YamlNode& root = t.Root();
    if (root.kind != Kind::Mapping) {
        preview.problems.push_back(Quoted(origin) + u" is not an espanso match file: it holds no keys.");
        return;
    }
    if (const YamlNode* list = t.Find(root, "imports"); list && list->kind == Kind::Sequence)
        for (uint32_t i : list->items)
            if (t.At(i).kind == Kind::Scalar) imports.push_back(U16(t.At(i).value));
    const std::vector<Variable> globals = ReadVariables(t, t.Find(root, "global_vars"));
    const YamlNode* matches = t.Find(root, "matches");
    if (!matches) return;
    if (matches->kind != Kind::Sequence) {
        preview.problems.push_back(Quoted(origin) + u" is not an espanso match file: its matches are no list.");
        return;
    }
    size_t index = 0;
    for (uint32_t mi : matches->items) {
        ++index;
        const YamlNode& m = t.At(mi);
        ImportItem base;
        base.origin = std::u16string(origin) + u": match " + U16(std::to_string(index));
        std::vector<std::u16string> triggers;
        if (const YamlNode* tr = Scalar(t, m, "trigger")) triggers.push_back(U16(tr->value));
        if (const YamlNode* trs = t.Find(m, "triggers"); trs && trs->kind == Kind::Sequence)
            for (uint32_t i : trs->items)
                if (t.At(i).kind == Kind::Scalar) triggers.push_back(U16(t.At(i).value));
        if (const YamlNode* label = Scalar(t, m, "label")) base.name = U16(label->value);
        if (triggers.empty()) {
            const YamlNode* regex = Scalar(t, m, "regex");
            base.sourceKeyword = regex ? U16(regex->value) : std::u16string();
            MarkSkipped(base, regex ? u"It is a regex match; a Kestrix keyword is one fixed word."
                                    : u"It has no trigger.");
            preview.items.push_back(std::move(base));
            continue;
        }

        MatchOutput out;
        const YamlNode* replace = Scalar(t, m, "replace");
        const YamlNode* markdown = Scalar(t, m, "markdown");
        const YamlNode* html = Scalar(t, m, "html");
        const YamlNode* form = t.Find(m, "form");
        const YamlNode* image = Scalar(t, m, "image_path");
        bool picture = false;
        if (replace) {
            out.text = U16(replace->value);
        } else if (markdown) {
            out.text = U16(markdown->value);
            MarkChanged(base, u"Its Markdown is kept as plain text, marks and all.");
        } else if (html) {
            out.kind = ShortcutKind::RichText;
            out.text = U16(html->value);
        } else if (form) {
            MarkSkipped(base, u"It is a form, which asks for input as it expands; Kestrix has no forms.");
        } else if (image) {
            picture = true;
        } else {
            MarkSkipped(base, u"It has no output that Kestrix can use (replace, markdown, html or image_path).");
        }

        // Variables: a date becomes today's date as fixed text; any other
        // kind needs espanso to run it.
        if (base.status != ImportStatus::Skipped && !picture) {
            std::vector<Variable> used = ReadVariables(t, t.Find(m, "vars"));
            for (const Variable& g : globals)
                if (UsesVariable(out.text, U16(g.name))) used.push_back(g);
            for (const Variable& v : used) {
                const std::u16string name = U16(v.name);
                if (v.type != "date") {
                    MarkSkipped(base, u"It uses the variable " + Quoted(name) + u" of type " +
                                          Quoted(U16(v.type)) + u", which only espanso can fill.");
                    break;
                }
                const YamlNode* fmt = v.params ? Scalar(t, *v.params, "format") : nullptr;
                const YamlNode* offset = v.params ? Scalar(t, *v.params, "offset") : nullptr;
                int64_t seconds = 0;
                if (offset) {
                    char* end = nullptr;
                    seconds = std::strtoll(offset->value.c_str(), &end, 10);
                    if (seconds > 1000000000000LL || seconds < -1000000000000LL) seconds = 0;
                }
                const std::u16string value = FormatEspansoDate(fmt ? U16(fmt->value) : u"%Y-%m-%d", env.now, seconds);
                ReplaceVariable(out.text, name, value);
                MarkChanged(base, u"The date variable " + Quoted(name) + u" is filled with " + Quoted(value) +
                                      u" as fixed text.");
            }
        }
        if (base.status != ImportStatus::Skipped && !picture) {
            const size_t cursor = out.text.find(u"$|$");
            if (cursor != std::u16string::npos) {
                out.text.erase(cursor, 3);
                MarkChanged(base, u"The cursor mark $|$ is removed: Kestrix leaves the cursor after the text.");
            }
            if (out.kind == ShortcutKind::RichText) {
                out.rich = HtmlToRtf(out.text);
                out.text = RtfToPlainText(out.rich);
            } else {
                out.text = ToCrLf(out.text);
            }
        }
        if (picture && base.status != ImportStatus::Skipped) {
            std::u16string path = U16(image->value);
            const size_t config = path.find(u"$CONFIG");
            if (config != std::u16string::npos) path.replace(config, 7, configFolder);
            out.kind = ShortcutKind::Picture;
            const std::u16string temp = env.tempFolder.empty() ? SystemTempFolder() : env.tempFolder;
            if (!env.codec) MarkSkipped(base, u"Pictures cannot be read here.");
            else if (!EncodePicture(out.rich, path, 0, 0, *env.codec, temp))
                MarkSkipped(base, u"Its picture " + Quoted(path) + u" cannot be read.");
        }
        for (const std::u16string& trigger : triggers) {
            ImportItem item = base;
            item.sourceKeyword = trigger;
            if (item.status != ImportStatus::Skipped) {
                item.kind = out.kind;
                item.text = out.text;
                item.richText = out.rich;
            }
            ApplyKeywordRule(item);
            preview.items.push_back(std::move(item));
        }
    }
}

void ReadEspansoImport(std::u16string_view path, const ImportEnvironment& env, ImportPreview& preview) {
    FileSystem& fs = env.fs ? *env.fs : SystemFileSystem();
    Walker w{env, fs, preview, {}, {}};
    const std::u16string p(path);
    const size_t before = preview.items.size(), problemsBefore = preview.problems.size();
    if (fs.IsFile(p)) {
        const std::u16string_view folder = FolderOf(p);
        w.configFolder = EqualsNoCaseAscii(FileNameOf(folder), u"match") ? std::u16string(FolderOf(folder))
                                                                          : std::u16string(folder);
        w.ReadFile(p);
    } else if (fs.IsFolder(p)) {
        const std::u16string match = JoinPath(p, u"match");
        if (fs.IsFolder(match)) {
            w.configFolder = p;
            w.ReadFolder(match, 0);
        } else if (fs.IsFile(JoinPath(p, u"default.yml"))) {
            // Version 0 kept its matches in default.yml and user\*.yml.
            w.configFolder = p;
            w.ReadFile(JoinPath(p, u"default.yml"));
            const std::u16string user = JoinPath(p, u"user");
            std::vector<std::u16string> files = fs.ListFiles(user);
            std::sort(files.begin(), files.end());
            for (const std::u16string& name : files)
                if (IsMatchFile(name)) w.ReadFile(JoinPath(user, name));
        } else {
            w.configFolder = FolderOf(p);
            w.ReadFolder(p, 0);
        }
    } else {
        preview.problems.push_back(Quoted(p) + u" is neither a folder nor a file.");
        return;
    }
    if (preview.items.size() == before && preview.problems.size() == problemsBefore)
        preview.problems.push_back(u"No espanso matches were found in " + Quoted(p) + u".");
}

}  // namespace kx
