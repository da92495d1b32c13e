// "Import from Another Program": the other program, where its shortcuts
// are, the group they go into, a preview of what the import will do with
// each of them, and the import itself with its summary and report.
#pragma once

#include <string>

#include "app/win/list_view.h"
#include "app/win/modal_dialog.h"
#include "core/data_context.h"
#include "core/import/import.h"
#include "platform/busy_cursor.h"

namespace kx {

struct ImportDialogContext {
    const DataContext& ctx;
    LoadedStores& stores;  // the live stores: an import into the current group changes them in place
    ImportFolders folders;
    ImportEnvironment env;
    BusyCursor* cursor = nullptr;
};

class ImportDialog final : public ModalDialog {
public:
    explicit ImportDialog(const ImportDialogContext& c) : c_(c) {}
    // Runs the dialog; the group the shortcuts went into, empty when
    // nothing was imported.
    std::u16string Ask(HWND owner);

private:
    bool OnInit() override;
    void OnOk() override;
    void OnCommand(int id, int code) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    ImportSource Source() const;
    void SourceChanged();
    void Browse();
    void RefreshPreview();
    void FillPreview();
    void ShowSummary(const std::u16string& text);
    void EnableGroupFields();
    std::u16string ChosenGroup() const;
    void CopyReport();

    const ImportDialogContext& c_;
    ListView list_;
    ImportPreview preview_;
    std::u16string defaultName_;  // the new group's name as last proposed
    std::u16string importedInto_;
    bool stale_ = false;  // the location changed since the preview was made
};

}  // namespace kx
