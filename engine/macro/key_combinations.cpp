#include "engine/macro/key_combinations.h"

namespace kx {

const std::vector<std::u16string>& MacroKeyCombinations() {
    static const std::vector<std::u16string> list = [] {
        std::vector<std::u16string> l = {u"CTRL+D", u"CTRL+G", u"CTRL+J", u"CTRL+K",
                                         u"CTRL+M", u"CTRL+Q", u"CTRL+T", u"CTRL+W"};
        for (std::u16string_view prefix : {u"CTRL+SHIFT+", u"CTRL+ALT+", u"CTRL+SHIFT+ALT+", u"ALT+", u"SHIFT+ALT+"}) {
            for (char16_t c = u'A'; c <= u'Z'; ++c) l.push_back(std::u16string(prefix) + c);
            for (char16_t c = u'0'; c <= u'9'; ++c) l.push_back(std::u16string(prefix) + c);
        }
        return l;
    }();
    return list;
}

std::u16string ComposeCombination(bool ctrl, bool shift, bool alt, char16_t key) {
    std::u16string text;
    if (ctrl) text += u"CTRL+";
    if (shift) text += u"SHIFT+";
    if (alt) text += u"ALT+";
    if (key >= u'a' && key <= u'z') key = char16_t(key - u'a' + u'A');
    if (key) text.push_back(key);
    return text;
}

CombinationCheck CheckCombination(std::u16string_view combination) {
    if (combination.empty()) return CombinationCheck::Empty;
    if (!combination.starts_with(u"CTRL") && !combination.starts_with(u"SHIFT") && !combination.starts_with(u"ALT"))
        return CombinationCheck::NoModifier;
    for (const std::u16string& offered : MacroKeyCombinations())
        if (offered == combination) return CombinationCheck::Ok;
    return CombinationCheck::NotOffered;
}

}  // namespace kx
