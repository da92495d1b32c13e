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
#include <string>

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

// A misspelt name would otherwise drop its value without a word: an
// administrator preparing a shared file must hear about it.
bool OnlyKnownNames(const json::Value& object, std::initializer_list<std::u16string_view> known,
                    const std::string& where, std::string& error) {
    for (const json::Member& m : object.members) {
        bool ok = false;
        for (auto k : known) ok = ok || m.first == k;
        if (!ok) return Fail(error, where + "unknown name \"" + U8(m.first) + "\"");
    }
    return true;
}

bool StoreFromJson(const json::Value& doc, ShortcutStore& store, std::string& error) {
    using T = json::Value::Type;
    if (doc.type != T::Object) return Fail(error, "the document is not an object");
    // The header fields of a dump are accepted and recomputed by the writer.
    if (!OnlyKnownNames(doc, {u"count", u"checksum", u"checksumMatches", u"formatA", u"formatB", u"passwordFlag",
                              u"password", u"records"}, "", error))
        return false;
    if (const json::Value* pw = doc.Find(u"password")) {
        if (pw->type != T::String) return Fail(error, "\"password\" is not a string");
        store.SetCarriesPassword(true);
        store.SetAdminPassword(pw->string);
    }
    const json::Value* records = doc.Find(u"records");
    if (!records) return true;
    if (records->type != T::Array) return Fail(error, "\"records\" is not an array");
    size_t n = 0;
    for (const json::Value& r : records->items) {
        const std::string where = "record " + std::to_string(++n) + ": ";
        if (r.type != T::Object) return Fail(error, where + "not an object");
        if (!OnlyKnownNames(r, {u"index", u"keyword", u"kind", u"richText", u"plainText"}, where, error)) return false;
        const json::Value* keyword = r.Find(u"keyword");
        const json::Value* kind = r.Find(u"kind");
        const json::Value* rich = r.Find(u"richText");
        const json::Value* plain = r.Find(u"plainText");
        if (!keyword || keyword->type != T::String || keyword->string.empty())
            return Fail(error, where + "\"keyword\" must be a non-empty string");
        if (!kind || kind->type != T::Number || kind->number != std::floor(kind->number) || kind->number < 0 ||
            kind->number > 3)
            return Fail(error, where + "\"kind\" must be 0, 1, 2 or 3");
        std::string richBytes;
        if (rich && (rich->type != T::String || !json::StringToBytes(rich->string, richBytes)))
            return Fail(error, where + "\"richText\" must be a string of characters U+0000 to U+00FF");
        if (plain && plain->type != T::String) return Fail(error, where + "\"plainText\" is not a string");
        if (store.Contains(keyword->string))
            return Fail(error, where + "the keyword \"" + U8(keyword->string) + "\" appears twice");
        store.Insert(keyword->string, ShortcutEntry::Make(ShortcutKind(uint8_t(kind->number)),
                                                          plain ? plain->string : std::u16string(),
                                                          std::move(richBytes)));
    }
    return true;
}

int Build(const char* input, const char* output) {
    std::string text;
    if (!ReadWholeFile(input, text)) {
        std::fprintf(stderr, "kxtool db build: cannot read '%s'\n", input);
        return kExitUsage;
    }
    json::Value doc;
    std::string error;
    auto store = ShortcutStore::Create();
    if (!json::Parse(text, doc, error) || !StoreFromJson(doc, *store, error)) {
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
