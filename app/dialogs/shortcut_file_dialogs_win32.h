// The file dialogs of Save Shortcuts ("Save Data") and Load Shortcuts
// ("Load Data").
#pragma once

#include <windows.h>

#include "core/shortcut_file_transfer.h"

namespace kx {

class Win32ShortcutFileDialogs final : public ShortcutFileDialogs {
public:
    explicit Win32ShortcutFileDialogs(HWND owner) : owner_(owner) {}
    std::u16string ChooseFileToSave(std::u16string_view folder, std::u16string_view fileName) override;
    std::u16string ChooseFileToLoad(std::u16string_view folder, std::u16string_view fileName) override;

private:
    HWND owner_;
};

}  // namespace kx
