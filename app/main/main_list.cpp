#include "app/main/main_list.h"

#include <shlwapi.h>

#include <cwchar>

#include "app/main/list_text.h"
#include "app/resource_ids.h"
#include "app/win/wide.h"
#include "core/list_filter.h"

namespace kx {
namespace {

constexpr int kProportions[] = {20, 25, 25, 12, 8};
const wchar_t* const kHeaders[] = {L"Shortcut", L"Expands to (Local group: Default)", L"Overridden expansion", L"Type",
                                   L"Selected location"};

}  // namespace

int RowImageFor(ShortcutKind kind) {
    switch (kind) {
    case ShortcutKind::Picture: return 1;
    case ShortcutKind::Macro: return 2;
    case ShortcutKind::SimpleText: return 3;
    case ShortcutKind::RichText: return 4;
    }
    return 0;
}

void MainList::Create(HWND parent) {
    HWND list = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 100,
                                  100, parent, reinterpret_cast<HMENU>(IDC_SHORTCUT_LIST), ::GetModuleHandleW(nullptr),
                                  nullptr);
    view_.Attach(list);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_DOUBLEBUFFER);

    const int size = ::GetSystemMetrics(SM_CXSMICON);
    images_.Reset(::ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 5, 0));
    for (int id : {IDI_ROW_BLANK, IDI_ROW_PICTURE, IDI_ROW_MACRO, IDI_ROW_SIMPLE, IDI_ROW_RICH}) {
        UniqueIcon icon(LoadAppIcon(id, size));
        ::ImageList_AddIcon(images_.Get(), icon.Get());
    }
    ListView_SetImageList(list, images_.Get(), LVSIL_SMALL);

    RECT r{};
    ::GetClientRect(parent, &r);
    const int total = r.right - r.left;
    for (int i = 0; i < 5; ++i) view_.AddColumn(i, kHeaders[i], total * kProportions[i] / 100);
    view_.SetColumnHidden(kColLocation, true);
}

void MainList::Fill(std::vector<DisplayRecord> records, bool sharedEnabled) {
    // No row may point at the old records once they are replaced.
    view_.DeleteAllRows();
    records_ = std::move(records);
    sharedEnabled_ = sharedEnabled;
    AddRows();
}

void MainList::SetFilter(std::u16string filter) {
    if (filter == filter_) return;
    filter_ = std::move(filter);
    AddRows();
}

// Rows keep their record numbers whether or not the filter shows them, so a
// row finds its record the same way either way.
void MainList::AddRows() {
    ::SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
    view_.DeleteAllRows();
    for (size_t i = 0; i < records_.size(); ++i) {
        const DisplayRecord& r = records_[i];
        if (!RowMatchesFilter(r, filter_)) continue;
        const ShortcutEntry& e = *r.expansion;
        const int row = view_.AddRow(W(r.keyword), RowImageFor(e.kind), LPARAM(i));
        view_.SetText(row, kColExpansion, W(EntryPreview(e)));
        view_.SetText(row, kColType, W(KindDisplayName(e.kind)));
        if (sharedEnabled_) {
            if (r.overridden) view_.SetText(row, kColOverridden, W(EntryPreview(*r.overridden)));
            view_.SetText(row, kColLocation, W(LocationText(r.origin)));
        }
    }
    view_.SetColumnHidden(kColLocation, !sharedEnabled_);
    Sort();
    ::SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void MainList::SetExpansionHeader(std::u16string_view text) { view_.SetColumnHeader(kColExpansion, W(text)); }

void MainList::OnHeaderClick(int column) {
    if (column == sortColumn_) ascending_ = !ascending_;
    else sortColumn_ = column, ascending_ = true;
    Sort();
}

// Rows are compared by their record numbers against texts taken before the
// sort. Row positions change while the control sorts (Wine's control looks
// them up as it goes), so reading cells by position during the sort mixed
// up the order.
int CALLBACK MainList::Compare(LPARAM a, LPARAM b, LPARAM self) {
    const auto* list = reinterpret_cast<const MainList*>(self);
    const std::vector<std::wstring>& texts = list->sortTexts_;
    static const std::wstring none;
    const std::wstring& ta = a >= 0 && size_t(a) < texts.size() ? texts[size_t(a)] : none;
    const std::wstring& tb = b >= 0 && size_t(b) < texts.size() ? texts[size_t(b)] : none;
    const int result = ::StrCmpLogicalW(ta.c_str(), tb.c_str());
    return list->ascending_ ? result : -result;
}

void MainList::Sort() {
    sortTexts_.assign(records_.size(), std::wstring());
    for (int row = 0, rows = view_.RowCount(); row < rows; ++row) {
        const LPARAM v = view_.Value(row);
        if (v >= 0 && size_t(v) < sortTexts_.size()) sortTexts_[size_t(v)] = view_.Text(row, sortColumn_, 260);
    }
    ListView_SortItems(Handle(), &Compare, reinterpret_cast<LPARAM>(this));
}

const DisplayRecord* MainList::RecordAt(int row) const {
    const LPARAM v = view_.Value(row);
    return v >= 0 && size_t(v) < records_.size() ? &records_[size_t(v)] : nullptr;
}

std::vector<const DisplayRecord*> MainList::Selected() const {
    std::vector<const DisplayRecord*> out;
    for (int row : view_.SelectedRows())
        if (const DisplayRecord* r = RecordAt(row)) out.push_back(r);
    return out;
}

void MainList::RestoreWidths(const SettingsStore& settings) {
    for (int i = 0; i < 5; ++i) {
        wchar_t name[16];
        std::swprintf(name, 16, L"Col%d", i + 1);
        const int32_t width = settings.ReadInt(settings::kListView, U(name), settings::kColumnWidthDefault);
        if (width >= 0) view_.SetColumnWidth(i, width);
    }
}

void MainList::StoreWidths(SettingsStore& settings) const {
    for (int i = 0; i < 5; ++i) {
        wchar_t name[16];
        std::swprintf(name, 16, L"Col%d", i + 1);
        settings.WriteInt(settings::kListView, U(name), view_.RememberedWidth(i));
    }
}

}  // namespace kx
