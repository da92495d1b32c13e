#include "app/suggestions/suggestions_window_win32.h"

#include <commctrl.h>

#include <algorithm>

#include "app/resource_ids.h"
#include "app/win/modal_dialog.h"
#include "app/win/wide.h"
#include "learn/suggestion_layout.h"
#include "learn/suggestion_take.h"
#include "platform/win32/handles.h"
#include "settings/settings_table.h"

namespace kx {
namespace {

constexpr DWORD kWindowStyle = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;

// An empty dialog: every control is made at run time, sized to the rows.
struct alignas(4) EmptyTemplate {
    DLGTEMPLATE header{kWindowStyle, 0, 0, 0, 0, 100, 50};
    WORD menuAndClass[2] = {0, 0};
    wchar_t title[21] = L"Shortcut Suggestions";
};

UniqueFont ArialFont(int weight) {
    return UniqueFont(::CreateFontW(15, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial"));
}

class SuggestionsDialog final : public ModalDialog {
public:
    SuggestionsDialog(SettingsStore& settings, const SuggestionActions& actions,
                      const std::vector<std::u16string>& phrases)
        : settings_(settings), actions_(actions), phrases_(phrases) {
        if (phrases_.size() > kSuggestionsShown) phrases_.resize(kSuggestionsShown);
    }

protected:
    bool OnInit() override;
    void OnOk() override { Finish(); }
    void OnCancel() override { Finish(); }
    void OnCommand(int id, int code) override;

private:
    HWND Add(const wchar_t* cls, const std::wstring& text, DWORD style, DWORD exStyle, const LayoutBox& at, int id,
             HFONT font);
    HWND AddPhraseBox(size_t row, bool scrolls);
    void AddTooltip(HWND button, const wchar_t* text);
    void MakeShortcut(size_t row, bool rich);
    void Finish();

    SettingsStore& settings_;
    const SuggestionActions& actions_;
    std::vector<std::u16string> phrases_;
    UniqueFont phraseFont_ = ArialFont(FW_NORMAL);
    UniqueFont headingFont_ = ArialFont(FW_BOLD);
    UniqueIcon appIcon_, simpleIcon_, richIcon_;
    UniqueWindow tooltips_;
};

HWND SuggestionsDialog::Add(const wchar_t* cls, const std::wstring& text, DWORD style, DWORD exStyle,
                            const LayoutBox& at, int id, HFONT font) {
    HWND w = ::CreateWindowExW(exStyle, cls, text.c_str(), style | WS_CHILD | WS_VISIBLE, at.x, at.y, at.width,
                               at.height, Self(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               ::GetModuleHandleW(nullptr), nullptr);
    if (w && font) ::SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return w;
}

// The phrase's read-only box, one line high until the layout knows how many
// lines the phrase wraps to.
HWND SuggestionsDialog::AddPhraseBox(size_t row, bool scrolls) {
    const DWORD style = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_TABSTOP | (scrolls ? WS_VSCROLL : 0);
    return Add(L"EDIT", W(phrases_[row]), style, WS_EX_CLIENTEDGE, {60, 70, 300, kSuggestionLineHeight},
               kSuggestPhrase1 + int(row), phraseFont_.Get());
}

void SuggestionsDialog::AddTooltip(HWND button, const wchar_t* text) {
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = Self();
    ti.uId = reinterpret_cast<UINT_PTR>(button);
    ti.lpszText = const_cast<wchar_t*>(text);
    ::SendMessageW(tooltips_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

bool SuggestionsDialog::OnInit() {
    // The lines each phrase wraps to decide the rows' heights; a phrase
    // longer than the box shows gets a scroll bar.
    std::vector<HWND> boxes;
    std::vector<int> lines;
    for (size_t i = 0; i < phrases_.size(); ++i) {
        HWND box = AddPhraseBox(i, false);
        int count = int(::SendMessageW(box, EM_GETLINECOUNT, 0, 0));
        if (count > kSuggestionMaxLines) {
            ::DestroyWindow(box);
            box = AddPhraseBox(i, true);
        }
        boxes.push_back(box);
        lines.push_back(count);
    }
    const SuggestionsLayout l = LayOutSuggestions(lines);

    appIcon_.Reset(LoadAppIcon(IDI_APP, 32));
    HWND icon = Add(L"STATIC", L"", SS_ICON | SS_CENTERIMAGE, 0, l.icon, kSuggestIcon, nullptr);
    ::SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(appIcon_.Get()), 0);
    ::MoveWindow(icon, l.icon.x, l.icon.y, l.icon.width, l.icon.height, FALSE);
    Add(L"STATIC",
        L"Here are some suggestions for shortcuts. You can add these as simple or rich text shortcuts.", 0, 0,
        l.heading, kSuggestHeading, headingFont_.Get());

    tooltips_.Reset(::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0,
                                      0, Self(), nullptr, ::GetModuleHandleW(nullptr), nullptr));
    simpleIcon_.Reset(LoadAppIcon(IDI_ROW_SIMPLE, 16));
    richIcon_.Reset(LoadAppIcon(IDI_ROW_RICH, 16));
    for (size_t i = 0; i < l.rows.size(); ++i) {
        const SuggestionRowLayout& row = l.rows[i];
        ::MoveWindow(boxes[i], row.phrase.x, row.phrase.y, row.phrase.width, row.phrase.height, FALSE);
        HWND simple = Add(L"BUTTON", L"", BS_PUSHBUTTON | BS_ICON | WS_TABSTOP, 0, row.simpleButton,
                          kSuggestSimpleButton1 + int(i), nullptr);
        ::SendMessageW(simple, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(simpleIcon_.Get()));
        AddTooltip(simple, L"Create this shortcut as simple text.");
        HWND rich = Add(L"BUTTON", L"", BS_PUSHBUTTON | BS_ICON | WS_TABSTOP, 0, row.richButton,
                        kSuggestRichButton1 + int(i), nullptr);
        ::SendMessageW(rich, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(richIcon_.Get()));
        AddTooltip(rich, L"Create this shortcut as rich text.");
    }
    Add(L"BUTTON", L"Don't give me suggestions", BS_AUTOCHECKBOX | WS_TABSTOP, 0, l.stopCheck, kSuggestStop,
        phraseFont_.Get());
    HWND close = Add(L"BUTTON", L"Close", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, l.closeButton, kSuggestClose,
                     phraseFont_.Get());

    // The client area as laid out, the window centred on its owner (on the
    // screen while the owner is hidden).
    RECT frame{0, 0, l.clientWidth, l.clientHeight};
    ::AdjustWindowRectEx(&frame, kWindowStyle, FALSE, DWORD(::GetWindowLongPtrW(Self(), GWL_EXSTYLE)));
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT around{};
    HWND owner = ::GetWindow(Self(), GW_OWNER);
    if (!owner || !::IsWindowVisible(owner) || ::IsIconic(owner) || !::GetWindowRect(owner, &around))
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
    ::SetWindowPos(Self(), nullptr, (around.left + around.right - width) / 2,
                   std::max<int>(around.top, (around.top + around.bottom - height) / 2), width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetFocus(close);
    return false;
}

void SuggestionsDialog::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    const size_t rows = phrases_.size();
    if (id >= kSuggestSimpleButton1 && id < kSuggestSimpleButton1 + int(rows))
        MakeShortcut(size_t(id - kSuggestSimpleButton1), false);
    else if (id >= kSuggestRichButton1 && id < kSuggestRichButton1 + int(rows))
        MakeShortcut(size_t(id - kSuggestRichButton1), true);
    else if (id == kSuggestClose)
        Finish();
}

void SuggestionsDialog::MakeShortcut(size_t row, bool rich) {
    const auto& action = rich ? actions_.richText : actions_.simpleText;
    if (!action) return;
    // The editor is modal to the main window, which this window already
    // holds disabled: this window waits meanwhile, and afterwards the main
    // window, which the editor's end enabled again, waits on this one.
    HWND owner = ::GetWindow(Self(), GW_OWNER);
    ::EnableWindow(Self(), FALSE);
    const bool created = action(phrases_[row]);
    if (owner) ::EnableWindow(owner, FALSE);
    ::EnableWindow(Self(), TRUE);
    ::SetForegroundWindow(Self());
    if (!created) return;
    // Only this row is done; the others can still be made shortcuts.
    for (int id : {kSuggestPhrase1, kSuggestSimpleButton1, kSuggestRichButton1})
        Item(id + int(row)).Enable(false);
    ::SendMessageW(Self(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(kSuggestClose).Handle()), TRUE);
}

void SuggestionsDialog::Finish() {
    settings_.WriteBool(settings::SuggestShortcuts, !Item(kSuggestStop).Checked());
    End(IDOK);
}

}  // namespace

void SuggestionsWindow::Open(HWND owner, const std::vector<std::u16string>& suggestions) {
    if (suggestions.empty()) return;
    static const EmptyTemplate kTemplate{};
    SuggestionsDialog dialog(settings_, actions_, suggestions);
    dialog.RunTemplate(owner, &kTemplate);
}

}  // namespace kx
