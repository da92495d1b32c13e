#include "app/lifecycle/switches.h"

#include "base/text.h"

namespace kx {

StartAction ActionForArguments(const std::vector<std::u16string>& args) {
    if (args.size() <= 1) return StartAction::Show;
    StartAction action = StartAction::None;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::u16string& a = args[i];
        if (EqualsNoCaseAscii(a, u"-exit")) return StartAction::Exit;
        if (EqualsNoCaseAscii(a, u"-show")) action = StartAction::Show;
        else if (EqualsNoCaseAscii(a, u"-hide") || EqualsNoCaseAscii(a, u"-logon")) action = StartAction::Hide;
    }
    return action;
}

bool StartsAtLogon(const std::vector<std::u16string>& args) {
    return args.size() > 1 && EqualsNoCaseAscii(args[1], u"-logon");
}

AutorunRequest AutorunRequestFor(const std::vector<std::u16string>& args) {
    if (args.size() < 2 || !EqualsNoCaseAscii(args[1], u"-setautorun")) return AutorunRequest::None;
    if (args.size() < 3 || args[2].size() < 2) return AutorunRequest::Refused;
    if (args[2][1] == u'1') return AutorunRequest::Add;
    if (args[2][1] == u'0') return AutorunRequest::Remove;
    return AutorunRequest::Refused;
}

}  // namespace kx
