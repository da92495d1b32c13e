// The mailbox reader against mailboxes written here: separators, blocks,
// resume positions, several mailboxes and overlong messages.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "learn/mail/mbox_reader.h"
#include "learn/mail/mime_message.h"

namespace kx {
namespace {

std::string WriteMailbox(const char* name, const std::string& bytes) {
    const std::string path = testing::TempDir() + "kx_mbox_" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

struct Read {
    std::string text;
    uint64_t start;
    bool operator==(const Read& o) const { return text == o.text && start == o.start; }
};
void PrintTo(const Read& r, std::ostream* os) { *os << r.start << ": \"" << r.text.substr(0, 60) << "\""; }
using Reads = std::vector<Read>;

Reads ReadAll(MboxReader& reader) {
    Reads out;
    for (std::string m; reader.Next(m);) out.push_back({m, reader.MessageStart()});
    return out;
}

Reads ReadFile(const std::string& path, uint64_t from = 0, size_t block = kMailBlockBytes) {
    MboxReader reader({U16(path)}, OpenMailboxFile, block);
    EXPECT_TRUE(reader.Start(from));
    return ReadAll(reader);
}

TEST(MailMbox, SeparatorsOnlyAtLineStarts) {
    const std::string box =
        "From - Mon Dec 01 10:00:00 2026\r\nSubject: one\r\n\r\nsays From - here\r\n"
        "\r\nFrom - Tue Dec 02 10:00:00 2026\r\nSubject: two\r\n\r\nline\nFrom - after a bare LF\n"
        "\r\nFrom - Wed\r\n"  // a separator line with an empty message
        "\r\nFrom - Thu\r\nSubject: four\r\n\r\nlast";
    EXPECT_EQ(ReadFile(WriteMailbox("lines", box)),
              (Reads{{"Subject: one\r\n\r\nsays From - here\r\n", 0},
                     {"Subject: two\r\n\r\nline\nFrom - after a bare LF\n", box.find("\r\nFrom - Tue")},
                     {"", box.find("\r\nFrom - Wed")},
                     {"Subject: four\r\n\r\nlast", box.find("\r\nFrom - Thu")}}));
    // Text before the first separator is no message, in blocks of 3 bytes too.
    for (size_t block : {size_t(3), kMailBlockBytes})
        EXPECT_EQ(ReadFile(WriteMailbox("late", "junk\r\nFrom - x\r\nbody"), 0, block), (Reads{{"body", 4}}));
    EXPECT_TRUE(ReadFile(WriteMailbox("nosep", "no separator at all\r\n")).empty());
}

// A separator and multi-byte characters laid across the 1 MiB boundary
// between two blocks.
TEST(MailMbox, SeparatorsAndCharactersAcrossBlocks) {
    const std::string head = "From - a\r\n\r\nfirst\r\nFrom - b\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n";
    // U+00E9 (2 bytes) and U+1F600 (4 bytes) each straddle the boundary.
    for (const auto& [bytes, ending] : {std::pair{std::string("\xC3\xA9"), std::u16string(u"\u00e9 end")},
                                        std::pair{std::string("\xF0\x9F\x98\x80"), std::u16string(u"\U0001F600 end")}}) {
        const std::string b = head + std::string(kMailBlockBytes - bytes.size() / 2 - head.size(), 'y') + bytes +
                              " end\r\nFrom - c\r\nthird";
        const Reads got = ReadFile(WriteMailbox("blocks", b));
        ASSERT_EQ(got.size(), 3u);
        MailItem item;
        ParseMailMessage(got[1].text, item);
        EXPECT_EQ(item.body.substr(item.body.size() - ending.size()), ending);
        EXPECT_EQ(item.body.find(u'\uFFFD'), std::u16string::npos);
        EXPECT_EQ(got[1].start, head.find("\r\nFrom - b"));
        EXPECT_EQ(got[2], (Read{"third", b.find("\r\nFrom - c")}));
    }
    // The separator itself cut by the boundary, at each of its bytes.
    for (size_t cut = 1; cut < 9; ++cut) {
        std::string b = "From - a\r\n" + std::string(kMailBlockBytes - cut - 10, 'q');
        const size_t sep = b.size();
        b += "\r\nFrom - b\r\nsecond";
        EXPECT_EQ(ReadFile(WriteMailbox("sepcut", b)), (Reads{{b.substr(10, sep - 10), 0}, {"second", sep}})) << cut;
    }
}

TEST(MailMbox, StartingAtAMessagesSeparatorReadsFromThatMessageOn) {
    std::string box;
    for (int i = 0; i < 40; ++i)
        box += (i ? "\r\nFrom - " : "From - ") + std::to_string(i) + "\r\n\r\n" + std::string(size_t(i * 37), 'm');
    const std::string path = WriteMailbox("resume", box);
    const Reads all = ReadFile(path);
    ASSERT_EQ(all.size(), 40u);
    for (size_t block : {size_t(7), kMailBlockBytes})
        for (size_t k = 0; k < all.size(); k += 7)
            EXPECT_EQ(ReadFile(path, all[k].start, block), Reads(all.begin() + long(k), all.end())) << block << " " << k;
    // A position inside a message (the mailbox changed) goes on at the next one.
    EXPECT_EQ(ReadFile(path, all[5].start + 3).at(0).start, all[6].start);
    MboxReader past({U16(path)});
    EXPECT_FALSE(past.Start(box.size() + 10));
}

TEST(MailMbox, SeveralMailboxesCountOnAndAMissingOneEndsTheStream) {
    const std::string a = WriteMailbox("a", "From - 1\r\none\r\nFrom - 2\r\ntwo");
    const std::string b = WriteMailbox("b", "From - 3\r\nthree");
    const std::string none = testing::TempDir() + "kx_mbox_missing";
    std::remove(none.c_str());
    MboxReader reader({U16(a), U16(b), U16(none), U16(b)});
    ASSERT_TRUE(reader.Start(0));
    // The second mailbox's first byte counts on from the first's size.
    EXPECT_EQ(ReadAll(reader), (Reads{{"one", 0}, {"two", 13}, {"three", 28}}));
    ASSERT_TRUE(reader.Start(28));
    EXPECT_EQ(ReadAll(reader), (Reads{{"three", 28}}));
    MboxReader missingFirst({U16(none), U16(a)});
    EXPECT_FALSE(missingFirst.Start(0));
}

TEST(MailMbox, OverlongMessagesArePassedOver) {
    std::string box = "From - 1\r\nshort\r\nFrom - 2\r\n" + std::string(kMaxMailMessageUnits + 1, 'L');
    box += "\r\nFrom - 3\r\n" + std::string(kMaxMailMessageUnits - 2, 'K');  // with its CR LF: the limit exactly
    box += "\r\n\r\nFrom - 4\r\n";
    // Three bytes per unit: longer in bytes than the limit, but not in units.
    for (int i = 0; i < 400000; ++i) box += "\xE2\x82\xAC";
    box += "\r\nFrom - 5\r\n" + std::string(4 * kMaxMailMessageUnits, 'H');  // dropped while still being read
    box += "\r\nFrom - 6\r\nlast";
    MboxReader reader({U16(WriteMailbox("long", box))});
    ASSERT_TRUE(reader.Start(0));
    const Reads got = ReadAll(reader);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0], (Read{"short", 0}));
    EXPECT_EQ(got[1].text.size(), kMaxMailMessageUnits);
    EXPECT_EQ(got[2].text.size(), 1200000u);
    EXPECT_EQ(got[3], (Read{"last", box.find("\r\nFrom - 6")}));
    EXPECT_EQ(reader.OversizedSkipped(), 2u);
}

}  // namespace
}  // namespace kx
