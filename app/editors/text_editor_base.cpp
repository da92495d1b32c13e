#include "app/editors/text_editor_base.h"

#include <commctrl.h>

#include "app/editors/text_import.h"
#include "app/resource_ids.h"
#include "app/shell/help_topics.h"
#include "core/file_paths.h"
#include "base/text.h"

namespace kx {
namespace {

// Reads a whole file, or says why it could not.
enum class ReadResult { Ok, TooLarge, Unreadable };

ReadResult ReadImportFile(const std::wstring& path, std::string& bytes) {
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
        file.Release();
        return ReadResult::Unreadable;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) return ReadResult::Unreadable;
    if (!ImportSizeAllowed(uint64_t(size.QuadPart))) return ReadResult::TooLarge;
    bytes.assign(size_t(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!::ReadFile(file.Get(), bytes.data(), DWORD(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        return ReadResult::Unreadable;
    return ReadResult::Ok;
}

}  // namespace

EditorOutcome TextEditorBase::Open(HWND owner) {
    outcome_ = {};
    outcome_.kind = Kind();
    outcome_.passwordChecked = request_.passwordChecked;
    RunDialog(owner);
    return outcome_;
}

bool TextEditorBase::OnInit() {
    Self().SetText(std::wstring_view(Title(request_.isNew)));
    Window keyword = Item(IDC_EDIT_KEYWORD);
    keyword.Send(EM_LIMITTEXT, 259);
    keyword.Send(EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"e.g. TAG"));
    keyword.SetText(request_.keyword);
    InitExpansion();
    AddEditorTips(tooltips_, Self(),
                  {{IDC_EDITOR_IMPORT, L"Import Text from File"},
                   {IDC_EDITOR_CLEAR, L"Clear the Text"},
                   {IDC_EDITOR_PASTE, L"Paste Text from the Clipboard"},
                   {IDC_EDITOR_CONVERT, ConvertTooltip()}});
    keyword.Focus();
    return false;
}

void TextEditorBase::OnOk() {
    const Window keyword = Item(IDC_EDIT_KEYWORD);
    if (!EditorOkStart(request_, services_, outcome_, balloon_, keyword, u"Please enter a keyword.")) return;
    if (ExpansionEmpty()) {
        ShowFieldBalloon(balloon_, Item(ExpansionId()), u"Expansion text is empty",
                         u"Please add text for this expansion.");
        return;
    }
    if (!KeywordUnique(request_, balloon_, keyword)) return;
    outcome_.end = EditorEnd::Accepted;
    outcome_.keyword = AsciiUpper(U(Item(IDC_EDIT_KEYWORD).Text()));
    FillOutcome(outcome_);
    // The store's insert checks the keyword again under its lock: another
    // thread or user may have taken it since the check above.
    if (request_.save && request_.save(outcome_) == StoreResult::KeywordInUse) {
        outcome_.end = EditorEnd::Cancelled;
        ShowKeywordInUse(balloon_, keyword);
        return;
    }
    End(IDOK);
}

void TextEditorBase::OnCommand(int id, int code) {
    switch (id) {
    case IDC_EDITOR_IMPORT:
        Import();
        break;
    case IDC_EDITOR_CLEAR:
        Item(ExpansionId()).SetText(std::wstring_view(L""));
        Item(ExpansionId()).Focus();
        break;
    case IDC_EDITOR_PASTE:
        Item(ExpansionId()).Focus();
        Item(ExpansionId()).Send(WM_PASTE);
        break;
    case IDC_EDITOR_CONVERT:
        if (!KeywordUnique(request_, balloon_, Item(IDC_EDIT_KEYWORD)) || !ConfirmConversion()) break;
        outcome_.end = EditorEnd::Convert;
        outcome_.keyword = AsciiUpper(U(Item(IDC_EDIT_KEYWORD).Text()));
        FillOutcome(outcome_);
        Self().Show(SW_HIDE);
        End(IDOK);
        break;
    case IDHELP:
        OpenHelpTopic(Self(), HelpTopic());
        break;
    default:
        break;
    }
}

void TextEditorBase::Import() {
    SettingsStore& settings = services_.ctx.settings;
    const std::wstring start = W(settings.Read(settings::ImportDefaultPath));
    const std::wstring path = PickFileToOpen(Self(), L"Select Import File", ImportFilters(), start);
    if (path.empty()) return;
    settings.Write(settings::ImportDefaultPath, FolderOf(U(path)));
    std::string bytes;
    switch (ReadImportFile(path, bytes)) {
    case ReadResult::TooLarge:
        services_.ctx.prompt.ShowMessage(MessageIcon::Warning, u"File Too Large",
                                         u"You cannot import a file larger than 100 KB.");
        return;
    case ReadResult::Unreadable:
        services_.ctx.prompt.ShowMessage(
            MessageIcon::Error, u"Unable to open file.",
            u"Unable to open file.  It may be in use by another program, or you may not have permission to view it.");
        return;
    case ReadResult::Ok:
        ImportBytes(bytes);
        return;
    }
}

}  // namespace kx
