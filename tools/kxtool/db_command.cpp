// kxtool db: inspect, build and check shortcut database files.
//
//   db dump FILE        the header and every record as JSON on standard output
//   db build JSON OUT   writes OUT from JSON of the form dump prints
//   db check FILE       one line: records, password record, checksum
//
// dump and check exit with 0 when the file loads, 3 when it cannot be read
// (missing, shorter than its header, not mappable) and 4 when a record is
// corrupt, with the reason on standard error.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/database_format.h"
#include "core/database_io.h"
#include "core/mapped_file.h"
#include "base/text.h"
#include "core/whole_file.h"
#include "tools/kxtool/commands.h"
#include "tools/kxtool/json.h"

namespace kx {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;
constexpr int kExitFailed = 3;
constexpr int kExitCorrupt = 4;
constexpr int kExitSaveFailed = 5;

struct Inspection {
    int exitCode = kExitOk;
    std::string reason;
    FileHeader header;
    uint32_t computedChecksum = 0;
    bool hasPassword = false;
    std::u16string password;
    uint32_t records = 0;  // the password record included
};

// Reads FILE the way the program's loader does, handing every shortcut
// record to `each` while the file is mapped.
Inspection Inspect(const char* file, const std::function<void(const RawRecord&)>& each) {
    Inspection in;
    DatabaseIo io = SystemDatabaseIo();
    const std::u16string path = U16(file);
    MappedFile mapped;
    FileError error = FileError::None;
    mapped.file = OpenWithRetry(io.files, io.clock, path, FileAccess::Read, FileShare::ReadWrite,
                                FileDisposition::OpenExisting, 2000, &error);
    uint64_t size = 0;
    if (!mapped.file) {
        in.exitCode = kExitFailed;
        in.reason = error == FileError::NotFound ? "file not found" : "cannot open the file";
        return in;
    }
    if (!mapped.file->Size(size) || size < kFileHeaderSize) {
        in.exitCode = kExitFailed;
        in.reason = "file of " + std::to_string(size) + " bytes is shorter than its 58-byte header";
        return in;
    }
    if (!mapped.Map(0)) {
        in.exitCode = kExitFailed;
        in.reason = "cannot map the file";
        return in;
    }
    const uint8_t* data = mapped.Data();
    size = mapped.Size();
    in.header = ReadFileHeader(data);
    in.computedChecksum = ComputeFileChecksum(data, size);
    RecordScanner scanner(data, size, in.header.recordCount);
    RawRecord rec;
    for (ScanStep step; (step = scanner.Next(rec)) != ScanStep::End;) {
        if (step == ScanStep::Corrupt) {
            in.exitCode = kExitCorrupt;
            in.reason = scanner.Problem();
            return in;
        }
        if (rec.isPassword) {
            in.hasPassword = true;
            in.password = CutToField(Utf8ToUtf16(rec.password));
        } else if (each) {
            each(rec);
        }
    }
    in.records = scanner.RecordsRead();
    return in;
}

int Report(const char* file, const Inspection& in) {
    if (in.exitCode != kExitOk) std::fprintf(stderr, "kxtool db: %s: %s\n", file, in.reason.c_str());
    return in.exitCode;
}

// Writes to standard output in large pieces.
class Output {
public:
    ~Output() { Flush(); }
    Output& operator<<(std::string_view s) {
        buf_ += s;
        if (buf_.size() > (1u << 20)) Flush();
        return *this;
    }
    Output& operator<<(long long v) { return *this << std::string_view(std::to_string(v)); }
    bool Flush() {
        bool ok = std::fwrite(buf_.data(), 1, buf_.size(), stdout) == buf_.size();
        buf_.clear();
        return std::fflush(stdout) == 0 && ok;
    }

private:
    std::string buf_;
};

int Dump(const char* file) {
    // The records are printed after the header fields, so gather them first
    // as text; the file is unmapped once Inspect returns.
    std::string records;
    bool first = true;
    Inspection in = Inspect(file, [&](const RawRecord& r) {
        records += first ? "\n    " : ",\n    ";
        first = false;
        records += "{\"index\": " + std::to_string(r.index) + ", \"keyword\": " + json::Quote(Utf8ToUtf16(r.keyword)) +
                   ", \"kind\": " + std::to_string(r.kind) + ", \"richText\": " + json::QuoteBytes(r.rich) +
                   ", \"plainText\": " + json::Quote(Utf8ToUtf16(r.plain)) + "}";
    });
    if (in.exitCode != kExitOk) return Report(file, in);
    Output out;
    out << "{\n  \"count\": " << (long long)in.header.recordCount << ",\n  \"checksum\": "
        << (long long)in.header.checksum << ",\n  \"checksumMatches\": "
        << (in.header.checksum == in.computedChecksum ? "true" : "false") << ",\n  \"formatA\": "
        << (long long)in.header.formatA << ",\n  \"formatB\": " << (long long)in.header.formatB
        << ",\n  \"passwordFlag\": " << (long long)in.header.passwordFlag;
    if (in.hasPassword) out << ",\n  \"password\": " << json::Quote(in.password);
    out << ",\n  \"records\": [" << records << (first ? "]\n}\n" : "\n  ]\n}\n");
    if (!out.Flush()) {
        std::fprintf(stderr, "kxtool db dump: cannot write the output\n");
        return kExitUsage;
    }
    return kExitOk;
}

int Check(const char* file) {
    Inspection in = Inspect(file, nullptr);
    if (in.exitCode != kExitOk) return Report(file, in);
    std::printf("%s: loads, %u records%s, checksum %s\n", file, unsigned(in.records),
                in.hasPassword ? " (password record included)" : "",
                in.header.checksum == in.computedChecksum ? "matches" : "does not match");
    return kExitOk;
}

bool Fail(std::string& error, std::string why) {
    error = std::move(why);
    return false;
}

using Json = nlohmann::json;

// Parses the document, refusing a name given twice in one object: the
// parser would keep one of the values without a word.
bool ParseDocument(const std::string& text, Json& doc, std::string& error) {
    std::vector<std::set<std::string>> names;  // one set per open object
    std::string repeated;
    auto watch = [&](int, Json::parse_event_t event, Json& parsed) {
        if (event == Json::parse_event_t::object_start) names.emplace_back();
        else if (event == Json::parse_event_t::object_end && !names.empty()) names.pop_back();
        else if (event == Json::parse_event_t::key && !names.empty() &&
                 !names.back().insert(parsed.get<std::string>()).second && repeated.empty())
            repeated = parsed.get<std::string>();
        return true;
    };
    try {
        doc = Json::parse(text, watch);
    } catch (const Json::exception& e) {
        return Fail(error, e.what());
    }
    if (!repeated.empty()) return Fail(error, "the name \"" + repeated + "\" is given twice in one object");
    return true;
}

// A misspelt name would otherwise drop its value without a word: an
// administrator preparing a shared file must hear about it.
bool OnlyKnownNames(const Json& object, std::initializer_list<std::string_view> known, const std::string& where,
                    std::string& error) {
    for (const auto& m : object.items()) {
        bool ok = false;
        for (auto k : known) ok = ok || m.key() == k;
        if (!ok) return Fail(error, where + "unknown name \"" + m.key() + "\"");
    }
    return true;
}

// A text member as UTF-16. The file's texts end at a NUL where the program
// reads them (the password, rich text) or are shown up to one, so a NUL
// would change the shortcut without a word.
bool TextMember(const Json& object, const char* name, const std::string& where, std::u16string& out,
                std::string& error) {
    out.clear();
    const auto it = object.find(name);
    if (it == object.end()) return true;
    if (!it->is_string()) return Fail(error, where + "\"" + name + "\" is not a string");
    out = Utf8ToUtf16(it->get_ref<const std::string&>());
    if (out.find(u'\0') != std::u16string::npos) return Fail(error, where + "\"" + name + "\" holds a NUL character");
    return true;
}

// 0 to 3, written as a whole number.
bool KindMember(const Json& record, uint8_t& kind) {
    const auto it = record.find("kind");
    if (it == record.end() || !it->is_number()) return false;
    const double v = it->get<double>();
    if (v != std::floor(v) || v < 0 || v > 3) return false;
    kind = uint8_t(v);
    return true;
}

bool StoreFromJson(const Json& doc, ShortcutStore& store, std::string& error) {
    if (!doc.is_object()) return Fail(error, "the document is not an object");
    // The header fields of a dump are accepted and recomputed by the writer.
    if (!OnlyKnownNames(doc, {"count", "checksum", "checksumMatches", "formatA", "formatB", "passwordFlag",
                              "password", "records"}, "", error))
        return false;
    if (doc.contains("password")) {
        std::u16string password;
        if (!TextMember(doc, "password", "", password, error)) return false;
        // The writer would cut it to what the file's password record holds.
        if (Utf16ToUtf8(password).size() > kMaxPasswordBytes)
            return Fail(error, "\"password\" is longer than the " + std::to_string(kMaxPasswordBytes) +
                                   " bytes of UTF-8 the file holds");
        store.SetCarriesPassword(true);
        store.SetAdminPassword(password);
    }
    const auto records = doc.find("records");
    if (records == doc.end()) return true;
    if (!records->is_array()) return Fail(error, "\"records\" is not an array");
    size_t n = 0;
    for (const Json& r : *records) {
        const std::string where = "record " + std::to_string(++n) + ": ";
        if (!r.is_object()) return Fail(error, where + "not an object");
        if (!OnlyKnownNames(r, {"index", "keyword", "kind", "richText", "plainText"}, where, error)) return false;
        std::u16string keyword, rich, plain;
        if (!r.contains("keyword") || !r["keyword"].is_string() || r["keyword"].get_ref<const std::string&>().empty())
            return Fail(error, where + "\"keyword\" must be a non-empty string");
        uint8_t kind = 0;
        if (!KindMember(r, kind)) return Fail(error, where + "\"kind\" must be 0, 1, 2 or 3");
        if (!TextMember(r, "keyword", where, keyword, error) || !TextMember(r, "richText", where, rich, error) ||
            !TextMember(r, "plainText", where, plain, error))
            return false;
        std::string richBytes;
        if (!json::StringToBytes(rich, richBytes))
            return Fail(error, where + "\"richText\" must be a string of characters U+0000 to U+00FF");
        // The writer stores rich text only for the kinds that have it.
        const bool hasRich = kind == uint8_t(ShortcutKind::RichText) || kind == uint8_t(ShortcutKind::Picture);
        if (!hasRich && !richBytes.empty())
            return Fail(error, where + "\"richText\" is given for kind " + std::to_string(kind) +
                                   ", which has no rich text");
        if (store.Contains(keyword))
            return Fail(error, where + "the keyword \"" + U8(keyword) + "\" appears twice");
        store.Insert(keyword, ShortcutEntry::Make(ShortcutKind(kind), plain, std::move(richBytes)));
    }
    return true;
}

int Build(const char* input, const char* output) {
    std::string text;
    if (!ReadWholeFile(input, text)) {
        std::fprintf(stderr, "kxtool db build: cannot read '%s'\n", input);
        return kExitUsage;
    }
    Json doc;
    std::string error;
    auto store = ShortcutStore::Create();
    if (!ParseDocument(text, doc, error) || !StoreFromJson(doc, *store, error)) {
        std::fprintf(stderr, "kxtool db build: %s: %s\n", input, error.c_str());
        return kExitUsage;
    }
    if (!ShortcutStore::Save(*store, U16(output), SystemDatabaseIo())) {
        std::fprintf(stderr, "kxtool db build: cannot save '%s'\n", output);
        return kExitSaveFailed;
    }
    return kExitOk;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: kxtool db dump FILE\n"
                 "       kxtool db build JSON OUT\n"
                 "       kxtool db check FILE\n");
    return kExitUsage;
}

}  // namespace

int RunDbCommand(int argc, char** argv) {
    if (argc == 2 && !std::strcmp(argv[0], "dump")) return Dump(argv[1]);
    if (argc == 2 && !std::strcmp(argv[0], "check")) return Check(argv[1]);
    if (argc == 3 && !std::strcmp(argv[0], "build")) return Build(argv[1], argv[2]);
    return Usage();
}

}  // namespace kx
