#include "engine/macro/other_command.h"

#include <algorithm>
#include <string>

#include "base/text.h"
#include "engine/macro/key_line.h"
#include "engine/macro/macro_script.h"

namespace kx {
namespace {

// The longest pause: one less than the wait that never ends.
constexpr uint32_t kLongestPauseMs = 0xFFFFFFFEu;

}  // namespace

bool OtherCommand::Parse(std::u16string_view line, MacroSystem&) {
    subKind = othersub::kNone;
    pauseMs = 0;
    commandLine.clear();
    const MacroKeyword keyword = ClassifyLine(line);
    if (keyword == MacroKeyword::Pause) {
        size_t pos = 0;
        NextToken(line, pos);
        const HexNumber length = ReadHex(NextToken(line, pos));
        pauseMs = length.value == 0 ? kDefaultPauseMs : std::min(length.value, kLongestPauseMs);
        subKind = othersub::kPause;
        return true;
    }
    if (keyword == MacroKeyword::Command) {
        const std::u16string_view text = AfterKeyword(line);
        if (text.size() < 2 || text.front() != u'"' || text.back() != u'"') return false;
        commandLine = CutToField(text.substr(1, text.size() - 2));
        subKind = othersub::kCommand;
        return true;
    }
    return false;
}

std::u16string OtherCommand::ToText() const {
    if (subKind == othersub::kPause) return u"pause " + U16(std::to_string(pauseMs)) + u" ms";
    if (subKind == othersub::kCommand) return u"command \"" + commandLine + u"\"";
    return u"command line that plays nothing";
}

bool OtherCommand::CopyFrom(const MacroCommand& other) {
    if (other.Kind() != Kind()) return false;
    const auto& o = static_cast<const OtherCommand&>(other);
    subKind = o.subKind;
    pauseMs = o.pauseMs;
    commandLine = o.commandLine;
    return true;
}

bool OtherCommand::Equals(const MacroCommand& other) const {
    if (other.Kind() != Kind()) return false;
    const auto& o = static_cast<const OtherCommand&>(other);
    return subKind == o.subKind && pauseMs == o.pauseMs && commandLine == o.commandLine;
}

}  // namespace kx
