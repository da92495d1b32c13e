// The Thunderbird reader on a generated 100 MiB mailbox written to a file:
// blocks read, messages split, MIME parsed and HTML turned into text, as
// the scan does it, without the scan's pauses.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include "base/text.h"
#include "learn/mail/mbox_reader.h"
#include "learn/mail/mime_message.h"
#include "learn/mail/subject_rules.h"

namespace {

constexpr size_t kMailboxBytes = 100u << 20;

std::string Words(std::mt19937& rng, size_t count) {
    static const char* kWords[] = {"meeting", "tomorrow", "thanks", "for", "the", "report", "please", "find",
                                   "attached", "caf\xC3\xA9", "regards", "quarterly", "figures", "and", "we"};
    std::string out;
    for (size_t i = 0; i < count; ++i) {
        out += kWords[rng() % 15];
        out += (i % 12 == 11) ? "\r\n" : " ";
    }
    return out;
}

// Plain, quoted-printable, Base64, HTML and multipart messages in turn.
const std::string& Mailbox() {
    static const std::string path = [] {
        const std::string p = "/tmp/kx_bench_mail.mbox";
        std::ofstream out(p, std::ios::binary);
        std::mt19937 rng(7);
        size_t written = 0;
        for (int i = 0; written < kMailboxBytes; ++i) {
            std::string m = (i ? "\r\nFrom - Sat Dec 05 10:00:00 2026\r\n" : "From - Sat Dec 05 10:00:00 2026\r\n");
            m += "From: Ann <ann@example.com>\r\nTo: bob@example.com\r\nSubject: " +
                 std::string(i % 5 == 1 ? "Re: " : "") + "=?UTF-8?Q?Caf=C3=A9?= note " + std::to_string(i) + "\r\n";
            const std::string text = Words(rng, 150 + rng() % 300);
            switch (i % 4) {
            case 0:
                m += "Content-Type: text/plain; charset=utf-8\r\n\r\n" + text;
                break;
            case 1:
                m += "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n";
                for (char c : text) m += (c & 0x80) ? std::string("=C3") : std::string(1, c);
                break;
            case 2: {
                m += "Content-Type: text/html; charset=utf-8\r\n\r\n<html><body><p>" + text + "&amp; &copy;</p></body></html>";
                break;
            }
            default:
                m += "Content-Type: multipart/alternative; boundary=\"b\"\r\n\r\n--b\r\nContent-Type: text/plain\r\n"
                     "Content-Transfer-Encoding: base64\r\n\r\n";
                m += "SGVsbG8gd29ybGQsIHRoaXMgaXMgYSBzZW50IG1lc3NhZ2Uu\r\n";
                m += "--b\r\nContent-Type: text/html\r\n\r\n<div>" + text + "</div>\r\n--b--\r\n";
            }
            out << m;
            written += m.size();
        }
        return p;
    }();
    return path;
}

void BM_MailReadAndParse(benchmark::State& state) {
    const std::string& path = Mailbox();
    size_t messages = 0, fedUnits = 0;
    for (auto _ : state) {
        kx::MboxReader reader({kx::U16(path)});
        reader.Start(0);
        std::string message;
        while (reader.Next(message)) {
            kx::MailItem item;
            kx::ParseMailMessage(message, item);
            if (kx::ThunderbirdFeedsSubject(item.subject)) fedUnits += kx::ThunderbirdFeedText(item.body).size();
            ++messages;
        }
    }
    benchmark::DoNotOptimize(fedUnits);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kMailboxBytes));
    state.counters["messages"] = double(messages) / double(state.iterations());
}
BENCHMARK(BM_MailReadAndParse)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
