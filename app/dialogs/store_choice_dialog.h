// "Shared Shortcuts Selection": private, shared, or both.
#pragma once

#include "app/win/modal_dialog.h"
#include "core/shared_dialogs.h"

namespace kx {

class StoreChoiceDialog final : public ModalDialog {
public:
    explicit StoreChoiceDialog(const StoreChoiceRequest& request) : request_(request) {}
    // 1, 2 or 3 for private, shared, both; 0 on Cancel.
    int Ask(HWND owner);

private:
    bool OnInit() override;
    void OnOk() override;
    void OnCommand(int id, int code) override;

    const StoreChoiceRequest& request_;
    int choice_ = kChoiceCancelled;
};

}  // namespace kx
