// "TempPrint.txt" byte for byte, and the list filter's matching.
#include <gtest/gtest.h>

#include "base/text.h"
#include "core/list_filter.h"
#include "core/print_listing.h"

namespace kx {
namespace {

TEST(PrintListing, HeadingThenEachShortcutInStoreOrder) {
    StoreRef store = ShortcutStore::Create();
    EXPECT_EQ(PrintListing(*store, true), "Shared Shortcuts:\r\n\r\n");
    store->Insert(u"SIG", ShortcutEntry::Make(ShortcutKind::SimpleText, u"Best regards,\r\nKim"));
    store->Insert(u"CAF\u00c9", ShortcutEntry::Make(ShortcutKind::SimpleText, u"caf\u00e9 \u20ac"));
    store->Insert(u"RT", ShortcutEntry::Make(ShortcutKind::RichText, u"bold text", "{\\rtf1 {\\b bold} text}"));
    store->Insert(u"PIC", ShortcutEntry::Make(ShortcutKind::Picture, u"",
                                              "{\\rtf1{\\*\\KestrixFileName{\\C:\\\\pics\\\\photo 2019-10.png}}"));
    store->Insert(u"NONAME", ShortcutEntry::Make(ShortcutKind::Picture, u"", "{\\rtf1{\\pict 0102}}"));
    store->Insert(u"EMPTY", ShortcutEntry::Make(ShortcutKind::SimpleText, u""));
    EXPECT_EQ(PrintListing(*store, false),
              "Private Shortcuts:\r\n\r\n"
              "Shortcut:\t\tCAF\xc3\x89\r\ncaf\xc3\xa9 \xe2\x82\xac\r\n\r\n"
              "Shortcut:\t\tEMPTY\r\n\r\n\r\n"
              "Shortcut:\t\tNONAME\r\nImage Name not Found\r\n\r\n"
              "Shortcut:\t\tPIC\r\nC:\\pics\\photo 2019-10.png\r\n\r\n"
              "Shortcut:\t\tRT\r\nbold text\r\n\r\n"
              "Shortcut:\t\tSIG\r\nBest regards,\r\nKim\r\n\r\n");
}

// The store's lock is held while the listing is written and during the
// pause, never while the failure box is open or the viewer starts.
TEST(PrintListing, ExportHoldsTheLockOnlyToWriteAndPause) {
    StoreRef store = ShortcutStore::Create();
    store->Insert(u"SIG", ShortcutEntry::Make(ShortcutKind::SimpleText, u"Kim"));
    std::string steps;
    auto note = [&](const char* step) {
        const bool free = store->Lock().try_lock();
        if (free) store->Lock().unlock();
        steps += std::string(step) + (free ? " free; " : " held; ");
    };
    for (bool ok : {false, true}) {
        ExportListing(*store, false,
                      {[&](const std::string& text) {
                           note("write");
                           return ok && text.find("SIG") != std::string::npos;
                       },
                       [&] { note("failure"); }, [&] { note("open"); }, [&] { note("pause"); }});
    }
    EXPECT_EQ(steps, "write held; failure free; write held; open free; pause held; ");
}

DisplayRecord Row(std::u16string keyword, std::u16string text, std::u16string overridden = u"") {
    DisplayRecord r;
    r.keyword = std::move(keyword);
    r.expansion = ShortcutEntry::Make(ShortcutKind::SimpleText, std::move(text));
    if (!overridden.empty()) r.overridden = ShortcutEntry::Make(ShortcutKind::SimpleText, std::move(overridden));
    return r;
}

// Every word of the filter, in any order, in the keyword or the expansion
// (the overridden one too, a picture's file name but not its RTF), ignoring
// case beyond ASCII; a word of the filter is matched whole.
TEST(ListFilter, EveryWordInKeywordOrExpansionIgnoringCase) {
    const DisplayRecord sig = Row(u"SIG", u"Best regards, Kim");
    DisplayRecord pic;
    pic.keyword = u"LOGO";
    pic.expansion = ShortcutEntry::Make(ShortcutKind::Picture, u"", "{\\*\\KestrixFileName{\\C:\\\\img\\\\logo.png}}");
    const struct { DisplayRecord row; const char16_t* filter; bool shown; } cases[] = {
        {sig, u"  \t ", true},       {sig, u" kim  si ", true}, {sig, u"sig bob", false},
        {pic, u"logo.PNG", true},     {pic, u"rtf", false},
        {sig, u"regards,kim", false}, {Row(u"\u00c9T\u00c9", u"summer"), u"\u00e9t\u00e9", true},
        {Row(u"ADDR", u"local text", u"shared office"), u"office", true},
    };
    for (const auto& c : cases) EXPECT_EQ(RowMatchesFilter(c.row, c.filter), c.shown) << U8(c.filter);
}

}  // namespace
}  // namespace kx
