// The key-event scripts of `kxtool replay`: one instruction a line.
//
//   down VK ['c'|U+XXXX] [shift] [ctrl] [alt] [pos=N]   one key press
//   up   VK ...                                         one key release
//   type TEXT        each character pressed and released, as a US keyboard types it
//   key [shift+][ctrl+][alt+]NAME
//                    NAME: BACK, ENTER, TAB, ESC, LEFT, RIGHT, UP, DOWN, HOME, END,
//                    DELETE, F1-F12, or a letter A-Z or digit 0-9 ("key ctrl+A")
//   sleep MS         the clock moves on
// Blank lines and lines starting with '#' are skipped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/matcher/key_event.h"

namespace kx {

struct ScriptStep {
    enum Kind { Key, Sleep } kind = Key;
    KeyEvent event;
    uint32_t sleepMs = 0;
};

// Appends the steps of one line; on a malformed line returns false with `error`.
bool ParseScriptLine(std::string_view line, std::vector<ScriptStep>& out, std::string& error);

}  // namespace kx
