// Taking pending suggestions out of "ShortcutSuggestions.txt" over real
// files, and where the Suggestions window puts its rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/text.h"
#include "learn/suggestion_layout.h"
#include "learn/suggestion_take.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

using Texts = std::vector<std::u16string>;

class SuggestionTakeTest : public testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::path(testing::TempDir()) /
                  (std::string("kx_take_") + testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path File() const { return folder_ / "ShortcutSuggestions.txt"; }
    fs::path Temp() const { return folder_ / "ShortcutSuggestionsTemp.txt"; }
    void Write(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    std::string Read() {
        std::ifstream in(File(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return in ? s.str() : "(none)";
    }
    Texts Take() { return TakePendingSuggestions(SystemFileSystem(), folder_.u16string()); }

    fs::path folder_;
};

std::string Lines(int from, int to) {
    std::string out;
    for (int i = from; i <= to; ++i) out += "suggestion number " + std::to_string(i) + "\r\n";
    return out;
}

// Each row: the file as found, and a temporary file left from before ("/":
// a folder that cannot be deleted stands in its place); what the window
// shows, and the file left behind.
TEST_F(SuggestionTakeTest, ShowsTheFirstThreeAndKeepsTheNextUpToTwoHundred) {
    const std::u16string longPhrase(300, u'\u00e9');
    const struct {
        const char* what;
        std::string file, temp;
        Texts shown;
        std::string left;
    } rows[] = {
        {"past 200", Lines(1, 205), "", {u"suggestion number 1", u"suggestion number 2", u"suggestion number 3"},
         Lines(4, 200)},
        {"an empty line stays; past 259 characters cut; bare LF; no last line end",
         "\r\n" + Utf16ToUtf8(longPhrase) + "\nthird\r\nfourth\nfifth", "", {longPhrase.substr(0, 259), u"third"},
         "\r\nfourth\r\nfifth\r\n"},
        {"the last leave an empty file", "only one\r\n", "", {u"only one"}, ""},
        {"no file: nothing made", "(none)", "", {}, "(none)"},
        {"a temporary file left before", Lines(1, 5), "left behind\r\nby a run that ended half-way\r\n",
         {u"suggestion number 1", u"suggestion number 2", u"suggestion number 3"}, Lines(4, 5)},
        {"no temporary file can be made", Lines(1, 5), "/", {}, Lines(1, 5)},
    };
    for (const auto& r : rows) {
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        if (r.file != "(none)") Write(File(), r.file);
        if (r.temp == "/") fs::create_directories(Temp() / "inside");
        else if (!r.temp.empty()) Write(Temp(), r.temp);
        EXPECT_EQ(Take(), r.shown) << r.what;
        EXPECT_EQ(Read(), r.left) << r.what;
        EXPECT_FALSE(fs::is_regular_file(Temp())) << r.what;
    }
}

TEST_F(SuggestionTakeTest, EachWindowTakesTheNextThreeUntilNoneAreLeft) {
    Write(File(), Lines(1, 4));
    EXPECT_EQ(Take().size(), 3u);
    EXPECT_EQ(Take(), Texts{u"suggestion number 4"});
    EXPECT_TRUE(fs::exists(File()));
    EXPECT_TRUE(Take().empty());
}

// The boxes follow each other without overlapping; a phrase's box grows with
// its lines up to five, and its buttons sit beside it, centred on it.
TEST(SuggestionLayoutTest, RowsFollowEachOtherAndALongPhraseShowsFiveLines) {
    const SuggestionsLayout one = LayOutSuggestions({1});
    const SuggestionsLayout l = LayOutSuggestions({2, 8, 0});
    ASSERT_EQ(l.rows.size(), 3u);
    const int line = one.rows[0].phrase.height;
    EXPECT_EQ(l.rows[0].phrase.height, 2 * line);
    EXPECT_EQ(l.rows[1].phrase.height, 5 * line);
    EXPECT_EQ(l.rows[2].phrase.height, line) << "an empty phrase still shows a line";
    int bottom = l.heading.Bottom();
    for (const SuggestionRowLayout& r : l.rows) {
        EXPECT_GT(r.phrase.y, bottom);
        bottom = r.phrase.Bottom();
        for (const LayoutBox& b : {r.simpleButton, r.richButton}) {
            EXPECT_LE(std::abs((2 * b.y + b.height) - (2 * r.phrase.y + r.phrase.height)), 1);
            EXPECT_GE(b.x, r.phrase.x + r.phrase.width);
            EXPECT_LE(b.x + b.width, l.clientWidth);
        }
        EXPECT_GE(r.richButton.x, r.simpleButton.x + r.simpleButton.width);
    }
    EXPECT_GT(l.stopCheck.y, bottom);
    EXPECT_GT(l.closeButton.y, bottom);
    EXPECT_GE(l.clientHeight, std::max(l.stopCheck.Bottom(), l.closeButton.Bottom()));
    EXPECT_EQ(l.clientHeight - one.clientHeight, l.rows[2].phrase.Bottom() - one.rows[0].phrase.Bottom());
}

}  // namespace
}  // namespace kx
