// The "Shared Shortcuts" page (template 54): the shared file, whether it
// overrides the user's own shortcuts, and its administrator's password.
// The rules behind the fields are those of the shared options.
#pragma once

#include "app/main/app_services.h"
#include "app/options/property_page.h"
#include "app/win/balloon_tip.h"
#include "core/shared_options.h"

namespace kx {

class SharedPage final : public PropertyPage, private SharedDialogs {
public:
    explicit SharedPage(AppServices& services) : services_(services) {}

private:
    void OnInit() override;
    void OnCommand(int id, int code) override;
    bool OnApply() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    const wchar_t* HelpTopic() const override { return L"sharedabbreviation"; }

    void ReadForm();
    void ShowForm();
    void EnableFields();
    void Browse();

    // The notices of the page's rules appear at its fields; the other two
    // dialogs are the application's.
    int ChooseStore(const StoreChoiceRequest& request) override { return services_.dialogs.ChooseStore(request); }
    bool AskAdminPassword(std::u16string_view expected) override {
        return services_.dialogs.AskAdminPassword(expected);
    }
    void ShowFieldNotice(SharedField field, std::u16string_view title, std::u16string_view text) override;

    AppServices& services_;
    SharedOptionsForm form_;
    SharedOptionsPage page_;
    BalloonTip balloon_;
};

}  // namespace kx
