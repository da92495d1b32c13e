// kxtool mail FILE: what the Thunderbird scan makes of a mailbox, one line
// per message: its number, "fed" or "skipped", the subject and the start of
// the text that would be fed.
#include <cstdio>
#include <string>

#include "base/text.h"
#include "learn/mail/mbox_reader.h"
#include "learn/mail/mime_message.h"
#include "learn/mail/subject_rules.h"
#include "tools/kxtool/commands.h"

namespace kx {
namespace {

constexpr size_t kShownUnits = 60;

// Line breaks and tabs shown as \r \n \t so that each message stays one line.
std::string OneLine(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        if (c == u'\r') out += "\\r";
        else if (c == u'\n') out += "\\n";
        else if (c == u'\t') out += "\\t";
        else if (c == u'\\') out += "\\\\";
        else out += U8(std::u16string_view(&c, 1));
    }
    return out;
}

}  // namespace

int RunMailCommand(int argc, char** argv) {
    if (argc != 1) {
        std::fprintf(stderr, "usage: kxtool mail FILE\n");
        return 2;
    }
    MboxReader reader({U16(argv[0])});
    if (!reader.Start(0)) {
        std::fprintf(stderr, "kxtool mail: cannot open '%s'\n", argv[0]);
        return 2;
    }
    std::string message;
    size_t count = 0, fed = 0;
    while (reader.Next(message)) {
        MailItem item;
        ParseMailMessage(message, item);
        const bool feeds = ThunderbirdFeedsSubject(item.subject);
        std::u16string text = feeds ? ThunderbirdFeedText(item.body) : item.body;
        // A surrogate pair is not cut in half.
        size_t shown = std::min(text.size(), kShownUnits);
        if (shown < text.size() && shown > 0 && text[shown - 1] >= 0xD800 && text[shown - 1] < 0xDC00) --shown;
        text.resize(shown);
        ++count;
        fed += feeds;
        std::printf("%zu\t%s\t%s\t%s\n", count, feeds ? "fed" : "skipped", OneLine(item.subject).c_str(),
                    OneLine(text).c_str());
    }
    std::printf("%zu messages, %zu fed", count, fed);
    if (reader.OversizedSkipped()) std::printf(", %zu too long to read", reader.OversizedSkipped());
    std::printf("\n");
    return 0;
}

}  // namespace kx
