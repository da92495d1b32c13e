#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include "app/lifecycle/command_line_block.h"
#include "app/main/app_core.h"
#include "app/resource_ids.h"
#include "engine/hooklink/hook_protocol.h"

namespace kx {

INT_PTR AppCore::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kTrayCallbackMessage:
        OnTrayCallback(lParam);
        return TRUE;
    case kForwardedCommandLineMessage:
        // Its parameters mean nothing: the command lines wait in our inbox.
        for (const std::vector<std::u16string>& args : commandLines_.TakeAll()) OnCommandLine(args);
        return TRUE;
    case kQuitMessage:
        ::DestroyWindow(window_);
        return TRUE;
    case kSharedFileChangedMessage:
        ReloadSharedFile();
        return TRUE;
    case WM_COPYDATA:
        // Anyone can send it, with no data behind it at all.
        if (lParam && OnCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lParam))) {
            ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        break;
    case kEngineRefreshMessage:
        // The Auto Complete hotkey may have switched it.
        RefreshAutoCompleteState();
        return TRUE;
    case kEngineTrayIconMessage:
        if (wParam != IDI_APP && wParam != IDI_APP_OFF) return TRUE;
        shortcutsOn_ = wParam != IDI_APP_OFF;
        SetShortcutIcons(shortcutsOn_);
        RefreshState();
        return TRUE;
    case kEngineBalloonMessage:
        // Its parameters mean nothing: the balloons wait in our inbox.
        for (const EngineBalloon& b : balloons_.TakeAll()) tray_.ShowBalloon(b.title, b.text, b.ms);
        return TRUE;
    case hookproto::kCompanionRecord:
        ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, engine_.OnCompanionRecord(wParam));
        return TRUE;
    case WM_TIMER:
        OnTimer(wParam);
        return TRUE;
    default:
        if (const UINT engineNotice = engine_.NoticeMessage(); engineNotice && message == engineNotice) {
            // Every notice refreshes the on/off texts; an expansion also
            // redraws the selected rows of the list.
            if (wParam == WPARAM(notice::kWord) && lParam == LPARAM(notice::kExpanded))
                for (int row : list_.View().SelectedRows()) ListView_Update(list_.Handle(), row);
            if (wParam == WPARAM(notice::kProgram)) {
                if (lParam == LPARAM(notice::kProgramChanged)) RefreshProgramNote();
                else ShowProgramNotices();
            }
            RefreshState();
            return TRUE;
        }
        if (taskbarCreated_ && message == taskbarCreated_) {
            tray_.Readd();
            return TRUE;
        }
        break;
    }
    return FrameworkHandle(message, wParam, lParam);
}

INT_PTR AppCore::FrameworkHandle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        return FALSE;
    case WM_SIZE:
        Layout();
        return TRUE;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {DialogUnitsX(window_, 464), DialogUnitsY(window_, 200)};
        return TRUE;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id == IDOK) {
            if (CanAccept()) EndDialog(1);
        } else if (id == IDCANCEL) {
            if (ConfirmStop()) ::PostMessageW(window_, kQuitMessage, 0, 0);
        } else if (id == IDHELP) {
            ShowHelp();
        } else {
            OnCommand(id, HIWORD(wParam));
            RefreshState();
        }
        return TRUE;
    }
    case WM_HELP:
        ShowHelp();
        return TRUE;
    case WM_NOTIFY:
        ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, OnNotify(*reinterpret_cast<NMHDR*>(lParam)));
        return TRUE;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) == list_.Handle()) {
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (at.x == -1 && at.y == -1) {
                at = {8, 8};
                ::ClientToScreen(list_.Handle(), &at);
            }
            ShowListContextMenu(at);
            RefreshState();
            return TRUE;
        }
        return FALSE;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            HideToTray();
            ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        HideToTray();
        return TRUE;
    case WM_ENDSESSION:
        if (wParam) ::DestroyWindow(window_);
        return TRUE;
    case WM_DESTROY:
        balloon_.Hide();
        tray_.Remove();
        SaveWindowPlacement(settings::kMainWindow);
        // Before the quit message: the dictionary's save at exit shows a
        // window, whose own message loop would end at once on WM_QUIT.
        OnExit();
        ::PostQuitMessage(0);
        return TRUE;
    default:
        return FALSE;
    }
}

bool AppCore::OnCopyData(const COPYDATASTRUCT& data) {
    // A second start sends its command line as kind 0 and nothing else.
    if (data.dwData != 0 || !data.lpData) return false;
    std::vector<std::u16string> args;
    if (!DecodeCommandLineBlock(data.lpData, data.cbData, args)) return false;
    // Applied once this message is done, so the sender is not held up; a
    // command line whose message could not be posted goes with the next one.
    commandLines_.Push(std::move(args));
    ::PostMessageW(window_, kForwardedCommandLineMessage, 0, 0);
    return true;
}

INT_PTR AppCore::OnNotify(NMHDR& header) {
    if (header.hwndFrom == list_.Handle()) {
        switch (header.code) {
        case LVN_COLUMNCLICK:
            list_.OnHeaderClick(reinterpret_cast<NMLISTVIEW&>(header).iSubItem);
            return 0;
        case LVN_ITEMCHANGED:
            if (reinterpret_cast<NMLISTVIEW&>(header).uChanged & LVIF_STATE) RefreshState();
            return 0;
        case NM_DBLCLK:
            if (reinterpret_cast<NMITEMACTIVATE&>(header).iItem >= 0) {
                OnCommand(CMD_LIST_EDIT, 0);
                RefreshState();
            }
            return 0;
        default:
            return 0;
        }
    }
    if (header.hwndFrom == ListView_GetHeader(list_.Handle())) {
        if (header.code == HDN_BEGINTRACKW || header.code == HDN_BEGINTRACKA || header.code == HDN_DIVIDERDBLCLICKW ||
            header.code == HDN_DIVIDERDBLCLICKA)
            return list_.View().RefusesResize(reinterpret_cast<NMHEADERW&>(header).iItem) ? TRUE : FALSE;
        return 0;
    }
    if (header.hwndFrom == toolbar_.Handle()) {
        if (header.code == TBN_DROPDOWN) {
            OnCommand(CMD_ADD_DROPDOWN, 0);
            RefreshState();
            return TBDDRET_DEFAULT;
        }
        if (header.code == TBN_GETINFOTIPW) toolbar_.OnInfoTip(reinterpret_cast<NMTBGETINFOTIPW&>(header));
        return 0;
    }
    return 0;
}

void AppCore::OnTrayCallback(LPARAM lParam) {
    switch (LOWORD(lParam)) {
    case WM_CONTEXTMENU:
    case WM_RBUTTONUP:
        ShowTrayMenu();
        break;
    case WM_LBUTTONUP: {
        const bool maximised = WasMaximised();
        OpenFromTray();
        ::ShowWindow(window_, maximised ? SW_SHOWMAXIMIZED : SW_RESTORE);
        ::SetForegroundWindow(window_);
        break;
    }
    case NIN_BALLOONUSERCLICK:
        OnBalloonClick();
        break;
    default:
        break;
    }
}

}  // namespace kx
