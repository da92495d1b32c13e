// "Add New Group": a name and a location (a folder, or an existing
// shortcut file), checked by the group logic; a refused entry keeps the
// dialog open with the focus on the field at fault.
#pragma once

#include "app/win/modal_dialog.h"
#include "core/group_commands.h"

namespace kx {

class AddGroupDialog final : public ModalDialog {
public:
    AddGroupDialog(const DataContext& ctx, LoadedStores& stores) : ctx_(ctx), stores_(stores) {}
    // Whether a group was added (and made current).
    bool Ask(HWND owner);

private:
    bool OnInit() override;
    void OnOk() override;
    void OnCommand(int id, int code) override;

    const DataContext& ctx_;
    LoadedStores& stores_;
    bool added_ = false;
};

}  // namespace kx
