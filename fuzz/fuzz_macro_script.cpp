// Feeds arbitrary text to the macro parser and the editor's script check.
// Beside crashes, hangs and sanitizer reports it checks what every command
// must hold whatever the line: a keyboard command either plays nothing or has
// records, a release only releases, a pause is never endless, and an error
// of the check names its line.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/macro/key_command.h"
#include "engine/macro/macro_parse.h"
#include "engine/macro/other_command.h"
#include "engine/macro/script_validation.h"

namespace {

class FuzzSystem final : public kx::MacroSystem {
public:
    explicit FuzzSystem(uint8_t seed) : seed_(seed) {}
    kx::LocalDateTime Now() override { return {1999 + seed_, 12, 31, 23, 59, 58}; }
    kx::ShortDateOrder DateOrder() override { return kx::ShortDateOrder(seed_ % 4); }  // 3 is out of range on purpose
    int16_t KeyScan(char16_t c) override { return (c & 0x80) ? int16_t(-1) : int16_t(c | (seed_ & 1 ? 0x100 : 0)); }

private:
    uint8_t seed_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    FuzzSystem system(data[0]);
    // UTF-16 straight from the bytes, so lone surrogates and NULs come too.
    std::u16string script;
    for (size_t i = 1; i + 1 < size; i += 2) script += char16_t(data[i] | (data[i + 1] << 8));

    kx::MacroCommandList list;
    kx::ParseScript(script, list, system);
    if (list.commands.size() > script.size()) __builtin_trap();
    for (const auto& command : list.commands) {
        command->ToText();
        if (command->Kind() == kx::commandkind::kKeyboard) {
            const auto& keys = static_cast<const kx::KeyCommand&>(*command);
            if (keys.subKind == kx::keysub::kNone && (!keys.records.empty() || keys.holdMs != -1)) __builtin_trap();
            if (keys.holdMs == 0 || keys.holdMs < -1) __builtin_trap();
            for (const kx::KeyRecord& r : keys.records) {
                const bool up = r.flags & 0x0002;
                if (keys.subKind == kx::keysub::kRelease && !up) __builtin_trap();
            }
            if (keys.subKind == kx::keysub::kInput && keys.records.size() % 2 != 0) __builtin_trap();
            kx::KeyCommand copy;
            if (!copy.CopyFrom(keys) || !copy.Equals(keys)) __builtin_trap();
        } else if (command->Kind() == kx::commandkind::kOther) {
            const auto& other = static_cast<const kx::OtherCommand&>(*command);
            if (other.subKind == kx::othersub::kPause && (other.pauseMs == 0 || other.pauseMs == 0xFFFFFFFFu))
                __builtin_trap();
            if (other.commandLine.size() > 259) __builtin_trap();
        }
    }

    const std::optional<kx::ScriptError> error = kx::ValidateScript(script);
    if (error && (error->lineNumber == 0 || error->title != u"Invalid Format" || error->text.empty())) __builtin_trap();
    return 0;
}
