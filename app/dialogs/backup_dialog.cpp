#include "app/dialogs/backup_dialog.h"

#include <shellapi.h>

#include "app/resource_ids.h"
#include "app/win/file_picker.h"

namespace kx {

LocalTime LocalTimeNow() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

bool BackupDialog::Ask(HWND owner) {
    done_ = false;
    Run(owner, IDD_BACKUP);
    return done_;
}

bool BackupDialog::OnInit() {
    Item(IDC_BACKUP_FOLDER).Send(EM_LIMITTEXT, MAX_PATH - 1);
    Item(IDC_BACKUP_FOLDER).Focus();
    return false;
}

void BackupDialog::OnOk() {
    const BackupOutcome out = MakeBackup(ctx_, U(Item(IDC_BACKUP_FOLDER).Text()), LocalTimeNow());
    if (out.refusedFolder) Item(IDC_BACKUP_FOLDER).Focus();
    if (!out.done) return;
    done_ = true;
    ::ShellExecuteW(Self(), L"open", W(out.chosenFolder).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    End(IDOK);
}

void BackupDialog::OnCommand(int id, int) {
    if (id != IDC_BACKUP_BROWSE) return;
    const std::wstring folder =
        PickFolder(Self(), L"Select the folder to backup to", Item(IDC_BACKUP_FOLDER).Text(), L"Select");
    if (!folder.empty()) Item(IDC_BACKUP_FOLDER).SetText(std::wstring_view(folder));
}

RestoreOutcome RestoreDialog::Ask(HWND owner) {
    outcome_ = {};
    Run(owner, IDD_RESTORE);
    return outcome_;
}

bool RestoreDialog::OnInit() {
    Item(IDC_RESTORE_FOLDER).Send(EM_LIMITTEXT, MAX_PATH - 1);
    Item(IDC_CONFLICT_PROMPT).Check(true);
    Item(IDC_RESTORE_FOLDER).Focus();
    return false;
}

void RestoreDialog::OnOk() {
    ConflictChoice choice = ConflictChoice::None;
    if (Item(IDC_CONFLICT_OVERWRITE).Checked()) choice = ConflictChoice::Overwrite;
    else if (Item(IDC_CONFLICT_PROMPT).Checked()) choice = ConflictChoice::Prompt;
    else if (Item(IDC_CONFLICT_SKIP).Checked()) choice = ConflictChoice::Skip;
    RestoreOutcome out = RestoreBackup(ctx_, U(Item(IDC_RESTORE_FOLDER).Text()), choice, LocalTimeNow());
    if (out.refusedFolder) Item(IDC_RESTORE_FOLDER).Focus();
    if (!out.done) return;
    outcome_ = std::move(out);
    End(IDOK);
}

void RestoreDialog::OnCommand(int id, int) {
    if (id != IDC_RESTORE_BROWSE) return;
    const std::wstring folder =
        PickFolder(Self(), L"Select the folder to restore from", Item(IDC_RESTORE_FOLDER).Text(), L"Select");
    if (!folder.empty()) Item(IDC_RESTORE_FOLDER).SetText(std::wstring_view(folder));
}

}  // namespace kx
