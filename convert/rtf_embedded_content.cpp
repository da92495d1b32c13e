#include "convert/rtf_embedded_content.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "convert/rtf_lexer.h"

namespace kx {
namespace {

// Starred destinations that carry data for another program or name a
// document to load. Any other starred destination is one a reader may
// ignore and shows nothing active (generator, list tables, our own picture
// name), so it stays.
constexpr std::string_view kEmbedding[] = {
    "colorschememapping", "datafield", "datastore", "fldinst", "htmltag",
    "mhtmltag", "objdata", "template", "themedata",
};

bool Embeds(std::string_view word) {
    return std::find(std::begin(kEmbedding), std::end(kEmbedding), word) != std::end(kEmbedding);
}

// A destination that embeds whatever the star says.
bool AlwaysEmbeds(std::string_view word) { return word == "objdata" || word == "fldinst"; }

enum class Mode : uint8_t {
    Keep,    // copied as it is
    Drop,    // left out, with everything inside
    Field,   // a \field: only its \fldrslt group is kept
    Object,  // an \object: only its \result group is kept
};

struct Group {
    Mode mode = Mode::Keep;
    // Nothing of the group is written until its first token says what it is.
    bool undecided = true;
    bool starred = false;  // the group began with \*
    size_t starAt = 0;     // where that \* is in the input
    bool opened = false;   // its "{" was written, so its "}" is too
    size_t openAt = 0;     // where its "{" is in the input
};

class Stripper {
public:
    explicit Stripper(std::string_view rtf) : in_(rtf), lexer_(rtf) { out_.reserve(rtf.size()); }

    std::string Run() {
        for (;;) {
            const size_t start = lexer_.Position();
            const RtfToken t = lexer_.Next();
            if (t.kind == RtfTokenKind::End) break;
            Take(t, start, lexer_.Position());
        }
        // A document cut short right after a "{" keeps it.
        if (!stack_.empty() && stack_.back().undecided && stack_.back().mode == Mode::Keep) {
            const Group& g = stack_.back();
            Write(g.openAt, g.starred ? g.starAt : in_.size());
        }
        return std::move(out_);
    }

private:
    Mode Current() const { return stack_.empty() ? Mode::Keep : stack_.back().mode; }
    // Where bytes were left out, what follows must not run on into the word
    // written before: "\fldi{\*\datastore x}nst" would come out as the field
    // instruction "\fldinst" that the same pass had to leave out. A space
    // ends a control word and is part of it, so it changes nothing shown.
    void Write(size_t from, size_t to) {
        if (from >= to) return;
        if (from != written_ && EndsInControlWord() && ContinuesWord(in_[from])) out_.push_back(' ');
        out_.append(in_.substr(from, to - from));
        written_ = to;
    }
    static bool ContinuesWord(char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
    }
    bool EndsInControlWord() const {
        size_t i = out_.size();
        while (i > 0 && ((out_[i - 1] >= '0' && out_[i - 1] <= '9') || out_[i - 1] == '-')) --i;
        const size_t lettersEnd = i;
        while (i > 0 && ((out_[i - 1] >= 'a' && out_[i - 1] <= 'z') || (out_[i - 1] >= 'A' && out_[i - 1] <= 'Z'))) --i;
        if (i == lettersEnd || i == 0 || out_[i - 1] != '\\') return false;
        // The backslash starts a word unless it is itself escaped: in \\b the b is text.
        size_t slashes = 0;
        while (i > 0 && out_[i - 1] == '\\') --i, ++slashes;
        return slashes % 2 == 1;
    }

    void Take(const RtfToken& t, size_t start, size_t end) {
        if (!stack_.empty() && stack_.back().undecided && Decide(t, start, end)) return;
        switch (Current()) {
        case Mode::Drop:
            if (t.kind == RtfTokenKind::GroupOpen) Push(Mode::Drop, start, false);
            else if (t.kind == RtfTokenKind::GroupClose) Pop();
            return;
        case Mode::Field:
        case Mode::Object:
            // Only a child group can be the result; the rest of this level
            // (the field's flags, the object's kind and size) goes.
            if (t.kind == RtfTokenKind::GroupOpen) Push(Current(), start, true);
            else if (t.kind == RtfTokenKind::GroupClose) Pop();
            return;
        case Mode::Keep:
            TakeKept(t, start, end);
            return;
        }
    }

    // A token in a kept group. A destination word takes the rest of its
    // group with it, even when formatting came first in the group.
    void TakeKept(const RtfToken& t, size_t start, size_t end) {
        if (t.kind == RtfTokenKind::ControlSymbol && t.symbol == '*') {
            starAt_ = start;  // held back until the word it marks is known
            return;
        }
        const bool starred = starAt_ != kNone;
        const bool word = t.kind == RtfTokenKind::ControlWord;
        // A \* is written only before the word it marks: one left before
        // anything else could come to mark a word that follows a part left
        // out, and make a destination of it.
        const size_t from = starred && word ? starAt_ : start;
        starAt_ = kNone;
        if (word) {
            if (t.word == "field" || t.word == "object") {
                Switch(t.word == "field" ? Mode::Field : Mode::Object);
                return;
            }
            if (AlwaysEmbeds(t.word) || (starred && Embeds(t.word))) {
                Switch(Mode::Drop);
                return;
            }
        }
        if (t.kind == RtfTokenKind::GroupOpen) {
            Write(from, start);
            Push(Mode::Keep, start, true);
            return;
        }
        if (t.kind == RtfTokenKind::GroupClose && !stack_.empty()) {
            Write(from, start);
            Pop();
            return;
        }
        Write(from, end);
    }

    // The first tokens of a group: true when the token was used up here.
    bool Decide(const RtfToken& t, size_t start, size_t end) {
        Group& g = stack_.back();
        if (t.kind == RtfTokenKind::ControlSymbol && t.symbol == '*' && !g.starred) {
            g.starred = true;
            g.starAt = start;
            return true;
        }
        g.undecided = false;
        const bool word = t.kind == RtfTokenKind::ControlWord;
        if (g.mode == Mode::Field || g.mode == Mode::Object) {
            // A child of a field or an object: its result stays, in a group
            // of its own so that its formatting stays inside it; the marking
            // word itself goes.
            const std::string_view result = g.mode == Mode::Field ? "fldrslt" : "result";
            if (!word || t.word != result) {
                g.mode = Mode::Drop;
                return false;
            }
            g.mode = Mode::Keep;
            out_.push_back('{');
            g.opened = true;
            return true;
        }
        if (word && (t.word == "field" || t.word == "object")) {
            g.mode = t.word == "field" ? Mode::Field : Mode::Object;
            out_.push_back('{');
            g.opened = true;
            return true;
        }
        if (word && (AlwaysEmbeds(t.word) || (g.starred && Embeds(t.word)))) {
            g.mode = Mode::Drop;
            return true;
        }
        // An ordinary group: what was held back is written, and the token
        // is taken as in any kept group.
        Write(g.openAt, g.starred && !word ? g.starAt : start);
        g.opened = true;
        if (t.kind == RtfTokenKind::GroupClose) {
            Write(start, end);
            stack_.pop_back();
            return true;
        }
        return false;
    }

    void Push(Mode parent, size_t openAt, bool decide) {
        Group g;
        g.mode = parent;
        g.undecided = decide;
        g.openAt = openAt;
        stack_.push_back(g);
    }

    // The rest of the current group is of another kind; its "{" was
    // written already, so its "}" will be too.
    void Switch(Mode mode) {
        if (stack_.empty()) {
            // Outside every group: nothing can close it, so the rest goes.
            Push(Mode::Drop, in_.size(), false);
            return;
        }
        stack_.back().mode = mode;
    }

    void Pop() {
        if (stack_.empty()) return;
        if (stack_.back().opened) out_.push_back('}');
        stack_.pop_back();
    }

    static constexpr size_t kNone = size_t(-1);

    std::string_view in_;
    RtfLexer lexer_;
    std::string out_;
    std::vector<Group> stack_;
    size_t starAt_ = kNone;
    size_t written_ = 0;  // where the last bytes written ended in the input
};

}  // namespace

std::string StripEmbeddedContent(std::string_view rtf) { return Stripper(rtf).Run(); }

}  // namespace kx
