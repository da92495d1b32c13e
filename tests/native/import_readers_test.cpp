// The readers of other expanders' files, fed files written from each
// format's documentation: what each shortcut becomes, and the note that
// says why when it changes or is left out.

#include <filesystem>
#include <fstream>

#include "base/text.h"
#include "core/file_paths.h"
#include "core/import/ahk_import.h"
#include "core/import/beeftext_import.h"
#include "core/import/csv_import.h"
#include "core/import/espanso_import.h"
#include "core/import/import_item.h"
#include "tests/native/database_test_support.h"
#include "tests/native/picture_test_codec.h"

namespace kx {
namespace {

std::string Notes(const ImportItem& i) {
    std::string all;
    for (const auto& n : i.notes) all += U8(n) + "|";
    return all;
}

// The one item a reader should make, or a failure naming what it made.
const ImportItem* Only(const ImportPreview& p) {
    EXPECT_EQ(p.items.size(), 1u) << (p.problems.empty() ? "" : U8(p.problems[0]));
    return p.items.size() == 1 ? &p.items[0] : nullptr;
}

// A reader's answer to input it cannot use: no shortcut, and one line about
// the input that holds `part`.
void ExpectOneProblem(const ImportPreview& p, const char* part) {
    EXPECT_TRUE(p.items.empty());
    ASSERT_EQ(p.problems.size(), 1u);
    EXPECT_NE(U8(p.problems[0]).find(part), std::string::npos) << U8(p.problems[0]);
}

struct Expect {
    const char* input;
    const char* keyword;  // as stored; "" when skipped before one was made
    ImportStatus status;
    const char* text;  // the expansion, for items not skipped
    const char* note;  // a part of the notes, or ""
};

void Check(const ImportItem* item, const Expect& e) {
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(U8(item->keyword), e.keyword);
    EXPECT_EQ(item->status, e.status) << Notes(*item);
    if (e.status != ImportStatus::Skipped) { EXPECT_EQ(U8(item->text), e.text); }
    EXPECT_NE(Notes(*item).find(e.note), std::string::npos) << Notes(*item);
}

TEST(ImportKeyword, DelimitersAtTheEndsAreRemovedAndTheRestMustBeTypeable) {
    const std::string longest(259, 'k'), tooLong(260, 'k'), longestKeyword(259, 'K');
    const Expect cases[] = {
        {"sig", "SIG", ImportStatus::Imported, "", ""},
        {":sig", "SIG", ImportStatus::Changed, "", "Type \"sig\" then a space: \":\" ends a keyword"},
        {";;addr.", "ADDR", ImportStatus::Changed, "", "\";\", \".\" ends a keyword"},
        {"caf\xC3\xA9", "CAF\xC3\xA9", ImportStatus::Imported, "", ""},  // upper case as the editors: a to z only
        {"::", "", ImportStatus::Skipped, "", "has no word characters"},
        {"my sig", "", ImportStatus::Skipped, "", "holds a space, which ends a keyword"},
        {"a.b", "", ImportStatus::Skipped, "", "holds \".\""},
        {longest.c_str(), longestKeyword.c_str(), ImportStatus::Imported, "", ""},
        {tooLong.c_str(), "", ImportStatus::Skipped, "", "longer than a keyword may be"},
    };
    for (const Expect& e : cases) {
        SCOPED_TRACE(e.input);
        ImportItem item;
        item.sourceKeyword = U16(e.input);
        ApplyKeywordRule(item);
        Check(&item, e);
    }
}

TEST(ImportCsv, RowsFollowRfc4180WithCrOnlyRowsAndUndoubledQuotesInTheLabel) {
    struct Case {
        const char16_t* text;
        std::vector<std::vector<std::u16string>> rows;
        bool unterminated;
    } cases[] = {
        {u"\"a\",\"b\",\"c\"\r\"d\",\"e\",\"f\"\r", {{u"a", u"b", u"c"}, {u"d", u"e", u"f"}}, false},
        {u"a,b\r\n\r\nc,d\n", {{u"a", u"b"}, {u"c", u"d"}}, false},
        {u"\"k\",\"say \"\"hi\"\",\r\nbye\",\"the \"best\" one\"", {{u"k", u"say \"hi\",\r\nbye", u"the \"best\" one"}}, false},
        {u"k,,", {{u"k", u"", u""}}, false},
        {u"\"k\",\"open", {{u"k", u"open"}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(U8(c.text));
        bool unterminated = false;
        std::vector<CsvRow> rows = ParseCsv(c.text, unterminated);
        ASSERT_EQ(rows.size(), c.rows.size());
        for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].fields, c.rows[i]);
        EXPECT_EQ(unterminated, c.unterminated);
    }
}

TEST(ImportCsv, ATextExpanderExportBecomesShortcutsAndOtherFilesOneLine) {
    ImportPreview p;
    ReadCsvImport("\xEF\xBB\xBF\"sig\",\"Best\nAnna\",\"Signature\"\r\";addr\",\"1 Main St\",\"\"\r\"x\"\r", u"Mine.csv", p);
    ASSERT_EQ(p.items.size(), 3u);
    Check(&p.items[0], {"", "SIG", ImportStatus::Imported, "Best\r\nAnna", ""});
    EXPECT_EQ(std::tuple(p.items[0].name, p.items[0].origin), std::tuple(u"Signature", u"Mine.csv:1"));
    Check(&p.items[1], {"", "ADDR", ImportStatus::Changed, "1 Main St", "Type \"addr\""});
    Check(&p.items[2], {"", "", ImportStatus::Skipped, "", "no text column"});
    for (const char* bad : {"\xFF\xFEk", "just one column\nand another\n"}) {
        ImportPreview q;
        ReadCsvImport(bad, u"bad.csv", q);
        ExpectOneProblem(q, "");
    }
}

TEST(ImportAutoHotkey, HotstringsBecomeShortcutsOrAreSkippedWithTheirReason) {
    const Expect cases[] = {
        {"::btw::by the way  ; a comment", "BTW", ImportStatus::Imported, "by the way", ""},
        {"::e::a`nb`tc`;d`:e``f`s", "E", ImportStatus::Imported, "a\r\nb\tc;d:e`f ", ""},
        {"::adr::1 Main St{Enter}Town{Tab}{{}x{}}{!}", "ADR", ImportStatus::Imported, "1 Main St\r\nTown\t{x}!", ""},
        {":R:raw::a{Enter}^b", "RAW", ImportStatus::Imported, "a{Enter}^b", ""},
        {"::l::go{Left 3}", "L", ImportStatus::Skipped, "", "presses the key {Left 3}"},
        {"::m::^a", "M", ImportStatus::Skipped, "", "modifier \"^\""},
        {":X:run::MsgBox 1", "RUN", ImportStatus::Skipped, "", "as code (option X)"},
        {":*:fast::quick", "FAST", ImportStatus::Imported, "quick", "as soon as it was typed (option *)"},
        {":?C:in::inside", "IN", ImportStatus::Imported, "inside", "inside words too (option ?)"},
        {"::;sig::Anna", "SIG", ImportStatus::Changed, "Anna", "Type \"sig\""},
        {"::sec::\n(LTrim\n    line one\n    line two {Enter}\n)", "SEC", ImportStatus::Imported,
         "line one\r\nline two {Enter}", ""},
        {"::code::\nMsgBox 1\nreturn", "CODE", ImportStatus::Skipped, "", "runs the code below it"},
        {"#Hotstring *\n::d::default", "D", ImportStatus::Imported, "default", "option *"},
        {"#HotIf WinActive(\"ahk_exe notepad.exe\")\n::n::note", "N", ImportStatus::Imported, "note",
         "in some windows only"},
        {"/*\n::hidden::no\n*/\n^j::Send x\n::v::visible", "V", ImportStatus::Imported, "visible", ""},
    };
    for (const Expect& e : cases) {
        SCOPED_TRACE(e.input);
        ImportPreview p;
        ReadAutoHotkeyImport(e.input, u"s.ahk", p);
        Check(Only(p), e);
    }
    ImportPreview notAhk;
    ReadAutoHotkeyImport("#!/bin/sh\necho hello\n", u"run.sh", notAhk);
    ExpectOneProblem(notAhk, "\"run.sh\" holds no AutoHotkey hotstrings.");
}

// What the main window's import checks end to end aside: the cursor mark
// removed, a disabled group or combo noted, variables kept as text, HTML
// made rich text, the first format's field names, and files it cannot use.
TEST(ImportBeeftext, CombosWithGroupsVariablesAndOlderFieldNames) {
    const char* file = R"({"fileFormatVersion": 10,
      "groups": [{"uuid": "{g1}", "name": "Work", "enabled": false}],
      "combos": [
        {"keyword": ";sig", "snippet": "Best,\nAnna#{cursor}", "name": "Signature", "group": "{g1}"},
        {"keyword": "clip", "snippet": "Now: #{clipboard} and #{dateTime:yyyy\\}}", "enabled": false},
        {"keyword": "web", "snippet": "<b>Bold</b> text", "useHtml": true},
        "not a combo"
      ]})";
    ImportPreview p;
    ReadBeeftextImport(file, u"comboList.json", p);
    ASSERT_EQ(p.items.size(), 4u);
    Check(&p.items[0], {"", "SIG", ImportStatus::Changed, "Best,\r\nAnna", "group \"Work\" was disabled"});
    EXPECT_NE(Notes(p.items[0]).find("#{cursor} is removed"), std::string::npos);
    EXPECT_EQ(std::tuple(p.items[0].name, p.items[2].kind), std::tuple(u"Signature", ShortcutKind::RichText));
    Check(&p.items[1], {"", "CLIP", ImportStatus::Changed, "Now: #{clipboard} and #{dateTime:yyyy\\}}",
                        "kept as text, since Kestrix does not fill them: #{clipboard}, #{dateTime:yyyy\\}}"});
    EXPECT_NE(Notes(p.items[1]).find("It was disabled in Beeftext"), std::string::npos);
    Check(&p.items[2], {"", "WEB", ImportStatus::Imported, "Bold text", ""});
    EXPECT_NE(p.items[2].richText.find("\\b Bold"), std::string::npos);
    EXPECT_EQ(p.items[3].status, ImportStatus::Skipped);
    ImportPreview v1;
    ReadBeeftextImport(R"({"fileFormatVersion":1,"combos":[{"comboText":"old","substitutionText":"text"}]})", u"c.json", v1);
    Check(Only(v1), {"", "OLD", ImportStatus::Imported, "text", ""});
    const std::pair<const char*, const char*> bad[] = {
        {R"({"fileFormatVersion":11,"combos":[]})", "\"c.json\" has the file format version 11; only versions 1 to 10"},
        {R"({"combos":[]})", "has no fileFormatVersion"},
        {R"([1,2)", "it is not a JSON object"},
        {R"({"fileFormatVersion":10})", "it has no combos"},
    };
    for (const auto& [bytes, line] : bad) {
        ImportPreview q;
        ReadBeeftextImport(bytes, u"c.json", q);
        ExpectOneProblem(q, line);
    }
}

TEST(ImportEspanso, DateVariablesAreFilledWithChronoCodes) {
    const LocalTime now{2026, 12, 31, 22, 5, 9};
    EXPECT_EQ(FormatEspansoDate(u"%Y-%m-%d %H:%M:%S", now, 0), u"2026-12-31 22:05:09");
    EXPECT_EQ(FormatEspansoDate(u"%a %d %b %y, %I %p, day %j", now, 2 * 3600), u"Fri 01 Jan 27, 12 AM, day 001");
    EXPECT_EQ(FormatEspansoDate(u"%A %e %B 100%%", now, -86400 * 365), u"Wednesday 31 December 100%");
}

struct EspansoFolder : ::testing::Test {
    testing::ScratchDir dir;
    ImportEnvironment env;
    EspansoFolder() { env.now = LocalTime{2026, 12, 7, 9, 30, 0}; }
    std::u16string Write(const char* rel, const std::string& text) {
        const std::filesystem::path p = std::filesystem::path(dir.Path("")) / rel;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << text;
        return p.u16string();
    }
    const ImportItem* Find(const ImportPreview& p, const char* keyword) {
        for (const ImportItem& i : p.items)
            if (U8(i.keyword) == keyword || U8(i.sourceKeyword) == keyword) return &i;
        ADD_FAILURE() << "no item " << keyword;
        return nullptr;
    }
};

// The main window's import checks imports, files no one imports and regex
// matches end to end; here every other kind of match, variables of each
// type, and packages, from the espanso folder or its match folder.
TEST_F(EspansoFolder, MatchFilesWithPackagesAndEveryKindOfMatch) {
    Write("espanso/match/base.yml", R"Y(global_vars:
  - name: who
    type: shell
    params: {cmd: "whoami"}
matches:
  - triggers: [":hi", "hey"]
    replace: "Hello$|$"
    label: Greeting
  - trigger: ":b"
    html: "<p>Be <b>bold</b> &amp; brave</p>"
  - trigger: ":md"
    markdown: "**bold**"
  - trigger: ":form"
    form: "Hi [[name]]"
  - trigger: ":now"
    replace: "Today is {{today}}"
    vars:
      - name: today
        type: date
        params: {format: "%d.%m.%Y"}
  - trigger: ":me"
    replace: "I am {{who}}"
  - trigger: ":rnd"
    replace: "{{r}}"
    vars: [{name: r, type: random, params: {choices: [a, b]}}]
)Y");
    Write("espanso/match/packages/p/package.yml", "matches:\n  - trigger: pkg\n    replace: from a package\n");
    for (const char* root : {"espanso", "espanso/match"}) {
        SCOPED_TRACE(root);
        ImportPreview p;
        ReadEspansoImport(dir.Path(root), env, p);
        EXPECT_TRUE(p.problems.empty()) << U8(p.problems.empty() ? u"" : p.problems[0]);
        EXPECT_EQ(p.items.size(), 9u);
        Check(Find(p, "HI"), {"", "HI", ImportStatus::Changed, "Hello", "$|$ is removed"});
        Check(Find(p, "HEY"), {"", "HEY", ImportStatus::Changed, "Hello", ""});
        EXPECT_EQ(Find(p, "HEY")->name, u"Greeting");
        Check(Find(p, "B"), {"", "B", ImportStatus::Changed, "Be bold & brave", ""});
        EXPECT_EQ(Find(p, "B")->kind, ShortcutKind::RichText);
        Check(Find(p, "MD"), {"", "MD", ImportStatus::Changed, "**bold**", "Markdown is kept as plain text"});
        Check(Find(p, "FORM"), {"", "FORM", ImportStatus::Skipped, "", "is a form"});
        Check(Find(p, "NOW"), {"", "NOW", ImportStatus::Changed, "Today is 07.12.2026",
                               "The date variable \"today\" is filled with \"07.12.2026\" as fixed text"});
        Check(Find(p, "ME"), {"", "ME", ImportStatus::Skipped, "", "variable \"who\" of type \"shell\""});
        Check(Find(p, "RND"), {"", "RND", ImportStatus::Skipped, "", "of type \"random\""});
        Check(Find(p, "PKG"), {"", "PKG", ImportStatus::Imported, "from a package", ""});
    }
}

TEST_F(EspansoFolder, TheLegacyLayoutAndDamagedFiles) {
    Write("old/default.yml", "matches:\n  - trigger: \":a\"\n    replace: one\n");
    Write("old/user/more.yml", "matches:\n  - trigger: \":b\"\n    replace: two\n");
    ImportPreview legacy;
    ReadEspansoImport(dir.Path("old"), env, legacy);
    ASSERT_EQ(legacy.items.size(), 2u);
    EXPECT_EQ(legacy.items[0].keyword, u"A");
    EXPECT_EQ(legacy.items[1].keyword, u"B");

    const std::pair<std::string, const char*> bad[] = {
        {"matches:\n  - trigger: [unclosed\n", "is not readable YAML"},
        {"- just\n- a list\n", "is not an espanso match file"},
        {"", "No espanso matches were found"},
        {"imports: [\"missing.yml\"]\n", "imports \"missing.yml\", which is not there"},
    };
    for (const auto& [text, line] : bad) {
        SCOPED_TRACE(text);
        ImportPreview p;
        ReadEspansoImport(Write("bad/x.yml", text), env, p);
        ExpectOneProblem(p, line);
    }
}

TEST_F(EspansoFolder, AnImagePathBecomesAPictureThroughTheEncoder) {
    Write("espanso/pics/logo.raw", test::RawFile(test::Pattern(4, 3)));
    Write("espanso/match/base.yml",
          "matches:\n  - trigger: logo\n    image_path: \"$CONFIG/pics/logo.raw\"\n"
          "  - trigger: gone\n    image_path: \"$CONFIG/pics/gone.raw\"\n");
    std::filesystem::create_directories(std::filesystem::path(dir.Path("tmp")));
    test::TestCodec codec;
    env.codec = &codec;
    env.tempFolder = dir.Path("tmp");
    ImportPreview p;
    ReadEspansoImport(dir.Path("espanso"), env, p);
    ASSERT_EQ(p.items.size(), 2u);
    EXPECT_EQ(p.items[0].keyword, u"LOGO");
    EXPECT_EQ(p.items[0].status, ImportStatus::Imported) << Notes(p.items[0]);
    EXPECT_EQ(p.items[0].kind, ShortcutKind::Picture);
    EXPECT_NE(p.items[0].richText.find("\\wmetafile8"), std::string::npos);
    EXPECT_NE(Notes(p.items[1]).find("gone.raw\" cannot be read"), std::string::npos) << Notes(p.items[1]);
}

// Random bytes, the size of a large download, through every reader: one
// line about the input, no shortcut, and no crash or hang.
TEST(ImportBadInput, AHundredMegabytesOfGarbageGiveOneLineFromEachReader) {
    std::string garbage(100u << 20, '\0');
    uint32_t x = 12345;
    for (char& c : garbage) {
        x = x * 1664525u + 1013904223u;
        c = char(x >> 24);
    }
    ImportEnvironment env;
    std::vector<std::u16string> imports;
    ImportPreview p[4];
    ReadEspansoFile(garbage, u"g", env, u"", p[0], imports);
    ReadBeeftextImport(garbage, u"g", p[1]);
    ReadAutoHotkeyImport(garbage, u"g", p[2]);
    ReadCsvImport(garbage, u"g", p[3]);
    for (const ImportPreview& one : p) ExpectOneProblem(one, "");
}

}  // namespace
}  // namespace kx
