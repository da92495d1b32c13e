// The "General" page (template 53): starting with Windows, the shortcuts'
// on/off hotkey, suggestions, sound, the double-space period, all-caps
// expansion and giving the clipboard back.
#pragma once

#include "app/main/app_services.h"
#include "app/options/property_page.h"
#include "app/win/balloon_tip.h"

namespace kx {

class GeneralPage final : public PropertyPage {
public:
    explicit GeneralPage(AppServices& services) : services_(services) {}

private:
    void OnInit() override;
    void OnCommand(int id, int code) override;
    bool OnApply() override;
    void EnableLists();

    AppServices& services_;
    BalloonTip balloon_;
};

}  // namespace kx
