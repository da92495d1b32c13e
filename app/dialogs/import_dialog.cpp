#include "app/dialogs/import_dialog.h"

#include <span>

#include "app/resource_ids.h"
#include "app/win/file_picker.h"
#include "core/file_paths.h"
#include "core/group_commands.h"
#include "core/group_registry.h"
#include "platform/win32/clipboard_win32.h"

namespace kx {
namespace {

constexpr char16_t kTitle[] = u"Import from Another Program";
// The preview follows the location field once typing pauses, so that a
// large folder is not read again for every key.
constexpr UINT_PTR kPreviewTimer = 1;
constexpr UINT kPreviewDelayMs = 400;

enum Column { kKeyword, kText, kStatus, kReason };

// The sources in the order the list offers them, as the user knows them.
struct SourceChoice {
    ImportSource source;
    const wchar_t* text;
};
constexpr SourceChoice kSources[] = {
    {ImportSource::Espanso, L"espanso"},
    {ImportSource::Beeftext, L"Beeftext"},
    {ImportSource::AutoHotkey, L"AutoHotkey script"},
    {ImportSource::TextExpander, L"TextExpander"},
    {ImportSource::Csv, L"CSV"},
};

// A new group is named after its source; "espanso 2" and so on when a group
// of that name exists already.
std::u16string UnusedGroupName(const GroupRegistry& groups, const std::u16string& base) {
    if (!groups.Exists(base)) return base;
    for (int n = 2;; ++n) {
        std::u16string name = base + u" " + U(std::to_wstring(n));
        if (!groups.Exists(name)) return name;
    }
}

std::u16string JoinNotes(const std::vector<std::u16string>& notes) {
    std::u16string out;
    for (const std::u16string& n : notes) out += (out.empty() ? u"" : u"; ") + n;
    return out;
}

// The folder a file or folder path starts the picker in.
std::wstring StartFolder(const std::wstring& path) {
    if (path.empty()) return {};
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return path;
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

}  // namespace

std::u16string ImportDialog::Ask(HWND owner) {
    importedInto_.clear();
    Run(owner, IDD_IMPORT);
    return importedInto_;
}

bool ImportDialog::OnInit() {
    for (const SourceChoice& s : kSources)
        Item(IDC_IMPORT_SOURCE).Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.text));
    Item(IDC_IMPORT_SOURCE).Send(CB_SETCURSEL, 0);
    Item(IDC_IMPORT_LOCATION).Send(EM_LIMITTEXT, MAX_PATH - 1);
    Item(IDC_IMPORT_NEW_NAME).Send(EM_LIMITTEXT, kMaxGroupNameChars);

    GroupRegistry groups(c_.ctx.settings);
    std::u16string current = groups.CurrentName();
    if (current.empty()) current = kDefaultGroupName;
    for (const std::u16string& name : groups.Names()) {
        const LRESULT at = Item(IDC_IMPORT_GROUPS).Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(name).c_str()));
        if (name == current) Item(IDC_IMPORT_GROUPS).Send(CB_SETCURSEL, WPARAM(at));
    }
    Item(IDC_IMPORT_NEW_GROUP).Check(true);
    Item(IDC_IMPORT_SKIP).Check(true);

    list_.Attach(Item(IDC_IMPORT_PREVIEW));
    // A cut cell shows its whole text when the mouse rests on it.
    ListView_SetExtendedListViewStyle(list_.Handle(), LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_INFOTIP);
    list_.AddColumn(kKeyword, L"Shortcut", DialogUnitsX(Self(), 60));
    list_.AddColumn(kText, L"Text", DialogUnitsX(Self(), 110));
    list_.AddColumn(kStatus, L"Status", DialogUnitsX(Self(), 40));
    list_.AddColumn(kReason, L"Reason", DialogUnitsX(Self(), 245));

    SourceChanged();
    EnableGroupFields();
    Item(IDC_IMPORT_SOURCE).Focus();
    return false;
}

ImportSource ImportDialog::Source() const {
    const LRESULT at = Item(IDC_IMPORT_SOURCE).Send(CB_GETCURSEL);
    return at >= 0 && size_t(at) < std::size(kSources) ? kSources[at].source : ImportSource::Csv;
}

void ImportDialog::SourceChanged() {
    const ImportSource source = Source();
    // A name the user typed stays; the one proposed for the last source follows the source.
    const std::u16string typed = U(Item(IDC_IMPORT_NEW_NAME).Text());
    if (typed.empty() || typed == defaultName_) {
        defaultName_ = UnusedGroupName(GroupRegistry(c_.ctx.settings), ImportSourceName(source));
        Item(IDC_IMPORT_NEW_NAME).SetText(std::u16string_view(defaultName_));
    }
    // Setting the field starts the preview's timer.
    Item(IDC_IMPORT_LOCATION).SetText(DefaultImportLocation(source, c_.folders));
    RefreshPreview();
}

void ImportDialog::Browse() {
    const ImportSource source = Source();
    const std::wstring start = StartFolder(Item(IDC_IMPORT_LOCATION).Text());
    std::wstring chosen;
    if (ImportSourceIsFolder(source)) {
        chosen = PickFolder(Self(), L"Select the folder of the match files", start, L"Select");
    } else {
        std::vector<FileFilter> filters;
        switch (source) {
            case ImportSource::Beeftext: filters.push_back({L"Beeftext combo list", L"*.json"}); break;
            case ImportSource::AutoHotkey: filters.push_back({L"AutoHotkey script", L"*.ahk"}); break;
            default: filters.push_back({L"CSV file", L"*.csv;*.txt"}); break;
        }
        filters.push_back({L"All Files", L"*.*"});
        chosen = PickFileToOpen(Self(), L"Select the file to import", filters, start);
    }
    if (chosen.empty()) return;
    Item(IDC_IMPORT_LOCATION).SetText(std::wstring_view(chosen));
    RefreshPreview();
}

void ImportDialog::RefreshPreview() {
    ::KillTimer(Self(), kPreviewTimer);
    stale_ = false;
    if (!importedInto_.empty()) return;  // the list now shows what the import did
    const std::u16string path = U(Item(IDC_IMPORT_LOCATION).Text());
    if (path.empty()) {
        preview_ = ImportPreview{};
        preview_.source = Source();
    } else {
        BusyScope busy(c_.cursor);
        preview_ = PreviewImport(Source(), path, c_.env);
    }
    FillPreview();
    const ImportCounts counts = CountImport(preview_);
    if (path.empty()) ShowSummary(u"Choose the file or folder to import from.");
    else if (!preview_.problems.empty()) ShowSummary(JoinNotes(preview_.problems));
    else ShowSummary(u"Preview: " + ImportSummaryText(counts));
    Item(IDOK).Enable(counts.imported + counts.changed > 0);
}

void ImportDialog::FillPreview() {
    ::SendMessageW(list_.Handle(), WM_SETREDRAW, FALSE, 0);
    list_.DeleteAllRows();
    for (size_t i = 0; i < preview_.items.size(); ++i) {
        const ImportItem& item = preview_.items[i];
        const int row = list_.AddRow(W(item.keyword.empty() ? item.sourceKeyword : item.keyword), -1, LPARAM(i));
        list_.SetText(row, kText, W(ImportTextStart(item)));
        list_.SetText(row, kStatus, W(ImportStatusText(item.status)));
        list_.SetText(row, kReason, W(JoinNotes(item.notes)));
    }
    ::SendMessageW(list_.Handle(), WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_.Handle(), nullptr, TRUE);
}

void ImportDialog::ShowSummary(const std::u16string& text) { Item(IDC_IMPORT_SUMMARY).SetText(std::u16string_view(text)); }

void ImportDialog::EnableGroupFields() {
    const bool open = importedInto_.empty();
    const bool isNew = Item(IDC_IMPORT_NEW_GROUP).Checked();
    Item(IDC_IMPORT_NEW_NAME).Enable(open && isNew);
    Item(IDC_IMPORT_GROUPS).Enable(open && !isNew);
}

std::u16string ImportDialog::ChosenGroup() const {
    if (Item(IDC_IMPORT_NEW_GROUP).Checked()) return std::u16string(TrimSpaces(U(Item(IDC_IMPORT_NEW_NAME).Text())));
    return U(Item(IDC_IMPORT_GROUPS).Text());
}

void ImportDialog::OnOk() {
    if (!importedInto_.empty()) return;
    // The location changed since the last preview: import what it names now.
    if (stale_) RefreshPreview();
    const ImportCounts counts = CountImport(preview_);
    if (counts.imported + counts.changed == 0) return;
    const std::u16string group = ChosenGroup();
    if (Item(IDC_IMPORT_NEW_GROUP).Checked()) {
        const char16_t* refusal = nullptr;
        const char16_t* title = nullptr;
        if (group.empty()) title = u"Name Required", refusal = u"Please enter the name for the shortcut group.";
        else if (HasInvalidGroupChar(group)) title = u"Invalid Name", refusal = u"The name cannot contain invalid characters /\\:*?\"<>|";
        else if (GroupRegistry(c_.ctx.settings).Exists(group))
            title = u"Exists", refusal = u"This group name already exists. Please use another name.";
        if (refusal) {
            c_.ctx.prompt.ShowMessage(MessageIcon::Warning, title, refusal);
            Item(IDC_IMPORT_NEW_NAME).Focus();
            return;
        }
    } else if (group.empty()) {
        return;
    }
    const ImportConflict conflict = Item(IDC_IMPORT_SUFFIX).Checked() ? ImportConflict::Suffix : ImportConflict::Skip;
    GroupImportOutcome out;
    {
        BusyScope busy(c_.cursor);
        out = ImportIntoGroup(c_.ctx, group, preview_, conflict, &c_.stores);
    }
    if (!out.done) {
        c_.ctx.prompt.ShowMessage(MessageIcon::Error, kTitle, out.error);
        return;
    }
    importedInto_ = group;
    FillPreview();
    ShowSummary(ImportSummaryText(out.counts));
    // What is left to do: copy the report, or close.
    for (int id : {IDOK, IDC_IMPORT_SOURCE, IDC_IMPORT_LOCATION, IDC_IMPORT_BROWSE, IDC_IMPORT_NEW_GROUP,
                   IDC_IMPORT_EXISTING_GROUP, IDC_IMPORT_SKIP, IDC_IMPORT_SUFFIX})
        Item(id).Enable(false);
    EnableGroupFields();
    Self().Send(DM_SETDEFID, IDCANCEL);
    Item(IDCANCEL).Focus();
}

void ImportDialog::CopyReport() {
    std::u16string report = ImportReportText(preview_);
    if (!importedInto_.empty()) report += u"Imported into the group \"" + importedInto_ + u"\".\r\n";
    Win32Clipboard clipboard;
    ClipboardSession session(clipboard);
    if (!session.Open(WindowHandle(Self().Handle()))) return;
    clipboard.Empty();
    const auto* bytes = reinterpret_cast<const uint8_t*>(report.c_str());
    clipboard.SetData(CF_UNICODETEXT, std::span<const uint8_t>(bytes, (report.size() + 1) * sizeof(char16_t)));
}

void ImportDialog::OnCommand(int id, int code) {
    switch (id) {
        case IDC_IMPORT_SOURCE:
            if (code == CBN_SELCHANGE) SourceChanged();
            return;
        case IDC_IMPORT_LOCATION:
            if (code == EN_CHANGE && importedInto_.empty()) {
                stale_ = true;
                ::SetTimer(Self(), kPreviewTimer, kPreviewDelayMs, nullptr);
            }
            return;
        case IDC_IMPORT_BROWSE: Browse(); return;
        case IDC_IMPORT_NEW_GROUP:
        case IDC_IMPORT_EXISTING_GROUP: EnableGroupFields(); return;
        case IDC_IMPORT_COPY: CopyReport(); return;
        default: return;
    }
}

bool ImportDialog::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
    if (message != WM_TIMER || wParam != kPreviewTimer) return false;
    RefreshPreview();
    result = 0;
    return true;
}

}  // namespace kx
