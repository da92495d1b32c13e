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
    std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::vector<std::u16string> Take() {
        return TakePendingSuggestions(SystemFileSystem(), folder_.u16string());
    }

    fs::path folder_;
};

std::string Lines(int from, int to) {
    std::string out;
    for (int i = from; i <= to; ++i) out += "suggestion number " + std::to_string(i) + "\r\n";
    return out;
}

TEST_F(SuggestionTakeTest, ShowsTheFirstThreeKeepsTheNextAndDropsWhatIsPastTwoHundred) {
    Write(File(), Lines(1, 205));
    EXPECT_EQ(Take(), (std::vector<std::u16string>{u"suggestion number 1", u"suggestion number 2",
                                                     u"suggestion number 3"}));
    EXPECT_EQ(Read(File()), Lines(4, 200));
    EXPECT_FALSE(fs::exists(Temp()));
    // The next window takes the next three.
    EXPECT_EQ(Take().front(), u"suggestion number 4");
    EXPECT_EQ(Read(File()), Lines(7, 200));
}

TEST_F(SuggestionTakeTest, AnEmptyLineAmongTheFirstThreeStaysAndLongPhrasesAreCut) {
    // Line 2 is 300 characters, of which the ones past 259 are cut; line
    // endings may be bare LF, the last line may lack one.
    std::u16string longPhrase(300, u'\u00e9');
    Write(File(), "\r\n" + Utf16ToUtf8(longPhrase) + "\nthird\r\nfourth\nfifth");
    const std::vector<std::u16string> shown = Take();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], longPhrase.substr(0, 259));
    EXPECT_EQ(shown[1], u"third");
    EXPECT_EQ(Read(File()), "\r\nfourth\r\nfifth\r\n");
}

TEST_F(SuggestionTakeTest, TheLastSuggestionsLeaveAnEmptyFile) {
    Write(File(), "only one\r\n");
    EXPECT_EQ(Take(), std::vector<std::u16string>{u"only one"});
    EXPECT_TRUE(fs::exists(File()));
    EXPECT_EQ(fs::file_size(File()), 0u);
    EXPECT_TRUE(Take().empty());
}

TEST_F(SuggestionTakeTest, AMissingFileShowsNothingAndCreatesNothing) {
    EXPECT_TRUE(Take().empty());
    EXPECT_FALSE(fs::exists(File()));
    EXPECT_FALSE(fs::exists(Temp()));
}

TEST_F(SuggestionTakeTest, ATemporaryFileLeftFromBeforeIsReplaced) {
    Write(File(), Lines(1, 5));
    Write(Temp(), "left behind\r\nby a run that ended half-way\r\n");
    EXPECT_EQ(Take().size(), 3u);
    EXPECT_EQ(Read(File()), Lines(4, 5));
    EXPECT_FALSE(fs::exists(Temp()));
}

TEST_F(SuggestionTakeTest, WhenTheTemporaryFileCannotBeMadeTheFileStaysAsItWas) {
    Write(File(), Lines(1, 5));
    // A folder that cannot be deleted stands where the temporary file goes.
    fs::create_directories(Temp() / "inside");
    EXPECT_TRUE(Take().empty());
    EXPECT_EQ(Read(File()), Lines(1, 5));
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
