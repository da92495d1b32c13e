#include "app/win/list_view.h"

#include <algorithm>

namespace kx {

void ListView::AddColumn(int index, std::wstring_view header, int width) {
    std::wstring text(header);
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    c.pszText = text.data();
    c.cx = width;
    c.iSubItem = index;
    ListView_InsertColumn(list_, index, &c);
}

void ListView::SetColumnHeader(int index, std::wstring_view header) {
    std::wstring text(header);
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT;
    c.pszText = text.data();
    ListView_SetColumn(list_, index, &c);
}

int ListView::ColumnWidth(int index) const { return ListView_GetColumnWidth(list_, index); }

void ListView::SetColumnWidth(int index, int width) {
    if (ColumnHidden(index)) savedWidths_[index] = width;
    else ListView_SetColumnWidth(list_, index, width);
}

int ListView::ColumnCount() const {
    HWND header = ListView_GetHeader(list_);
    return header ? Header_GetItemCount(header) : 0;
}

int ListView::RememberedWidth(int index) const {
    return ColumnHidden(index) ? savedWidths_[index] : ColumnWidth(index);
}

void ListView::SetColumnHidden(int index, bool hidden) {
    if (index < 0 || index >= kMaxColumns || hidden_[size_t(index)] == hidden) return;
    if (hidden) {
        savedWidths_[index] = ColumnWidth(index);
        hidden_[size_t(index)] = true;
        ListView_SetColumnWidth(list_, index, 0);
    } else {
        hidden_[size_t(index)] = false;
        ListView_SetColumnWidth(list_, index, savedWidths_[index] > 0 ? savedWidths_[index] : 80);
    }
    ApplyColumnOrder();
}

void ListView::ApplyColumnOrder() {
    const int n = ColumnCount();
    std::vector<int> order;
    for (int i = 0; i < n; ++i)
        if (!ColumnHidden(i)) order.push_back(i);
    for (int i = 0; i < n; ++i)
        if (ColumnHidden(i)) order.push_back(i);
    if (n > 0) ListView_SetColumnOrderArray(list_, n, order.data());
}

void ListView::DeleteAllRows() { ListView_DeleteAllItems(list_); }

int ListView::AddRow(std::wstring_view text, int image, LPARAM value) {
    std::wstring t(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = RowCount();
    item.pszText = t.data();
    item.iImage = image;
    item.lParam = value;
    return ListView_InsertItem(list_, &item);
}

void ListView::SetText(int row, int column, std::wstring_view text) {
    std::wstring t(text);
    ListView_SetItemText(list_, row, column, t.data());
}

std::wstring ListView::Text(int row, int column, size_t limit) const {
    std::wstring buffer(limit + 1, L'\0');
    ListView_GetItemText(list_, row, column, buffer.data(), int(buffer.size()));
    buffer.resize(wcslen(buffer.c_str()));
    return buffer;
}

LPARAM ListView::Value(int row) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    return ListView_GetItem(list_, &item) ? item.lParam : -1;
}

int ListView::RowCount() const { return ListView_GetItemCount(list_); }

std::vector<int> ListView::SelectedRows() const {
    std::vector<int> rows;
    // Each answer lies after the row asked from; a list that is gone answers
    // 0 every time, which must end the walk rather than repeat forever.
    for (int i = ListView_GetNextItem(list_, -1, LVNI_SELECTED); i >= 0 && (rows.empty() || i > rows.back());
         i = ListView_GetNextItem(list_, i, LVNI_SELECTED))
        rows.push_back(i);
    return rows;
}

int ListView::SelectedCount() const { return ListView_GetSelectedCount(list_); }

void ListView::SelectAll() { ListView_SetItemState(list_, -1, LVIS_SELECTED, LVIS_SELECTED); }

}  // namespace kx
