// "Backup Data" and "Restore Data": the folder fields with their pickers and
// the group-conflict choices, over the data layer's backup and restore.
#pragma once

#include "app/win/modal_dialog.h"
#include "core/restore.h"

namespace kx {

// The local time now, as backup folders are named by it.
LocalTime LocalTimeNow();

class BackupDialog final : public ModalDialog {
public:
    explicit BackupDialog(const BackupContext& ctx) : ctx_(ctx) {}
    // Runs the dialog; true when a backup was made (its folder is then open
    // in the file explorer).
    bool Ask(HWND owner);

private:
    bool OnInit() override;
    void OnOk() override;
    void OnCommand(int id, int code) override;

    const BackupContext& ctx_;
    bool done_ = false;
};

class RestoreDialog final : public ModalDialog {
public:
    explicit RestoreDialog(const BackupContext& ctx) : ctx_(ctx) {}
    // Runs the dialog; the outcome's `done` says whether it restored.
    RestoreOutcome Ask(HWND owner);

private:
    bool OnInit() override;
    void OnOk() override;
    void OnCommand(int id, int code) override;

    const BackupContext& ctx_;
    RestoreOutcome outcome_;
};

}  // namespace kx
