// The main window's moving-in and moving-out commands: Import from Another
// Program and Export to CSV.
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include "app/dialogs/backup_dialog.h"
#include "app/dialogs/import_dialog.h"
#include "app/main/app_core.h"
#include "core/group_registry.h"
#include "core/local_store.h"
#include "picture/wic_codec_win32.h"

namespace kx {
namespace {

constexpr char16_t kExportTitle[] = u"Export to CSV";

std::u16string ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, 0, path))) return {};
    return U(path);
}

std::u16string TempFolder() {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    return U(temp);
}

// The save-file dialog of the export; empty when cancelled.
std::u16string ChooseCsvFile(HWND owner, std::u16string_view fileName) {
    wchar_t path[MAX_PATH] = {};
    W(fileName.substr(0, MAX_PATH - 1)).copy(path, MAX_PATH - 1);
    const std::wstring start = W(ShellFolder(CSIDL_PERSONAL));
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = L"CSV File (*.csv)\0*.csv\0All Files (*.*)\0*.*\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    // Its own title: the question before it and the message after it are "Export to CSV".
    ofn.lpstrTitle = L"Save CSV File";
    ofn.lpstrInitialDir = start.empty() ? nullptr : start.c_str();
    ofn.lpstrDefExt = L"csv";
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_OVERWRITEPROMPT;
    return ::GetSaveFileNameW(&ofn) ? U(path) : std::u16string();
}

std::u16string Count(size_t n, const char16_t* one, const char16_t* many) {
    return U(std::to_wstring(n)) + u" " + (n == 1 ? one : many);
}

}  // namespace

void AppCore::ImportFromProgram() {
    AppServices& s = *services_;
    // Pictures named by espanso matches are encoded as the picture editor does.
    std::unique_ptr<ImageCodec> codec = MakeWicCodec();
    const ImportDialogContext c{s.ctx, s.stores,
                                ImportFolders{ShellFolder(CSIDL_APPDATA), ShellFolder(CSIDL_LOCAL_APPDATA)},
                                ImportEnvironment{LocalTimeNow(), codec.get(), TempFolder(), nullptr}, &s.cursor};
    const std::u16string group = ImportDialog(c).Ask(window_);
    if (group.empty()) return;
    // The main window shows the group the shortcuts went into.
    GroupRegistry(s.settings).SetCurrentName(group);
    LoadLocalStore(s.ctx, s.stores);
    RefillList();
    RefreshGroupView();
}

void AppCore::ExportToCsv() {
    const DataContext& ctx = services_->ctx;
    GroupRegistry groups(ctx.settings);
    std::u16string current = groups.CurrentName();
    if (current.empty()) current = kDefaultGroupName;
    std::vector<std::u16string> chosen{current};
    std::u16string fileName = current + u".csv";
    const std::vector<std::u16string> all = groups.Names();
    if (all.size() > 1) {
        QuestionBox question;
        question.title = kExportTitle;
        question.text = u"Export the shortcuts of the group \"" + current + u"\", or of all " +
                        U(std::to_wstring(all.size())) + u" groups?";
        question.buttons = {u"This Group", u"All Groups"};
        const QuestionAnswer answer = ctx.prompt.Ask(question);
        if (answer.button == QuestionAnswer::kCancelled) return;
        if (answer.button == 1) {
            chosen = all;
            fileName = u"Kestrix shortcuts.csv";
        }
    }
    const std::u16string path = ChooseCsvFile(window_, fileName);
    if (path.empty()) return;
    CsvExportOutcome out;
    {
        BusyScope busy(&services_->cursor);
        out = ExportGroupsToCsv(ctx, chosen, path);
    }
    if (!out.written) {
        ctx.prompt.ShowMessage(MessageIcon::Error, kExportTitle, out.error);
        return;
    }
    std::u16string text = u"Exported " + Count(out.rows, u"shortcut", u"shortcuts") + u" to " + path + u".";
    if (out.picturesSkipped || out.macrosSkipped)
        text += u"\r\nLeft out, as CSV holds text only: " + Count(out.picturesSkipped, u"picture", u"pictures") +
                u" and " + Count(out.macrosSkipped, u"macro", u"macros") + u".";
    ctx.prompt.ShowMessage(MessageIcon::Information, kExportTitle, text);
}

}  // namespace kx
