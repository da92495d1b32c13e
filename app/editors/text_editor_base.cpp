#include "app/editors/text_editor_base.h"

#include <commctrl.h>

#include "app/editors/text_import.h"
#include "app/resource_ids.h"
#include "app/shell/help_topics.h"
#include "core/admin_password.h"
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
    AddTooltips();
    keyword.Focus();
    return false;
}

void TextEditorBase::AddTooltips() {
    tooltips_.Reset(::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0,
                                      0, Self(), nullptr, ::GetModuleHandleW(nullptr), nullptr));
    const struct { int id; const wchar_t* text; } tips[] = {
        {IDC_EDITOR_IMPORT, L"Import Text from File"},
        {IDC_EDITOR_CLEAR, L"Clear the Text"},
        {IDC_EDITOR_PASTE, L"Paste Text from the Clipboard"},
        {IDC_EDITOR_CONVERT, ConvertTooltip()},
    };
    for (const auto& t : tips) {
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof(ti);
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = Self();
        ti.uId = reinterpret_cast<UINT_PTR>(Item(t.id).Handle());
        ti.lpszText = const_cast<wchar_t*>(t.text);
        ::SendMessageW(tooltips_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

void TextEditorBase::ShowFieldBalloon(int field, std::u16string_view title, std::u16string_view text) {
    Window control = Item(field);
    control.Focus();
    balloon_.Show(control, title, text, TTI_WARNING);
}

bool TextEditorBase::KeywordUnique() {
    const std::u16string keyword = U(Item(IDC_EDIT_KEYWORD).Text());
    if (request_.store && KeywordInUse(*request_.store, keyword, request_.isNew ? u"" : request_.oldKeyword)) {
        ShowFieldBalloon(IDC_EDIT_KEYWORD, u"Unique Keyword Required",
                         u"This Keyword is already in use, please enter another.");
        return false;
    }
    return true;
}

void TextEditorBase::OnOk() {
    balloon_.Hide();
    if (Item(IDC_EDIT_KEYWORD).Text().empty()) {
        ShowFieldBalloon(IDC_EDIT_KEYWORD, u"Keyword Required", u"Please enter a keyword.");
        return;
    }
    if (request_.shared && request_.store && !outcome_.passwordChecked) {
        std::u16string password;
        request_.store->GetAdminPassword(password);
        if (!password.empty()) {
            if (!MayChangeShared(*request_.store, services_.dialogs, services_.ctx.prompt)) return;
            outcome_.passwordChecked = true;
        }
    }
    if (ExpansionEmpty()) {
        ShowFieldBalloon(ExpansionId(), u"Expansion text is empty", u"Please add text for this expansion.");
        return;
    }
    if (!KeywordUnique()) return;
    outcome_.end = EditorEnd::Accepted;
    outcome_.keyword = AsciiUpper(U(Item(IDC_EDIT_KEYWORD).Text()));
    FillOutcome(outcome_);
    // The store's insert checks the keyword again under its lock: another
    // thread or user may have taken it since the check above.
    if (request_.save && request_.save(outcome_) == StoreResult::KeywordInUse) {
        outcome_.end = EditorEnd::Cancelled;
        ShowFieldBalloon(IDC_EDIT_KEYWORD, u"Unique Keyword Required",
                         u"This Keyword is already in use, please enter another.");
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
        if (!KeywordUnique() || !ConfirmConversion()) break;
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
