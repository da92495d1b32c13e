// The sent-mail reader on arbitrary bytes: the first byte picks a block size
// (so separators and characters fall across block ends), the rest is the
// mailbox. Every message is parsed; starting again at a message's separator
// must give that message back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/text.h"
#include "learn/mail/html_to_text.h"
#include "learn/mail/mbox_reader.h"
#include "learn/mail/mime_message.h"
#include "learn/mail/subject_rules.h"

namespace {

struct MemoryFile final : kx::StreamFile {
    explicit MemoryFile(std::string_view b) : bytes(b) {}
    bool Read(void* buffer, size_t size, size_t& got) override {
        got = std::min(size, bytes.size() - at);
        if (got) std::memcpy(buffer, bytes.data() + at, got);
        at += got;
        return true;
    }
    bool Write(const void*, size_t) override { return false; }
    bool Close() override { return true; }
    std::string_view bytes;
    size_t at = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t block = size_t(data[0] % 32) + 1;
    const std::string_view box(reinterpret_cast<const char*>(data + 1), size - 1);
    auto open = [box](std::u16string_view path) -> std::unique_ptr<kx::StreamFile> {
        return std::make_unique<MemoryFile>(path == u"a" ? box : box.substr(box.size() / 2));
    };
    kx::MboxReader reader({u"a", u"b"}, open, block);
    if (!reader.Start(0)) return 0;
    std::string message;
    std::vector<std::pair<uint64_t, std::string>> seen;
    while (reader.Next(message)) {
        kx::MailItem item;
        kx::ParseMailMessage(message, item);
        (void)kx::ThunderbirdFeedText(item.body);
        if (seen.size() < 4) seen.emplace_back(reader.MessageStart(), message);
    }
    for (const auto& [start, text] : seen) {
        kx::MboxReader again({u"a", u"b"}, open, block);
        std::string first;
        if (!again.Start(start) || !again.Next(first) || first != text || again.MessageStart() != start) abort();
    }
    (void)kx::HtmlToText(kx::Utf8ToUtf16(box));
    return 0;
}
