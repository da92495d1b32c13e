#include "learn/mail/mime_message.h"

#include "base/text.h"
#include "learn/mail/html_to_text.h"
#include "learn/mail/mime_decode.h"

namespace kx {
namespace {

// Parts nested deeper than this are left empty: no real mailer nests so far,
// and a crafted message must not exhaust the stack.
constexpr int kMaxPartDepth = 24;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

std::string LowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = LowerAscii(c);
    return out;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (LowerAscii(s[i]) != prefix[i]) return false;
    return true;
}

std::string_view TrimBlanks(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// The next line of `text` from `pos`, without its "\n" or "\r\n"; `pos`
// moves past the line break.
std::string_view NextLine(std::string_view text, size_t& pos) {
    const size_t nl = text.find('\n', pos);
    const size_t end = nl == std::string_view::npos ? text.size() : nl;
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = nl == std::string_view::npos ? text.size() : nl + 1;
    return line;
}

// Splits at the first empty line.
void SplitHeaders(std::string_view message, std::string_view& headers, std::string_view& body) {
    size_t pos = 0;
    while (pos < message.size()) {
        const size_t lineStart = pos;
        if (NextLine(message, pos).empty()) {
            headers = message.substr(0, lineStart);
            body = message.substr(pos);
            return;
        }
    }
    headers = message;
    body = {};
}

// A parameter of a header value (`boundary`, `charset`), quoted or not.
std::string HeaderParameter(std::string_view value, std::string_view name) {
    size_t pos = 0;
    while ((pos = value.find(';', pos)) != std::string_view::npos) {
        ++pos;
        while (pos < value.size() && (value[pos] == ' ' || value[pos] == '\t')) ++pos;
        if (!StartsWithNoCase(value.substr(pos), name)) continue;
        size_t eq = pos + name.size();
        while (eq < value.size() && (value[eq] == ' ' || value[eq] == '\t')) ++eq;
        if (eq >= value.size() || value[eq] != '=') continue;
        ++eq;
        while (eq < value.size() && (value[eq] == ' ' || value[eq] == '\t')) ++eq;
        if (eq < value.size() && value[eq] == '"') {
            const size_t close = value.find('"', eq + 1);
            return std::string(value.substr(eq + 1, close == std::string_view::npos ? std::string_view::npos
                                                                                   : close - eq - 1));
        }
        const size_t end = value.find_first_of("; \t", eq);
        return std::string(value.substr(eq, end == std::string_view::npos ? std::string_view::npos : end - eq));
    }
    return {};
}

// The raw (undecoded) value of a header, for the structured ones.
std::string RawHeader(std::string_view headerBlock, std::string_view name) {
    size_t pos = 0;
    std::string value;
    bool in = false;
    while (pos < headerBlock.size()) {
        const std::string_view line = NextLine(headerBlock, pos);
        if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            if (in) value += ' ', value += TrimBlanks(line);
            continue;
        }
        if (in) break;
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        if (LowerAscii(TrimBlanks(line.substr(0, colon))) == name) {
            in = true;
            value = std::string(TrimBlanks(line.substr(colon + 1)));
        }
    }
    return value;
}

std::string_view MediaSubtype(std::string_view contentType) {
    const size_t slash = contentType.find('/');
    if (slash == std::string_view::npos) return {};
    std::string_view sub = contentType.substr(slash + 1);
    return TrimBlanks(sub.substr(0, sub.find(';')));
}

// The first part of a multipart body: from the line after the first
// "--boundary" line to the line break before the next delimiter.
std::string_view FirstPart(std::string_view body, std::string_view boundary) {
    const std::string delimiter = "--" + std::string(boundary);
    size_t pos = 0;
    size_t partStart = std::string_view::npos;
    while (pos < body.size()) {
        const size_t lineStart = pos;
        const std::string_view line = NextLine(body, pos);
        if (line.compare(0, delimiter.size(), delimiter) != 0) continue;
        if (partStart != std::string_view::npos) {
            size_t end = lineStart;
            if (end > partStart && body[end - 1] == '\n') --end;
            if (end > partStart && body[end - 1] == '\r') --end;
            return body.substr(partStart, end - partStart);
        }
        if (line.compare(delimiter.size(), 2, "--") == 0) return {};  // closing delimiter first
        partStart = pos;
    }
    // An unterminated last part runs to the end.
    return partStart == std::string_view::npos ? std::string_view() : body.substr(partStart);
}

MailText ParseText(std::string_view message, int depth) {
    MailText result;
    if (depth > kMaxPartDepth) return result;
    std::string_view headers, body;
    SplitHeaders(message, headers, body);
    const std::string contentType = RawHeader(headers, "content-type");
    const std::string boundary = HeaderParameter(contentType, "boundary");
    if (!boundary.empty()) return ParseText(FirstPart(body, boundary), depth + 1);

    const std::string encoding = LowerAscii(RawHeader(headers, "content-transfer-encoding"));
    const std::string charset = HeaderParameter(contentType, "charset");
    if (encoding.compare(0, 6, "quoted") == 0)
        result.text = BytesInCharset(DecodeQuotedPrintable(body), charset);
    else if (encoding.compare(0, 6, "base64") == 0)
        result.text = BytesInCharset(DecodeBase64Lenient(body), charset);
    else
        result.text = Utf8ToUtf16(body);
    result.html = LowerAscii(MediaSubtype(contentType)) == "html";
    if (result.html) result.text = HtmlToText(result.text);
    return result;
}

std::u16string Field(std::u16string value) {
    if (value.size() > kMailFieldUnits) value.resize(kMailFieldUnits);
    return value;
}

}  // namespace

std::vector<MailHeader> ParseMailHeaders(std::string_view headerBlock) {
    std::vector<MailHeader> headers;
    std::vector<std::string> raw;
    size_t pos = 0;
    while (pos < headerBlock.size()) {
        const std::string_view line = NextLine(headerBlock, pos);
        if (line.empty()) break;
        if ((line[0] == ' ' || line[0] == '\t')) {
            if (!raw.empty()) raw.back() += ' ', raw.back() += TrimBlanks(line);
            continue;
        }
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            raw.emplace_back();  // not a header: later continuations must not join the one before
            headers.push_back({});
            continue;
        }
        headers.push_back({LowerAscii(TrimBlanks(line.substr(0, colon))), {}});
        raw.emplace_back(TrimBlanks(line.substr(colon + 1)));
    }
    for (size_t i = 0; i < headers.size(); ++i) headers[i].value = DecodeHeaderValue(TrimBlanks(raw[i]));
    std::erase_if(headers, [](const MailHeader& h) { return h.name.empty(); });
    return headers;
}

std::u16string HeaderValue(const std::vector<MailHeader>& headers, std::string_view name) {
    for (const MailHeader& h : headers)
        if (h.name == name) return h.value;
    return {};
}

MailText ParseMailText(std::string_view message) { return ParseText(message, 0); }

void ParseMailMessage(std::string_view message, MailItem& item) {
    std::string_view headerBlock, body;
    SplitHeaders(message, headerBlock, body);
    const std::vector<MailHeader> headers = ParseMailHeaders(headerBlock);
    item.valid = true;
    item.from = Field(HeaderValue(headers, "from"));
    item.to = Field(HeaderValue(headers, "to"));
    item.subject = Field(HeaderValue(headers, "subject"));
    item.body = ParseMailText(message).text;
}

}  // namespace kx
