// The main window's commands and the state of its controls.
#include <windows.h>
#include <commctrl.h>

#include "app/dialogs/add_group_dialog.h"
#include "app/dialogs/delete_group_dialog.h"
#include "app/editors/open_editor.h"
#include "app/main/app_core.h"
#include "app/main/list_text.h"
#include "app/resource_ids.h"
#include "app/search/search_print.h"
#include "app/shell/help_topics.h"
#include "core/group_transfer.h"
#include "core/local_store.h"

namespace kx {
void AppCore::OnCommand(int id, int code) {
    switch (id) {
    case CMD_TOGGLE_EXPANSION: ToggleExpansion(); return;
    case CMD_ADD_DROPDOWN: {
        const RECT r = toolbar_.ButtonRect(CMD_NEW_SIMPLE);
        POINT at{r.left, r.bottom};
        ::ClientToScreen(toolbar_.Handle(), &at);
        if (const int chosen = menus_.ShowAddMenu(window_, at)) OnCommand(chosen, 0);
        return;
    }
    case CMD_DELETE: DeleteSelected(); return;
    case CMD_EDIT:
    case CMD_LIST_EDIT: EditSelected(); return;
    case CMD_NEW_SIMPLE: NewShortcut(ShortcutKind::SimpleText); return;
    case CMD_NEW_RICH: NewShortcut(ShortcutKind::RichText); return;
    case CMD_NEW_PICTURE: NewShortcut(ShortcutKind::Picture); return;
    case CMD_NEW_MACRO: NewShortcut(ShortcutKind::Macro); return;
    case CMD_SELECT_ALL_2013:
    case CMD_SELECT_ALL: list_.View().SelectAll(); return;
    case CMD_TOGGLE_AUTOCOMPLETE:
    case CMD_TRAY_TOGGLE_AUTOCOMPLETE: ToggleAutoComplete(); return;
    case CMD_LIST_CONTEXT: {
        POINT at{};
        ::GetCursorPos(&at);
        ShowListContextMenu(at);
        return;
    }
    case CMD_TRAY_OPEN: OpenFromTray(); return;
    case CMD_TRAY_TOGGLE_SHORTCUTS: ToggleShortcuts(); return;
    case CMD_TRAY_CLOSE_TO_TRAY: HideToTray(); return;
    case CMD_TRAY_EXIT:
        if (ConfirmStop()) ::PostMessageW(window_, kQuitMessage, 0, 0);
        return;
    case CMD_LOAD: LoadShortcuts(); return;
    case CMD_SAVE: SaveShortcuts(); return;
    case CMD_BACKUP: BackupData(); return;
    case CMD_RESTORE: RestoreData(); return;
    case CMD_IMPORT_OTHER: ImportFromProgram(); return;
    case CMD_EXPORT_CSV: ExportToCsv(); return;
    case CMD_HELP_TOPICS: ShowHelp(); return;
    case CMD_HELP_QUICKSTART: OpenHelpTopic(window_, L"quickstart"); return;
    case CMD_OPTIONS: ShowOptions(OptionsPage::General); return;
    case CMD_OPTIONS_SHARED: ShowOptions(OptionsPage::SharedShortcuts); return;
    case CMD_SEARCH_PRINT: SearchAndPrint(window_, *services_); return;
    case CMD_LIST_FILTER: filter_.Focus(); return;
    case IDC_LIST_FILTER:
        if (code == EN_CHANGE) list_.SetFilter(filter_.Text());
        return;
    default: break;
    }
    if (id >= kCmdSelectDefaultGroup && id <= kCmdDeleteGroup) OnGroupCommand(id);
    else if (id >= kCmdMoveToGroupBase) TransferSelected(id);
}

void AppCore::RefreshState() {
    // A modal window's loop may have ended because "-exit" destroyed the
    // main window under it; its caller then comes back here.
    if (!window_ || !::IsWindow(window_) || !list_.Handle()) return;
    SettingsStore& settings = services_->settings;
    const std::vector<const DisplayRecord*> selected = list_.Selected();
    const size_t count = selected.size();

    switches_[3] = settings.ReadBool(settings::ToggleAutoComplete);
    autoCompleteCombo_ = settings.Read(settings::ToggleAutoCompleteCombo);
    const std::u16string hotkey = AutoCompleteHotkeyText(switches_[3], autoCompleteCombo_);
    autoCompleteEnabled_ = settings.ReadBool(settings::AutoCompleteEnabled);
    suggestShortcuts_ = settings.ReadBool(settings::SuggestShortcuts);
    toolbar_.SetAutoCompleteButton(autoCompleteEnabled_, AutoCompleteTooltip(autoCompleteEnabled_, hotkey));
    // The engine's hotkey switches expansion too; the button follows "bexp".
    toolbar_.SetExpansionButton(settings.ReadBool(settings::ExpansionOn));

    const bool editable = count == 1 && EditorAvailable(selected[0]->expansion->kind);
    menus_.Enable(CMD_EDIT, editable);
    toolbar_.Enable(CMD_EDIT, editable);
    menus_.Enable(CMD_DELETE, count >= 1);
    toolbar_.Enable(CMD_DELETE, count >= 1);

    status_.SetText(0, shortcutsOn_ ? u"Shortcuts are On" : u"Shortcuts are Off");
    status_.SetText(1, autoCompleteEnabled_ ? u"Auto Complete is On" : u"Auto Complete is Off");
    if (!programNote_.empty()) status_.SetText(2, programNote_);
    else status_.SetText(2, list_.RowCount() == 0 ? u"Please press \"Add\" to create a new shortcut." : u"");
}

bool AppCore::EditorAvailable(ShortcutKind kind) const { return HasEditor(kind); }

void AppCore::ReloadStores() {
    LoadLocalStore(services_->ctx, services_->stores);
    RefillList();
}

void AppCore::RefillList() {
    SettingsStore& settings = services_->settings;
    const LoadedStores& stores = services_->stores;
    const bool sharedEnabled = settings.ReadBool(settings::SharedEnabled);
    const bool replaceLocal = settings.ReadBool(settings::SharedReplacesLocal);
    list_.Fill(MergeForDisplay(*stores.local, *stores.shared, sharedEnabled, replaceLocal), sharedEnabled);
    // The list is refilled whenever the shortcuts were loaded.
    LoadShortcutTexts();
}

void AppCore::RefreshGroupView() {
    SettingsStore& settings = services_->settings;
    GroupRegistry groups(settings);
    std::u16string name = groups.CurrentName();
    if (name.empty()) name = kDefaultGroupName;
    list_.SetExpansionHeader(ExpansionColumnText(settings.ReadBool(settings::SharedEnabled),
                                                 settings.ReadBool(settings::SharedReplacesLocal), name));
    menus_.RebuildGroups(GroupsMenu(groups));
}

void AppCore::OnGroupCommand(int id) {
    const DataContext& ctx = services_->ctx;
    LoadedStores& stores = services_->stores;
    if (id == kCmdNewGroup) {
        AddGroupDialog(ctx, stores).Ask(window_);
    } else if (id == kCmdDeleteGroup) {
        DeleteGroupDialog(ctx).Ask(window_);
        RevertIfCurrentGroupDeleted(ctx, stores);
    } else {
        SelectGroup(ctx, stores, id);
    }
    RefillList();
    RefreshGroupView();
}

void AppCore::ShowListContextMenu(POINT at) {
    const int selected = list_.View().SelectedCount();
    const std::vector<const DisplayRecord*> records = list_.Selected();
    UniqueMenu menu(::CreatePopupMenu());
    ::AppendMenuW(menu.Get(), MF_STRING | (selected >= 1 ? 0 : MF_GRAYED), CMD_DELETE, L"&Delete Shortcut");
    const bool editable = selected == 1 && !records.empty() && EditorAvailable(records[0]->expansion->kind);
    ::AppendMenuW(menu.Get(), MF_STRING | (editable ? 0 : MF_GRAYED), CMD_EDIT, L"&Edit Shortcut...");
    ::AppendMenuW(menu.Get(), MF_STRING | (list_.RowCount() > 0 ? 0 : MF_GRAYED), CMD_SELECT_ALL, L"Select &All");
    const std::vector<TransferTarget> targets = TransferTargets(GroupRegistry(services_->settings));
    if (selected >= 1 && !targets.empty()) {
        HMENU move = ::CreatePopupMenu();
        HMENU copy = ::CreatePopupMenu();
        for (const TransferTarget& t : targets) {
            ::AppendMenuW(move, MF_STRING, kCmdMoveToGroupBase + t.index, W(t.name).c_str());
            ::AppendMenuW(copy, MF_STRING, kCmdCopyToGroupBase + t.index, W(t.name).c_str());
        }
        ::AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(menu.Get(), MF_POPUP, reinterpret_cast<UINT_PTR>(move), L"&Move To Group");
        ::AppendMenuW(menu.Get(), MF_POPUP, reinterpret_cast<UINT_PTR>(copy), L"&Copy To Group");
    }
    const int command = int(::TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window_,
                                             nullptr));
    if (command) OnCommand(command, 0);
}

}  // namespace kx
