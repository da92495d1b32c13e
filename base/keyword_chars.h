// Which characters end a keyword. The matcher's word rule, and the import's
// rule for triggers of other expanders, both follow it.
#pragma once

namespace kx {

// TAB, CR, ESC, space and ! " ( ) + , . : ; < > ? [ ] { } end a keyword.
inline bool IsDelimiter(char16_t c) {
    switch (c) {
        case 9: case 13: case 27: case u' ': case u'!': case u'"': case u'(': case u')':
        case u'+': case u',': case u'.': case u':': case u';': case u'<': case u'>':
        case u'?': case u'[': case u']': case u'{': case u'}':
            return true;
        default:
            return false;
    }
}

}  // namespace kx
