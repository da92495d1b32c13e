// kxtool macro FILE: the commands a macro script parses into, each with the
// input records it injects, and the first error the macro editor would show.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

#include "base/text.h"
#include "core/whole_file.h"
#include "engine/macro/key_command.h"
#include "engine/macro/key_records.h"
#include "engine/macro/macro_parse.h"
#include "engine/macro/macro_script.h"
#include "engine/macro/other_command.h"
#include "engine/macro/script_validation.h"
#include "tools/kxtool/commands.h"

#ifdef _WIN32
#include "engine/macro/macro_system_win32.h"
#else
#include "tools/kxtool/us_keyboard.h"
#endif

namespace kx {
namespace {

constexpr char kUsage[] =
    "usage: kxtool macro [--date-order mdy|dmy|ymd] [--now YYYY-MM-DDTHH:MM:SS] FILE\n";

// The machine's clock, date order and keyboard, or those the options fix.
// Off Windows the keyboard is a US one and short dates are month-day-year.
class ToolMacroSystem final : public MacroSystem {
public:
    bool fixedNow = false;
    LocalDateTime now;
    bool fixedOrder = false;
    ShortDateOrder order = ShortDateOrder::MonthDayYear;

    LocalDateTime Now() override {
        if (fixedNow) return now;
#ifdef _WIN32
        return WindowsMacroSystem().Now();
#else
        const std::time_t t = std::time(nullptr);
        std::tm local = {};
        localtime_r(&t, &local);
        return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
#endif
    }
    ShortDateOrder DateOrder() override {
#ifdef _WIN32
        if (!fixedOrder) return WindowsMacroSystem().DateOrder();
#endif
        return order;
    }
    int16_t KeyScan(char16_t c) override {
#ifdef _WIN32
        return WindowsMacroSystem().KeyScan(c);
#else
        const UsKey key = UsKeyFor(c);
        if (key.vk == 0xE7) return -1;  // VK_PACKET: no key types it
        return int16_t(key.vk | (key.shift ? 0x100 : 0));
#endif
    }
};

bool ReadNow(const char* text, LocalDateTime& t) {
    char tail = 0;
    return std::sscanf(text, "%d-%d-%dT%d:%d:%d%c", &t.year, &t.month, &t.day, &t.hour, &t.minute, &t.second, &tail) ==
               6 &&
           t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour >= 0 && t.hour < 24 && t.minute >= 0 &&
           t.minute < 60 && t.second >= 0 && t.second < 60;
}

bool ReadOrder(const char* text, ShortDateOrder& order) {
    if (!std::strcmp(text, "mdy")) order = ShortDateOrder::MonthDayYear;
    else if (!std::strcmp(text, "dmy")) order = ShortDateOrder::DayMonthYear;
    else if (!std::strcmp(text, "ymd")) order = ShortDateOrder::YearMonthDay;
    else return false;
    return true;
}

std::string Record(const KeyRecord& r) {
    char buf[96];
    const char* edge = (r.flags & keyflag::kKeyUp) ? "up  " : "down";
    if (r.flags & kUnicodeKeyFlag) {
        const char16_t c = char16_t(r.scan);
        const bool printable = c >= 0x20 && c != 0x7F && (c < 0xD800 || c > 0xDFFF);
        std::snprintf(buf, sizeof buf, "%s char U+%04X%s", edge, unsigned(c),
                      printable ? (" \"" + U8(std::u16string(1, c)) + "\"").c_str() : "");
    } else {
        std::snprintf(buf, sizeof buf, "%s vk 0x%02X", edge, unsigned(r.vk));
    }
    return buf;
}

void PrintCommand(const MacroCommand& command) {
    switch (command.Kind()) {
    case commandkind::kMouse: std::printf("  mouse: plays nothing\n"); break;
    case commandkind::kKeyboard: {
        const auto& keys = static_cast<const KeyCommand&>(command);
        std::printf("  keyboard: %s\n", U8(keys.ToText()).c_str());
        for (const KeyRecord& r : keys.records) std::printf("    %s\n", Record(r).c_str());
        break;
    }
    default: std::printf("  other: %s\n", U8(command.ToText()).c_str()); break;
    }
}

}  // namespace

int RunMacroCommand(int argc, char** argv) {
    ToolMacroSystem system;
    const char* file = nullptr;
    for (int i = 0; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--now") && i + 1 < argc) {
            if (!ReadNow(argv[++i], system.now)) {
                std::fprintf(stderr, "kxtool macro: --now wants YYYY-MM-DDTHH:MM:SS, not '%s'\n", argv[i]);
                return 2;
            }
            system.fixedNow = true;
        } else if (!std::strcmp(argv[i], "--date-order") && i + 1 < argc) {
            if (!ReadOrder(argv[++i], system.order)) {
                std::fprintf(stderr, "kxtool macro: --date-order wants mdy, dmy or ymd, not '%s'\n", argv[i]);
                return 2;
            }
            system.fixedOrder = true;
        } else if (!file && argv[i][0] != '-') {
            file = argv[i];
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (!file) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::string bytes;
    if (!ReadWholeFile(file, bytes)) {
        std::fprintf(stderr, "kxtool macro: cannot read '%s'\n", file);
        return 2;
    }
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    const std::u16string script = Utf8ToUtf16(bytes);

    const MacroScript lines(script);
    for (const ScriptLine& line : lines.Lines()) {
        std::printf("line %zu: %s\n", line.number, U8(line.text).c_str());
        if (const std::unique_ptr<MacroCommand> command = ParseLine(line.text, system)) PrintCommand(*command);
        else std::printf("  names no command: skipped\n");
    }
    if (const std::optional<ScriptError> error = ValidateScript(script)) {
        std::printf("refused at line %zu: %s: %s\n", error->lineNumber, U8(error->title).c_str(),
                    U8(error->text).c_str());
        return 1;
    }
    std::printf("accepted\n");
    return 0;
}

}  // namespace kx
