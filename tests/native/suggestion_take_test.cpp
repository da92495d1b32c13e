// Taking pending suggestions out of "ShortcutSuggestions.txt" over real
// files. (The Wine suite checks the window those rows are shown in.)
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/text.h"
#include "learn/suggestion_take.h"

namespace kx {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::u16string>;

std::string Lines(int from, int to) {
    std::string out;
    for (int i = from; i <= to; ++i) out += "suggestion number " + std::to_string(i) + "\r\n";
    return out;
}

// Each row: the file as found, and a temporary file left from before ("/":
// a folder that cannot be deleted stands in its place); what the window
// shows, and the file left behind.
TEST(SuggestionTake, ShowsTheFirstThreeAndKeepsTheNextUpToTwoHundred) {
    const fs::path folder = fs::path(testing::TempDir()) / "kx_take";
    const fs::path file = folder / "ShortcutSuggestions.txt", temp = folder / "ShortcutSuggestionsTemp.txt";
    const std::u16string longPhrase(300, u'\u00e9');
    const Texts three = {u"suggestion number 1", u"suggestion number 2", u"suggestion number 3"};
    const struct {
        const char* what;
        std::string file, temp;
        Texts shown;
        std::string left;
    } rows[] = {
        {"past 200", Lines(1, 205), "", three, Lines(4, 200)},
        {"an empty line stays; past 259 characters cut; bare LF; no last line end",
         "\r\n" + Utf16ToUtf8(longPhrase) + "\nthird\r\nfourth\nfifth", "", {longPhrase.substr(0, 259), u"third"},
         "\r\nfourth\r\nfifth\r\n"},
        {"the last leave an empty file", "only one\r\n", "", {u"only one"}, ""},
        {"no file: nothing made", "(none)", "", {}, "(none)"},
        {"a temporary file left before", Lines(1, 5), "left behind\r\nby a run that ended half-way\r\n", three,
         Lines(4, 5)},
        {"no temporary file can be made", Lines(1, 5), "/", {}, Lines(1, 5)},
    };
    for (const auto& r : rows) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        if (r.file != "(none)") std::ofstream(file, std::ios::binary) << r.file;
        if (r.temp == "/") fs::create_directories(temp / "inside");
        else if (!r.temp.empty()) std::ofstream(temp, std::ios::binary) << r.temp;
        EXPECT_EQ(TakePendingSuggestions(SystemFileSystem(), folder.u16string()), r.shown) << r.what;
        std::stringstream left;
        std::ifstream in(file, std::ios::binary);
        left << in.rdbuf();
        EXPECT_EQ(in ? left.str() : "(none)", r.left) << r.what;
        EXPECT_FALSE(fs::is_regular_file(temp)) << r.what;
    }
    fs::remove_all(folder);
}

}  // namespace
}  // namespace kx
