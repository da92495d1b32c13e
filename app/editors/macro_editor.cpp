#include "app/editors/macro_editor.h"

#include <commctrl.h>
#include <richedit.h>

#include <mutex>

#include "app/editors/rich_edit_template.h"
#include "app/editors/text_import.h"
#include "app/resource_ids.h"
#include "app/shell/help_topics.h"
#include "core/file_paths.h"
#include "engine/macro/key_combinations.h"
#include "engine/macro/macro_system_win32.h"
#include "engine/macro/script_validation.h"
#include "engine/matcher/combination_name.h"
#include "platform/win32/window_query_win32.h"

namespace kx {
namespace {

constexpr UINT_PTR kKeyFieldSubclass = 1;
constexpr int32_t kRecordTipShows = 5;

// The key field writes the keys held down into itself instead of typing:
// CTRL+ALT+M while CTRL, ALT and M are down, and CTRL+SHIFT+1 (not "!")
// while CTRL, SHIFT and 1 are.
LRESULT CALLBACK KeyFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        const bool ctrl = ::GetKeyState(VK_CONTROL) < 0, shift = ::GetKeyState(VK_SHIFT) < 0,
                   alt = ::GetKeyState(VK_MENU) < 0;
        // Tab without modifiers still moves on through the dialog.
        if (wParam == VK_TAB && !ctrl && !alt) break;
        if (!ctrl && !shift && !alt && (wParam == VK_BACK || wParam == VK_DELETE)) {
            ::SetWindowTextW(field, L"");
            return 0;
        }
        const bool modifier = wParam == VK_CONTROL || wParam == VK_SHIFT || wParam == VK_MENU;
        // Named as the matcher names it (CombinationKeyName), in the layout
        // the user types with here.
        const uint32_t vk = uint32_t(wParam);
        const char16_t key =
            modifier ? 0 : CombinationKeyName(vk, UnshiftedCharacter(vk, ::GetKeyboardLayout(0)));
        if (!modifier && key == 0) return 0;
        const std::u16string text = ComposeCombination(ctrl, shift, alt, key);
        ::SetWindowTextW(field, W(text).c_str());
        ::SendMessageW(field, EM_SETSEL, WPARAM(text.size()), LPARAM(text.size()));
        return 0;
    }
    case WM_CHAR:
    case WM_SYSCHAR:
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (wParam == VK_TAB) break;
        return 0;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(field, KeyFieldProc, kKeyFieldSubclass);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(field, message, wParam, lParam);
}

}  // namespace

bool CombinationInUse(const ShortcutStore& store, std::u16string_view combination, std::u16string_view edited) {
    std::lock_guard<std::mutex> guard(store.Lock());
    for (StoreIterator it = store.Begin(); !it.AtEnd(); it.Next()) {
        const std::u16string k = it.Keyword();
        if (k != edited && k == combination) return true;
    }
    return false;
}

EditorOutcome MacroEditor::Open(HWND owner) {
    outcome_ = {};
    outcome_.kind = ShortcutKind::Macro;
    outcome_.passwordChecked = request_.passwordChecked;
    const wchar_t* richEdit = AvailableRichEditClass();
    if (richEdit == std::wstring_view(kRichEdit50Class)) {
        Run(owner, IDD_MACRO);
    } else {
        const std::vector<uint8_t> copy = TemplateWithRichEditClass(::GetModuleHandleW(nullptr), IDD_MACRO, richEdit);
        if (!copy.empty()) RunTemplate(owner, copy.data());
    }
    return outcome_;
}

bool MacroEditor::OnInit() {
    Self().SetText(std::wstring_view(request_.isNew ? L"New Macro Shortcut" : L"Edit Macro Shortcut"));
    Window key = Item(IDC_EDIT_KEYWORD);
    key.Send(EM_LIMITTEXT, 20);
    key.Send(EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"Double click and select a key combination below"));
    key.SetText(request_.keyword);
    ::SetWindowSubclass(key, KeyFieldProc, kKeyFieldSubclass, 0);

    Window list = Item(IDC_MACRO_COMBINATIONS);
    for (const std::u16string& c : MacroKeyCombinations())
        list.Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(c).c_str()));

    Window script = Item(IDC_MACRO_EXPANSION);
    script.Send(EM_SETTEXTMODE, TM_PLAINTEXT);
    script.Send(EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    script.SetText(request_.plain);
    const std::wstring keyTip = W(kCombinationTip);
    AddEditorTips(tooltips_, Self(),
                  {{IDC_EDIT_KEYWORD, keyTip.c_str()},
                   {IDC_MACRO_EXPANSION,
                    L"Select an expansion type (Input/Click/Press/Release), then enter text between the quotes."},
                   {IDC_EDITOR_IMPORT, L"Import Text from File"},
                   {IDC_EDITOR_CLEAR, L"Clear the Text"},
                   {IDC_EDITOR_PASTE, L"Paste Text from the Clipboard"}},
                  300);
    key.Focus();

    SettingsStore& settings = services_.ctx.settings;
    const int32_t shown = settings.ReadInt(settings::RecordMacroBubbleTipCount);
    if (shown < kRecordTipShows) {
        balloon_.Show(key, u"Record a macro key combo",
                      u"While the Shortcut field is in focus, press and hold the key combination you want to use.",
                      TTI_INFO);
        settings.WriteInt(settings::RecordMacroBubbleTipCount, shown + 1);
    }
    return false;
}

std::u16string MacroEditor::Script() {
    // The rich edit ends its lines with CR alone; scripts are kept with CR LF.
    const std::u16string raw = U(Item(IDC_MACRO_EXPANSION).Text());
    std::u16string out;
    for (size_t i = 0; i < raw.size(); ++i) {
        out.push_back(raw[i]);
        if (raw[i] == u'\r' && (i + 1 == raw.size() || raw[i + 1] != u'\n')) out.push_back(u'\n');
    }
    return out;
}

bool MacroEditor::CombinationAccepted(const std::u16string& combination) {
    switch (CheckCombination(combination)) {
    case CombinationCheck::Ok: return true;
    case CombinationCheck::Empty:
        ShowFieldBalloon(balloon_, Item(IDC_EDIT_KEYWORD), u"Keyword Required", kCombinationTip);
        return false;
    case CombinationCheck::NoModifier:
        ShowFieldBalloon(balloon_, Item(IDC_EDIT_KEYWORD), u"Combination Required",
                         u"Please enter the key combination you require. A CTRL, SHIFT, or ALT key must be pressed "
                         u"first.");
        return false;
    case CombinationCheck::NotOffered: {
        QuestionBox q;
        q.title = u"Possible Shortcut Collision";
        q.text = u"This key combination is a common shortcut in other programs. If you proceed, other programs will "
                 u"still carry out their assigned functions in addition to the action assigned in Kestrix.";
        q.buttons = {u"Use it anyway", u"Don't use it"};
        q.icon = MessageIcon::Warning;
        return services_.ctx.prompt.Ask(q).button == 0;
    }
    }
    return false;
}

bool MacroEditor::CombinationUnique(const std::u16string& combination) {
    if (request_.store && CombinationInUse(*request_.store, combination, request_.isNew ? u"" : request_.oldKeyword)) {
        ShowFieldBalloon(balloon_, Item(IDC_EDIT_KEYWORD), u"Unique Keyword Required",
                         u"This key combination is already in use, please enter another.");
        return false;
    }
    return true;
}

void MacroEditor::OnOk() {
    if (!EditorOkStart(request_, services_, outcome_, balloon_, Item(IDC_EDIT_KEYWORD), kCombinationTip)) return;
    const std::u16string combination = U(Item(IDC_EDIT_KEYWORD).Text());
    if (!CombinationAccepted(combination)) return;
    const std::u16string script = Script();
    // Quoted keys are checked against the layout the user types with here.
    if (const std::optional<ScriptError> error = ValidateScript(script, &WindowsMacroSystem())) {
        ShowFieldBalloon(balloon_, Item(IDC_MACRO_EXPANSION), error->title, error->text);
        return;
    }
    if (!CombinationUnique(combination)) return;
    outcome_.end = EditorEnd::Accepted;
    outcome_.keyword = combination;
    outcome_.plain = script;
    outcome_.rich.clear();
    // The store's insert checks the combination again under its lock.
    if (request_.save && request_.save(outcome_) == StoreResult::KeywordInUse) {
        outcome_.end = EditorEnd::Cancelled;
        ShowFieldBalloon(balloon_, Item(IDC_EDIT_KEYWORD), u"Unique Keyword Required",
                         u"This key combination is already in use, please enter another.");
        return;
    }
    End(IDOK);
}

void MacroEditor::InsertLine(const wchar_t* line) {
    Window script = Item(IDC_MACRO_EXPANSION);
    CHARRANGE sel{};
    script.Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    const LONG lineIndex = LONG(script.Send(EM_EXLINEFROMCHAR, 0, sel.cpMin));
    const LONG lineStart = LONG(script.Send(EM_LINEINDEX, WPARAM(lineIndex)));
    const LONG lineLength = LONG(script.Send(EM_LINELENGTH, WPARAM(lineStart)));
    // On a line of its own: after the caret's line when that holds text.
    std::wstring text = line;
    LONG at = sel.cpMin;
    if (lineLength > 0) {
        at = lineStart + lineLength;
        text = L"\r" + text;
    }
    CHARRANGE where{at, at};
    script.Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&where));
    script.Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    // The caret between the quotes, where the text goes.
    const LONG inside = at + LONG(text.size()) - 1;
    CHARRANGE caret{inside, inside};
    script.Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    script.Focus();
}

void MacroEditor::OnCommand(int id, int code) {
    switch (id) {
    case IDC_MACRO_COMBINATIONS:
        if (code == LBN_SELCHANGE || code == LBN_DBLCLK) {
            Window list = Item(IDC_MACRO_COMBINATIONS);
            const LRESULT index = list.Send(LB_GETCURSEL);
            if (index < 0 || size_t(index) >= MacroKeyCombinations().size()) break;
            Item(IDC_EDIT_KEYWORD).SetText(MacroKeyCombinations()[size_t(index)]);
        }
        break;
    case IDC_MACRO_INPUT: InsertLine(L"kbrd_input \"\""); break;
    case IDC_MACRO_CLICK: InsertLine(L"kbrd_click ''"); break;
    case IDC_MACRO_PRESS: InsertLine(L"kbrd_press ''"); break;
    case IDC_MACRO_RELEASE: InsertLine(L"kbrd_release ''"); break;
    case IDC_MACRO_COMMAND: InsertLine(L"command \"\""); break;
    case IDC_EDITOR_IMPORT: Import(); break;
    case IDC_EDITOR_CLEAR:
        Item(IDC_MACRO_EXPANSION).SetText(std::wstring_view(L""));
        Item(IDC_MACRO_EXPANSION).Focus();
        break;
    case IDC_EDITOR_PASTE:
        Item(IDC_MACRO_EXPANSION).Focus();
        Item(IDC_MACRO_EXPANSION).Send(WM_PASTE);
        break;
    case IDHELP: OpenHelpTopic(Self(), L"editkeystroke"); break;
    default: break;
    }
}

void MacroEditor::Import() {
    SettingsStore& settings = services_.ctx.settings;
    const std::wstring start = W(settings.Read(settings::ImportDefaultPath));
    const std::wstring path =
        PickFileToOpen(Self(), L"Select Import File", {FileFilter{L"Plain Text Format", L"*.txt"}}, start);
    if (path.empty()) return;
    settings.Write(settings::ImportDefaultPath, FolderOf(U(path)));
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    const bool opened = file.Get() != INVALID_HANDLE_VALUE && ::GetFileSizeEx(file.Get(), &size);
    if (file.Get() == INVALID_HANDLE_VALUE) file.Release();
    if (opened && !ImportSizeAllowed(uint64_t(size.QuadPart))) {
        services_.ctx.prompt.ShowMessage(MessageIcon::Warning, u"File Too Large",
                                         u"You cannot import a file larger than 100 KB.");
        return;
    }
    std::string bytes(opened ? size_t(size.QuadPart) : 0, '\0');
    DWORD read = 0;
    if (!opened || (!bytes.empty() && (!::ReadFile(file.Get(), bytes.data(), DWORD(bytes.size()), &read, nullptr) ||
                                       read != bytes.size()))) {
        services_.ctx.prompt.ShowMessage(
            MessageIcon::Error, u"Unable to open file.",
            u"Unable to open file.  It may be in use by another program, or you may not have permission to view it.");
        return;
    }
    Item(IDC_MACRO_EXPANSION).SetText(PlainTextFromImport(bytes));
}

}  // namespace kx
