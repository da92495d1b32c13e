#include "app/editors/editor_checks.h"

#include <commctrl.h>

#include "app/win/wide.h"
#include "core/admin_password.h"

namespace kx {

void AddEditorTips(UniqueWindow& tooltips, Window dialog, std::initializer_list<EditorTip> tips, int maxWidth) {
    tooltips.Reset(::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0, 0,
                                     dialog, nullptr, ::GetModuleHandleW(nullptr), nullptr));
    if (maxWidth > 0) ::SendMessageW(tooltips.Get(), TTM_SETMAXTIPWIDTH, 0, maxWidth);
    for (const EditorTip& t : tips) {
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof(ti);
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = dialog;
        ti.uId = reinterpret_cast<UINT_PTR>(dialog.Item(t.id).Handle());
        ti.lpszText = const_cast<wchar_t*>(t.text);
        ::SendMessageW(tooltips.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

void ShowFieldBalloon(BalloonTip& balloon, Window field, std::u16string_view title, std::u16string_view text) {
    field.Focus();
    balloon.Show(field, title, text, TTI_WARNING);
}

bool EditorOkStart(const EditorRequest& request, EditorServices services, EditorOutcome& outcome, BalloonTip& balloon,
                   Window keyword, std::u16string_view emptyText) {
    balloon.Hide();
    if (keyword.Text().empty()) {
        ShowFieldBalloon(balloon, keyword, u"Keyword Required", emptyText);
        return false;
    }
    if (request.shared && request.store && !outcome.passwordChecked) {
        std::u16string password;
        request.store->GetAdminPassword(password);
        if (!password.empty()) {
            if (!MayChangeShared(*request.store, services.dialogs, services.ctx.prompt)) return false;
            outcome.passwordChecked = true;
        }
    }
    return true;
}

void ShowKeywordInUse(BalloonTip& balloon, Window keyword) {
    ShowFieldBalloon(balloon, keyword, u"Unique Keyword Required",
                     u"This Keyword is already in use, please enter another.");
}

bool KeywordUnique(const EditorRequest& request, BalloonTip& balloon, Window keyword) {
    if (request.store && KeywordInUse(*request.store, U(keyword.Text()), request.isNew ? u"" : request.oldKeyword)) {
        ShowKeywordInUse(balloon, keyword);
        return false;
    }
    return true;
}

}  // namespace kx
