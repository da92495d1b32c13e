// The "Auto Complete" page (template 55): Auto Complete on or off, its
// on/off hotkey, and the memory its phrases may take.
#pragma once

#include <functional>

#include "app/main/app_services.h"
#include "app/options/property_page.h"
#include "app/win/balloon_tip.h"

namespace kx {

class AutoCompletePage final : public PropertyPage {
public:
    // `applyMemoryLimit` hands the new slider position to the phrase
    // dictionary, which takes it under its lock; may be empty.
    AutoCompletePage(AppServices& services, std::function<void(int)> applyMemoryLimit)
        : services_(services), applyMemoryLimit_(std::move(applyMemoryLimit)) {}

private:
    void OnInit() override;
    void OnCommand(int id, int code) override;
    bool OnApply() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void ShowMemoryLabel();

    AppServices& services_;
    std::function<void(int)> applyMemoryLimit_;
    BalloonTip balloon_;
};

// The process's total virtual address space as the system reports it, taken
// as 32 bits.
uint32_t TotalVirtualForLabel();

}  // namespace kx
