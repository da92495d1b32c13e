#include "convert/rtf_keywords.h"

#include <algorithm>
#include <iterator>

namespace kx {
namespace {

constexpr std::string_view kSkipped[] = {
    "aftncn", "aftnsep", "aftnsepc", "annotation", "atnauthor", "atndate", "atnicn", "atnid",
    "atnparent", "atnref", "atntime", "atrfend", "atrfstart", "author", "bkmkend", "bkmkstart",
    "buptim", "category", "colorschememapping", "comment", "company", "creatim", "datafield",
    "datastore", "do", "doccomm", "docvar", "falt", "filetbl", "fldinst", "footer", "footerf",
    "footerl", "footerr", "footnote", "ftncn", "ftnsep", "ftnsepc", "generator", "header",
    "headerf", "headerl", "headerr", "info", "keywords", "latentstyles", "listoverridetable",
    "listtable", "nonshppict", "object", "operator", "pict", "pn", "pnseclvl", "printim",
    "private", "revtbl", "revtim", "rsidtbl", "rxe", "shp", "shppict", "stylesheet", "subject",
    "tc", "template", "themedata", "title", "txe", "xe", "xmlnstbl",
};

struct NamedChar {
    std::string_view word;
    char16_t ch;
};

constexpr NamedChar kChars[] = {
    {"tab", u'\t'},
    {"cell", u'\t'},
    {"lquote", u'\u2018'},
    {"rquote", u'\u2019'},
    {"ldblquote", u'\u201C'},
    {"rdblquote", u'\u201D'},
    {"bullet", u'\u2022'},
    {"emdash", u'\u2014'},
    {"endash", u'\u2013'},
    {"emspace", u'\u2003'},
    {"enspace", u'\u2002'},
    {"qmspace", u'\u2005'},
    {"zwj", u'\u200D'},
    {"zwnj", u'\u200C'},
};

constexpr std::string_view kUnderline[] = {
    "ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash", "ulth",
    "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw",
    "ulwave", "ulthwave",
};

}  // namespace

bool IsSkippedDestination(std::string_view word) {
    return std::find(std::begin(kSkipped), std::end(kSkipped), word) != std::end(kSkipped);
}

char16_t SpecialCharacter(std::string_view word) {
    for (const NamedChar& c : kChars)
        if (c.word == word) return c.ch;
    return 0;
}

bool IsUnderlineWord(std::string_view word) {
    return std::find(std::begin(kUnderline), std::end(kUnderline), word) != std::end(kUnderline);
}

}  // namespace kx
