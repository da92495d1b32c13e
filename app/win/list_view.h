// A report-view list control: columns, rows with an image and a value,
// texts by row and column, the selection, and columns that can be hidden.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <bitset>
#include <string>
#include <vector>

namespace kx {

class ListView {
public:
    static constexpr int kMaxColumns = 16;

    void Attach(HWND list) { list_ = list; }
    HWND Handle() const { return list_; }

    void AddColumn(int index, std::wstring_view header, int width);
    void SetColumnHeader(int index, std::wstring_view header);
    int ColumnWidth(int index) const;
    void SetColumnWidth(int index, int width);
    int ColumnCount() const;

    // Hidden columns have width 0, sit behind the visible ones and refuse
    // to be resized (see RefusesResize).
    void SetColumnHidden(int index, bool hidden);
    bool ColumnHidden(int index) const { return index >= 0 && index < kMaxColumns && hidden_[size_t(index)]; }
    // Call on HDN_BEGINTRACK and HDN_DIVIDERDBLCLICK: true to refuse.
    bool RefusesResize(int column) const { return ColumnHidden(column); }
    // The width a hidden column had before it was hidden.
    int RememberedWidth(int index) const;

    void DeleteAllRows();
    // Appends a row; returns its index.
    int AddRow(std::wstring_view text, int image, LPARAM value);
    void SetText(int row, int column, std::wstring_view text);
    std::wstring Text(int row, int column, size_t limit = 260) const;
    LPARAM Value(int row) const;
    int RowCount() const;

    std::vector<int> SelectedRows() const;
    int SelectedCount() const;
    void SelectAll();

private:
    void ApplyColumnOrder();

    HWND list_ = nullptr;
    std::bitset<kMaxColumns> hidden_;
    int savedWidths_[kMaxColumns] = {};
};

}  // namespace kx
