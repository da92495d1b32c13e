// The "Auto Complete" page (template 55): Auto Complete on or off, its
// on/off hotkey, the memory its phrases may take, and learning from the mail
// already sent.
#pragma once

#include <functional>

#include "app/main/app_services.h"
#include "app/options/property_page.h"
#include "app/win/balloon_tip.h"

namespace kx {

// The memory limit in force, which is the phrase dictionary's: the slider
// position it was set from, and a new position for it, taken under its lock.
// Either may be empty; the slider then starts from the setting.
struct MemoryLimitAccess {
    std::function<int()> position;
    std::function<void(int)> apply;
};

class AutoCompletePage final : public PropertyPage {
public:
    AutoCompletePage(AppServices& services, MemoryLimitAccess memoryLimit)
        : services_(services), memoryLimit_(std::move(memoryLimit)) {}

private:
    void OnInit() override;
    void OnCommand(int id, int code) override;
    bool OnApply() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    const wchar_t* HelpTopic() const override { return L"autocompleteoptions"; }
    void ShowMemoryLabel();

    AppServices& services_;
    MemoryLimitAccess memoryLimit_;
    BalloonTip balloon_;
};

// The process's total virtual address space as the system reports it, taken
// as 32 bits.
uint32_t TotalVirtualForLabel();

}  // namespace kx
