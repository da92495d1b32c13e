// The "Programs" page: one rule per program (Off, Type or Chat), added,
// edited and removed in a list. OK writes what changed to the registry,
// where the engine picks the rules up.
#pragma once

#include <vector>

#include "app/main/app_services.h"
#include "app/options/property_page.h"
#include "app/win/list_view.h"
#include "core/program_rules.h"

namespace kx {

class ProgramsPage final : public PropertyPage {
public:
    explicit ProgramsPage(AppServices& services) : services_(services) {}

private:
    void OnInit() override;
    void OnCommand(int id, int code) override;
    bool OnApply() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    const wchar_t* HelpTopic() const override { return L"programoptions"; }

    void ShowRules(int select);
    int Selected() const;
    void EnableButtons();
    void AddOrEdit(bool adding);
    void RemoveSelected();

    AppServices& services_;
    ListView list_;
    // The rules as read when the page opened, and as the user has them now.
    std::vector<ProgramRuleEntry> stored_, rules_;
};

}  // namespace kx
