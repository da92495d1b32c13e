// The main window's shortcut list: the merged rows of the current group and
// the shared store, their previews and images, the sort order, the hidden
// location column and the column widths kept in "listview".
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "settings/settings_store.h"
#include "platform/win32/handles.h"
#include "app/win/list_view.h"
#include "core/display_records.h"

namespace kx {

enum MainColumn { kColShortcut = 0, kColExpansion = 1, kColOverridden = 2, kColType = 3, kColLocation = 4 };

class MainList {
public:
    // Creates control 101 in `parent` with its columns and row images.
    void Create(HWND parent);
    HWND Handle() const { return view_.Handle(); }
    ListView& View() { return view_; }

    // Replaces the rows and sorts them; only those the filter keeps are shown.
    void Fill(std::vector<DisplayRecord> records, bool sharedEnabled);
    // The filter box's text: the rows are shown again, narrowed to it.
    void SetFilter(std::u16string filter);
    void SetExpansionHeader(std::u16string_view text);

    // A header click: sorts by the column, reversing the direction when it
    // is the sort column already.
    void OnHeaderClick(int column);
    void Sort();

    // The record a row shows; null for a row that has none.
    const DisplayRecord* RecordAt(int row) const;
    std::vector<const DisplayRecord*> Selected() const;
    size_t RowCount() const { return records_.size(); }

    void RestoreWidths(const SettingsStore& settings);
    void StoreWidths(SettingsStore& settings) const;

private:
    static int CALLBACK Compare(LPARAM a, LPARAM b, LPARAM self);

    ListView view_;
    UniqueImageList images_;
    void AddRows();

    std::vector<DisplayRecord> records_;
    std::u16string filter_;
    bool sharedEnabled_ = false;
    std::vector<std::wstring> sortTexts_;  // by record number, while sorting
    int sortColumn_ = kColShortcut;
    bool ascending_ = true;
};

// The row image of a kind: picture 1, macro 2, simple text 3, rich text 4.
int RowImageFor(ShortcutKind kind);

}  // namespace kx
