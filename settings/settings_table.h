// Every setting the program reads or writes: section, name, kind and default,
// defined once here. Readers go through these definitions so that a name or
// a default cannot differ between two places.
#pragma once

#include <cstdint>
#include <string_view>

namespace kx {

enum class SettingKind : uint8_t { Text, Number, Flag };

struct SettingDef {
    const char16_t* section;
    const char16_t* name;
    SettingKind kind;
    const char16_t* textDefault;  // Text settings
    int32_t intDefault;           // Number settings; Flag settings use 0 or 1

    std::u16string_view sectionName() const { return section; }
    std::u16string_view valueName() const { return name; }
};

namespace settings {

constexpr SettingDef Text(const char16_t* s, const char16_t* n, const char16_t* d) { return {s, n, SettingKind::Text, d, 0}; }
constexpr SettingDef Number(const char16_t* s, const char16_t* n, int32_t d) { return {s, n, SettingKind::Number, u"", d}; }
constexpr SettingDef Flag(const char16_t* s, const char16_t* n, bool d) { return {s, n, SettingKind::Flag, u"", d ? 1 : 0}; }

inline constexpr const char16_t* kSettings = u"Settings";

// Expansion and hotkeys.
inline constexpr SettingDef ExpansionOn = Flag(kSettings, u"bexp", true);
inline constexpr SettingDef DoubleSpace = Flag(kSettings, u"DoubleSpace", false);
inline constexpr SettingDef ExpansionCasing = Flag(kSettings, u"ExpansionCasing", false);
// Gives the user's clipboard back once the target has pasted an expansion.
inline constexpr SettingDef RestoreClipboard = Flag(kSettings, u"RestoreClipboard", false);
inline constexpr SettingDef ToggleExpansions = Flag(kSettings, u"ToggleExpansions", false);
inline constexpr SettingDef ToggleExpansionsCombo = Text(kSettings, u"ToggleExpansionsCombo", u"CTRL+ALT+SPACE");
inline constexpr SettingDef ToggleAutoComplete = Flag(kSettings, u"ToggleAutoComplete", false);
inline constexpr SettingDef ToggleAutoCompleteCombo = Text(kSettings, u"ToggleAutoCompleteCombo", u"CTRL+ALT+ENTER");

// Auto Complete. One default for every reader: the status bar, the toolbar,
// the options, the candidate timer and the engine all say the same on a
// fresh install, where Auto Complete is on.
inline constexpr SettingDef AutoCompleteEnabled = Flag(kSettings, u"AutoCompleteEnabled", true);
inline constexpr SettingDef AutoCompleteWindowOpen = Flag(kSettings, u"AutoCompleteWindowOpen", false);
inline constexpr SettingDef SuggestionTrackbar = Number(kSettings, u"SuggestionTrackbar", 15);

// Shortcut suggestions.
inline constexpr SettingDef SuggestShortcuts = Flag(kSettings, u"SuggestShortcuts", true);
inline constexpr SettingDef SuggestionRemoveKeystrokes = Number(kSettings, u"SuggestionRemoveKeystrokes", 100000);
inline constexpr SettingDef SuggestionRemoveImpressions = Number(kSettings, u"SuggestionRemoveImpressions", 100);
inline constexpr SettingDef SuggestionLengthMaximum = Number(kSettings, u"SuggestionLengthMaximum", 260);
inline constexpr SettingDef SuggestionLengthMinimum = Number(kSettings, u"SuggestionLengthMinimum", 3);
inline constexpr SettingDef SharedVsPrivateSelection = Number(kSettings, u"SharedVsPrivateSelection", 0);

// Sent-mail scanning. Start-up reads the switches with default false; the
// scans' own checks treat a missing value as true.
inline constexpr SettingDef ScanOutlookSentItems = Flag(kSettings, u"ScanOutlookSentItems", false);
inline constexpr SettingDef ScanOutlookSentItemsForScan = Flag(kSettings, u"ScanOutlookSentItems", true);
inline constexpr SettingDef ScanOutlookSentItemsDone = Flag(kSettings, u"ScanOutlookSentItemsDone", false);
inline constexpr SettingDef ScanOutlookCurrentSentItem = Number(kSettings, u"ScanOutlookCurrentSentItem", 0);
inline constexpr SettingDef ScanThunderbirdSentItems = Flag(kSettings, u"ScanThunderbirdSentItems", false);
inline constexpr SettingDef ScanThunderbirdSentItemsForScan = Flag(kSettings, u"ScanThunderbirdSentItems", true);
inline constexpr SettingDef ScanThunderbirdSentItemsDone = Flag(kSettings, u"ScanThunderbirdSentItemsDone", false);
inline constexpr SettingDef ScanThunderbirdCurrentSentItem = Number(kSettings, u"ScanThunderbirdCurrentSentItem", 0);
inline constexpr SettingDef ScanThunderbirdSentItemsSeekPos = Text(kSettings, u"ScanThunderbirdSentItemsSeekPos", u"");
// How far into the message the saved position names the feeder got before a
// stop, in UTF-16 units of the text fed: a long message resumes there.
inline constexpr SettingDef ScanThunderbirdSentItemOffset = Number(kSettings, u"ScanThunderbirdSentItemOffset", 0);
inline constexpr SettingDef ScanOutlookSentItemOffset = Number(kSettings, u"ScanOutlookSentItemOffset", 0);

// Lifecycle.
inline constexpr SettingDef ProgramsFirstRun = Flag(kSettings, u"ProgramsFirstRun", true);
inline constexpr SettingDef Runs = Number(kSettings, u"Runs", 0);
inline constexpr SettingDef HasWelcomedThisRun = Flag(kSettings, u"HasWelcomedThisRun", false);
inline constexpr SettingDef AskAboutRebootingToCompleteInstall = Flag(kSettings, u"AskAboutRebootingToCompleteInstall", false);
inline constexpr SettingDef Thanks = Flag(kSettings, u"Thanks", false);
// The setup that follows the first welcome has been offered.
inline constexpr SettingDef FirstRunSetupShown = Flag(kSettings, u"FirstRunSetupShown", false);
inline constexpr SettingDef ExePath = Text(kSettings, u"ExePath", u"");
inline constexpr SettingDef Migrated = Text(kSettings, u"Migrated", u"");

// Backup, editors, pictures.
inline constexpr SettingDef BackupFile = Text(kSettings, u"BackupFile", u"");
inline constexpr SettingDef BackupFolder = Text(kSettings, u"BackupFolder", u"");
inline constexpr SettingDef ConfirmRichToSimpleTextConversion = Flag(kSettings, u"ConfirmRichToSimpleTextConversion", false);
inline constexpr SettingDef RecordMacroBubbleTipCount = Number(kSettings, u"RecordMacroBubbleTipCount", 0);
inline constexpr SettingDef PicShortcutsConvertedToWindowMetaFile = Flag(kSettings, u"PicShortcutsConvertedToWindowMetaFile", false);

// Main window placement; the defaults of X, Y, Width and Height belong to the
// window that restores them.
inline constexpr const char16_t* kMainWindow = u"MainWindow";
inline constexpr SettingDef MainWindowMaximized = Flag(kMainWindow, u"Maximized", false);

// Groups: "KXGrps\<group name>" holds "loc" for each group.
inline constexpr const char16_t* kGroupsSection = u"KXGrps";
inline constexpr SettingDef CurrentGroup = Text(kGroupsSection, u"Crn", u"");
inline constexpr const char16_t* kGroupLocationName = u"loc";

// Shared shortcuts.
inline constexpr const char16_t* kShared = u"sharedabbrev";
inline constexpr SettingDef SharedEnabled = Flag(kShared, u"sharedenabled", false);
inline constexpr SettingDef SharedPath = Text(kShared, u"sharedabbrevpath", u"");
inline constexpr SettingDef SharedReplacesLocal = Flag(kShared, u"replacelocal", false);

inline constexpr SettingDef PlaySound = Flag(u"onexpand", u"playsound", true);
inline constexpr SettingDef ImportDefaultPath = Text(u"textimport", u"defaultpath", u"\\");

// "listview" holds "Col1", "Col2", ... with -1 meaning the built-in width.
inline constexpr const char16_t* kListView = u"listview";
inline constexpr int32_t kColumnWidthDefault = -1;

}  // namespace settings
}  // namespace kx
