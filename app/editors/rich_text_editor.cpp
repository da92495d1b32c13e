#include "app/editors/rich_text_editor.h"

#include <commdlg.h>
#include <richedit.h>

#include <cwchar>

#include "app/editors/rich_edit_template.h"
#include "app/editors/rich_edit_text.h"
#include "app/editors/text_import.h"
#include "app/resource_ids.h"

namespace kx {
namespace {

constexpr int kSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

struct EffectButton {
    int id;
    DWORD effect;
};
constexpr EffectButton kEffects[] = {{IDC_RICH_BOLD, CFE_BOLD},
                                     {IDC_RICH_ITALIC, CFE_ITALIC},
                                     {IDC_RICH_UNDERLINE, CFE_UNDERLINE},
                                     {IDC_RICH_STRIKE, CFE_STRIKEOUT}};

}  // namespace

int RichTextEditor::TemplateId() const { return IDD_RICH_TEXT; }

void RichTextEditor::RunDialog(HWND owner) {
    const wchar_t* richEdit = AvailableRichEditClass();
    if (richEdit == std::wstring_view(kRichEdit50Class)) {
        Run(owner, TemplateId());
        return;
    }
    const std::vector<uint8_t> copy = TemplateWithRichEditClass(::GetModuleHandleW(nullptr), TemplateId(), richEdit);
    if (!copy.empty()) RunTemplate(owner, copy.data());
}
int RichTextEditor::ExpansionId() const { return IDC_RICH_EXPANSION; }

void RichTextEditor::InitExpansion() {
    HWND edit = Item(IDC_RICH_EXPANSION);
    ::SendMessageW(edit, EM_SETEVENTMASK, 0, ENM_SELCHANGE);
    ::SendMessageW(edit, EM_EXLIMITTEXT, 0, 1 << 20);
    if (!request_.rich.empty()) SetRichEditRtf(edit, request_.rich);
    // A new shortcut made from a phrase (a suggestion) brings its text only.
    else if (!request_.plain.empty()) SetRichEditRtf(edit, PlainTextToRtf(request_.plain));
    Window size = Item(IDC_RICH_SIZE);
    for (int s : kSizes) size.Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(s).c_str()));
    for (int i = 0; i < 16; ++i) customColours_[i] = RGB(255, 255, 255);
    ShowSelectionState();
}

bool RichTextEditor::ExpansionEmpty() { return ::GetWindowTextLengthW(Item(IDC_RICH_EXPANSION)) == 0; }

void RichTextEditor::ImportBytes(const std::string& bytes) {
    HWND edit = Item(IDC_RICH_EXPANSION);
    ::SetWindowTextW(edit, L"");
    SetRichEditRtf(edit, RichTextFromImport(bytes));
    ShowSelectionState();
}

void RichTextEditor::FillOutcome(EditorOutcome& out) {
    HWND edit = Item(IDC_RICH_EXPANSION);
    out.plain = U(RichEditPlainText(edit));
    if (out.end == EditorEnd::Convert) {
        out.kind = ShortcutKind::SimpleText;
        out.rich.clear();
    } else {
        out.kind = ShortcutKind::RichText;
        out.rich = StoredRichText(RichEditRtf(edit));
    }
}

bool RichTextEditor::ConfirmConversion() {
    SettingsStore& settings = services_.ctx.settings;
    if (settings.ReadBool(settings::ConfirmRichToSimpleTextConversion)) return true;
    QuestionBox q;
    q.title = u"Confirm Convert";
    q.text = u"If you convert to rich text to simple text you will lose all formatting. Are you sure you want to convert?";
    q.buttons = {u"Convert"};
    q.checkBox = u"Don't show this again";
    q.cancellable = true;
    q.icon = MessageIcon::Question;
    const QuestionAnswer a = services_.ctx.prompt.Ask(q);
    settings.WriteBool(settings::ConfirmRichToSimpleTextConversion, a.checked);
    return a.button == 0;
}

void RichTextEditor::OnCommand(int id, int code) {
    HWND edit = Item(IDC_RICH_EXPANSION);
    for (const EffectButton& b : kEffects) {
        if (id != b.id) continue;
        SetSelectionEffect(edit, b.effect, Item(b.id).Checked());
        ::SetFocus(edit);
        return;
    }
    if (id == IDC_RICH_TEXT_COLOUR || id == IDC_RICH_BACK_COLOUR) {
        PickColour(id == IDC_RICH_BACK_COLOUR);
        return;
    }
    if (id == IDC_RICH_SIZE) {
        if (code == CBN_SELCHANGE) {
            const LRESULT i = Item(IDC_RICH_SIZE).Send(CB_GETCURSEL);
            if (i >= 0 && size_t(i) < std::size(kSizes)) SetSelectionPointSize(edit, kSizes[i]);
        } else if (code == CBN_KILLFOCUS) {
            ApplySizeBox();
        }
        return;
    }
    TextEditorBase::OnCommand(id, code);
    if (id == IDC_EDITOR_CLEAR || id == IDC_EDITOR_PASTE) ShowSelectionState();
}

void RichTextEditor::ApplySizeBox() {
    const int points = _wtoi(Item(IDC_RICH_SIZE).Text().c_str());
    if (points > 0) SetSelectionPointSize(Item(IDC_RICH_EXPANSION), points);
}

INT_PTR RichTextEditor::OnNotify(NMHDR& header) {
    if (header.idFrom == IDC_RICH_EXPANSION && header.code == EN_SELCHANGE) ShowSelectionState();
    return 0;
}

void RichTextEditor::ShowSelectionState() {
    HWND edit = Item(IDC_RICH_EXPANSION);
    const DWORD effects = SelectionEffects(edit);
    for (const EffectButton& b : kEffects) Item(b.id).Check((effects & b.effect) != 0);
    const int points = SelectionPointSize(edit);
    if (::GetFocus() != Item(IDC_RICH_SIZE).Handle() && points > 0)
        Item(IDC_RICH_SIZE).SetText(std::wstring_view(std::to_wstring(points)));
}

void RichTextEditor::PickColour(bool background) {
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = Self();
    cc.lpCustColors = customColours_;
    cc.rgbResult = background ? RGB(255, 255, 0) : RGB(0, 0, 0);
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!::ChooseColorW(&cc)) return;
    HWND edit = Item(IDC_RICH_EXPANSION);
    if (background) SetSelectionBackColour(edit, cc.rgbResult);
    else SetSelectionTextColour(edit, cc.rgbResult);
    ::SetFocus(edit);
}

}  // namespace kx
