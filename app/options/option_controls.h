// Controls that the options pages and the first-run setup share: the
// hotkey lists, the run-at-startup box and list, and the balloon that tells
// of a hotkey already in use.
#pragma once

#include <string>

#include "app/options/run_at_startup.h"
#include "app/win/balloon_tip.h"
#include "app/win/window.h"
#include "platform/user_prompt.h"
#include "settings/settings_store.h"

namespace kx {

// The three combinations, with `current` selected (none when it is another).
void FillHotkeyList(Window list, std::u16string_view current);
// The selected combination; empty when none is.
std::u16string ChosenHotkey(Window list);

// The run box ticked and the "When:" list set from the entries.
void ShowRunChoice(Window box, Window list, RunChoice choice);
RunChoice ChosenRun(Window box, Window list);

// Applies the run choice; on a failure tells the user with the messages of
// the run entries, unticks the box when adding failed, and returns false.
bool ApplyRunFromPage(Window box, Window list, RunEntries& entries, MessagePrompt& prompt);

// The list of the shortcuts' on/off hotkey was given `chosen`: it is
// written at once, and a balloon at the list says so when Auto Complete
// uses it. Returns false on that clash.
bool ChooseShortcutsHotkey(SettingsStore& settings, BalloonTip& balloon, Window list);
// The same for Auto Complete's hotkey.
bool ChooseAutoCompleteHotkey(SettingsStore& settings, BalloonTip& balloon, Window list);
// Whether the shortcuts' hotkey clashes with Auto Complete's as stored;
// shows the balloon at `list` when it does.
bool ShortcutsHotkeyClashes(SettingsStore& settings, BalloonTip& balloon, Window list);

// The program's full path, for the run entries.
std::u16string ProgramPath();

}  // namespace kx
