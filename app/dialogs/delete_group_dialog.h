// "Delete Group": every group but "Default" in a list; Delete asks and
// removes the selected ones.
#pragma once

#include "app/win/modal_dialog.h"
#include "core/group_commands.h"

namespace kx {

class DeleteGroupDialog final : public ModalDialog {
public:
    explicit DeleteGroupDialog(const DataContext& ctx) : ctx_(ctx) {}
    // Whether any group was deleted.
    bool Ask(HWND owner);

private:
    bool OnInit() override;
    void OnOk() override;
    void Refill();

    const DataContext& ctx_;
    bool deleted_ = false;
};

}  // namespace kx
