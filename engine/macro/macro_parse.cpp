#include "engine/macro/macro_parse.h"

#include <string>

#include "engine/macro/date_placeholders.h"
#include "engine/macro/key_command.h"
#include "engine/macro/macro_script.h"
#include "engine/macro/mouse_command.h"
#include "engine/macro/other_command.h"

namespace kx {
namespace {

constexpr size_t kListStep = 100;

}  // namespace

std::unique_ptr<MacroCommand> ParseLine(std::u16string_view rawLine, MacroSystem& system) {
    const std::u16string_view line = CommandLineText(rawLine);
    if (line.empty() || IsCommentLine(line)) return nullptr;
    const MacroKeyword keyword = ClassifyLine(line);
    std::unique_ptr<MacroCommand> command;
    if (IsMouseKeyword(keyword)) {
        command = std::make_unique<MouseCommand>();
    } else if (IsKeyboardKeyword(keyword)) {
        command = std::make_unique<KeyCommand>();
        command->Parse(ApplyDatePlaceholders(line, system), system);
        return command;
    } else if (IsOtherKeyword(keyword)) {
        command = std::make_unique<OtherCommand>();
    } else {
        return nullptr;
    }
    command->Parse(line, system);
    return command;
}

void ParseScript(std::u16string_view script, MacroCommandList& list, MacroSystem& system) {
    const MacroScript lines(script);
    for (const ScriptLine& line : lines.Lines()) {
        std::unique_ptr<MacroCommand> command = ParseLine(line.text, system);
        if (!command) continue;
        std::lock_guard<std::mutex> hold(list.listLock);
        if (list.commands.size() == list.commands.capacity()) list.commands.reserve(list.commands.size() + kListStep);
        list.commands.push_back(std::move(command));
    }
}

}  // namespace kx
