#include "app/autocomplete/autocomplete_window_win32.h"

#include <algorithm>

#include "app/autocomplete/view_edit_dialog_win32.h"
#include "app/win/wide.h"

namespace kx {
namespace {

// Controls of the window.
enum : int {
    kIdClose = 1001,
    kIdRow1 = 9101,
    kIdHint = 9105,
    kIdGap1 = 9113,
    kIdGap2 = 9114,
    kIdGap3 = 9118,
    kIdTopBar = 9122,
};
// Row commands: row i's right-click, double-click.
constexpr int kCmdRowMenu = 9115;
constexpr int kCmdRowInsert = 9119;
// The context menu.
enum : int {
    kCmdInsert = 9106,
    kCmdViewEdit = 9107,
    kCmdRemove = 9108,
    kCmdMoveToShortcuts = 9109,
    kCmdCopyToShortcuts = 9110,
};

enum : UINT_PTR { kTimerMeasure = 1, kTimerFade = 2, kTimerStale = 3 };
constexpr UINT kMeasureDelayMs = 500;
constexpr UINT kFadeStepMs = 30;
constexpr UINT kStaleHideMs = 6000;
// The keystroke thread asks; the window's own thread acts.
constexpr UINT kMsgHide = WM_APP + 1;
constexpr UINT kMsgRedraw = WM_APP + 2;

constexpr int kHiddenX = -1000, kHiddenY = -1000;
constexpr int kMargin = 4;
constexpr int kCloseSize = 18;

constexpr wchar_t kClosePrompt[] =
    L"Do you want to disable Auto Complete or just close the window this time? You can re-enable this feature in "
    L"the options.";

HWND Child(HWND parent, const wchar_t* cls, DWORD style, int id, HFONT font, const wchar_t* text = L"") {
    HWND h = ::CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    if (h && font) ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return h;
}

// Height in pixels of `text` wrapped at `width` in the control's font.
int TextHeight(HWND control, const std::wstring& text, int width) {
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT r{0, 0, width, 0};
    ::DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return r.bottom;
}

int LineCount(HWND control, const std::wstring& text, int width) {
    return std::max((TextHeight(control, text, width) + kAcLineHeight - 1) / kAcLineHeight, 1);
}

// The longest start of `text` that with "..." fits `lines` lines.
std::wstring CutToLines(HWND control, const std::wstring& text, int width, int lines) {
    size_t lo = 0, hi = text.size();
    while (lo < hi) {
        const size_t mid = (lo + hi + 1) / 2;
        if (LineCount(control, text.substr(0, mid) + L"...", width) <= lines) lo = mid;
        else hi = mid - 1;
    }
    return text.substr(0, lo) + L"...";
}

}  // namespace

AutoCompleteWindow::AutoCompleteWindow(AcDictionary& dictionary, AcOutput& output, SettingsStore& settings,
                                       MessagePrompt& prompt, AutoCompleteCallbacks callbacks)
    : dict_(dictionary),
      output_(output),
      settings_(settings),
      prompt_(prompt),
      callbacks_(std::move(callbacks)),
      rows_(dictionary),
      open_([this](bool open) {
          if (callbacks_.openChanged) callbacks_.openChanged(open);
      }) {}

AutoCompleteWindow::~AutoCompleteWindow() {
    if (window_) ::DestroyWindow(window_);
}

bool AutoCompleteWindow::Create(HWND owner) {
    owner_ = owner;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!::GetClassInfoExW(instance, kAutoCompleteClass, &wc)) {
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = Procedure;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kAutoCompleteClass;
        if (!::RegisterClassExW(&wc)) return false;
    }
    // A layered tool window that never activates: no task-bar button, and
    // clicks and showing leave the keyboard focus where the user types.
    window_ = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_NOACTIVATE | WS_EX_TOPMOST,
                                kAutoCompleteClass, kAutoCompleteTitle, WS_POPUP | WS_BORDER, kHiddenX, kHiddenY, 200,
                                100, owner, nullptr, instance, this);
    if (!window_) return false;
    ::SetLayeredWindowAttributes(window_, 0, 0, LWA_ALPHA);

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        font_.Reset(::CreateFontIndirectW(&metrics.lfMessageFont));
    barBrush_.Reset(::CreateSolidBrush(::GetSysColor(COLOR_BTNSHADOW)));
    HFONT font = font_.Get();
    // Rows are drawn here: their colours span the window's width, their
    // text keeps a margin.
    for (int i = 0; i < kAcMaxRows; ++i)
        rowControls_[i] = Child(window_, L"STATIC", SS_OWNERDRAW | SS_NOTIFY, kIdRow1 + i, font);
    const int gaps[kAcMaxRows] = {kIdGap1, kIdGap2, kIdGap3};
    for (int i = 0; i < kAcMaxRows; ++i) gapControls_[i] = Child(window_, L"STATIC", SS_NOTIFY, gaps[i], font);
    hint_ = Child(window_, L"STATIC", SS_LEFT | SS_NOPREFIX, kIdHint, font);
    topBar_ = Child(window_, L"STATIC", SS_OWNERDRAW, kIdTopBar, font);
    close_ = Child(window_, L"BUTTON", BS_PUSHBUTTON, kIdClose, font, L"X");
    ::SetTimer(window_, kTimerMeasure, kMeasureDelayMs, nullptr);
    return true;
}

LRESULT CALLBACK AutoCompleteWindow::Procedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_NCCREATE) {
        auto* self = static_cast<AutoCompleteWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        ::SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = w;
    }
    auto* self = reinterpret_cast<AutoCompleteWindow*>(::GetWindowLongPtrW(w, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(w, m, wp, lp);
    return self->OnMessage(m, wp, lp);
}

LRESULT AutoCompleteWindow::OnMessage(UINT m, WPARAM wp, LPARAM lp) {
    switch (m) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_TIMER:
        ::KillTimer(window_, wp);
        if (wp == kTimerMeasure) Measure();
        else if (wp == kTimerFade) OnFadeTimer();
        else if (wp == kTimerStale && rows_.Stale()) Hide();
        return 0;
    case kMsgHide:
        // Hide may have been asked before a fill made the window open again.
        if (!open_.IsOpen()) StartFadeOut();
        return 0;
    case kMsgRedraw:
        Redraw();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wp), HIWORD(wp));
        return 0;
    case WM_CONTEXTMENU: {
        // A right-click on a row or the gap after it is that row's command.
        const int row = RowOf(reinterpret_cast<HWND>(wp));
        if (row >= 0) OnCommand(kCmdRowMenu + row, 0);
        return 0;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (item->hwndItem == topBar_) {
            DrawTopBar(item->hDC, item->rcItem);
            return TRUE;
        }
        const int row = RowOf(item->hwndItem);
        if (row < 0) return FALSE;
        DrawRow(row, item->hDC, item->rcItem);
        return TRUE;
    }
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wp);
        HWND control = reinterpret_cast<HWND>(lp);
        const int row = RowOf(control);
        const bool selected = row >= 0 && row == rows_.Selection();
        ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        ::SetBkColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(window_, &ps);
        RECT title{kMargin, 0, geometry_.width - kCloseSize - 2 * kMargin, kAcTitleHeight};
        HGDIOBJ old = ::SelectObject(dc, font_.Get());
        ::SetBkMode(dc, TRANSPARENT);
        ::DrawTextW(dc, kAutoCompleteTitle, -1, &title, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        ::SelectObject(dc, old);
        ::EndPaint(window_, &ps);
        return 0;
    }
    case WM_DESTROY:
        window_ = nullptr;
        return 0;
    default:
        return ::DefWindowProcW(window_, m, wp, lp);
    }
}

// The bar between the title and the rows, in the grey of buttons' shadows:
// it stands apart from the title and from a selected first row (in many
// colour schemes the caption's colour is the selection's).
void AutoCompleteWindow::DrawTopBar(HDC dc, const RECT& r) { ::FillRect(dc, &r, barBrush_.Get()); }

void AutoCompleteWindow::DrawRow(int row, HDC dc, RECT r) {
    const bool selected = row == rows_.Selection();
    ::FillRect(dc, &r, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const int n = ::GetWindowTextLengthW(rowControls_[row]);
    std::wstring text(size_t(n) + 1, L'\0');
    text.resize(size_t(::GetWindowTextW(rowControls_[row], text.data(), n + 1)));
    HGDIOBJ old = ::SelectObject(dc, font_.Get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    r.left += kMargin;
    r.right -= kMargin;
    ::DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    ::SelectObject(dc, old);
}

void AutoCompleteWindow::Measure() {
    HMONITOR monitor = ::MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(monitor, &info)) return;
    const RECT& w = info.rcWork;
    const RECT& m = info.rcMonitor;
    geometry_ = MeasureGeometry({w.left, w.top, w.right, w.bottom}, {m.left, m.top, m.right, m.bottom});
    if (!open_.IsOpen())
        ::SetWindowPos(window_, nullptr, geometry_.x, geometry_.hiddenY, geometry_.width, std::max(height_, 1),
                       SWP_NOACTIVATE | SWP_NOZORDER);
}

int AutoCompleteWindow::RowOf(HWND control) const {
    if (!control) return -1;
    for (int i = 0; i < kAcMaxRows; ++i)
        if (control == rowControls_[i] || control == gapControls_[i]) return i;
    return -1;
}

void AutoCompleteWindow::ShowCandidates(const std::vector<AcCandidate>& list, bool keepCopy) {
    if (!window_) return;
    if (geometry_.width == 0) Measure();
    if (!rows_.Fill(list, keepCopy)) {
        // Nothing found for the latest text: the rows stay a while, in case
        // the next search finds them again.
        ::SetTimer(window_, kTimerStale, kStaleHideMs, nullptr);
        return;
    }
    Layout();
    Show();
}

void AutoCompleteWindow::Layout() {
    const std::vector<AcCandidate> rows = rows_.Rows();
    const int clientWidth = geometry_.width - 2;  // inside the border
    const int textWidth = clientWidth - 2 * kMargin;
    int lines[kAcMaxRows] = {};
    std::wstring texts[kAcMaxRows];
    for (size_t i = 0; i < rows.size() && i < kAcMaxRows; ++i) {
        texts[i] = W(rows[i].phrase);
        lines[i] = LineCount(rowControls_[i], texts[i], textWidth);
    }
    const int count = int(std::min<size_t>(rows.size(), kAcMaxRows));
    const std::wstring hint = W(HintText(count));
    const int hintLines = LineCount(hint_, hint, textWidth);
    const AcLayout l = LayoutRows(lines, count, geometry_.work.Height(), hintLines);
    for (int i = 0; i < kAcMaxRows; ++i) {
        if (i >= count) {
            // Rows without a candidate go out of view.
            ::SetWindowPos(rowControls_[i], nullptr, -2000, -2000, 1, 1, SWP_NOZORDER | SWP_NOACTIVATE);
            ::SetWindowPos(gapControls_[i], nullptr, -2000, -2000, 1, 1, SWP_NOZORDER | SWP_NOACTIVATE);
            continue;
        }
        const std::wstring text = l.rowCut[i] ? CutToLines(rowControls_[i], texts[i], textWidth, l.rowLines[i]) : texts[i];
        ::SetWindowTextW(rowControls_[i], text.c_str());
        ::SetWindowPos(rowControls_[i], nullptr, 0, l.rowTop[i], clientWidth, l.rowHeight[i],
                       SWP_NOZORDER | SWP_NOACTIVATE);
        ::SetWindowPos(gapControls_[i], nullptr, 0, l.gapTop[i], clientWidth, kAcGapHeight,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::SetWindowTextW(hint_, hint.c_str());
    ::SetWindowPos(hint_, nullptr, kMargin, l.hintTop, textWidth, hintLines * kAcHintHeight,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(topBar_, nullptr, 0, kAcTitleHeight, clientWidth, kAcTopBarHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(close_, nullptr, clientWidth - kCloseSize - kMargin, (kAcTitleHeight - kCloseSize) / 2, kCloseSize,
                   kCloseSize, SWP_NOZORDER | SWP_NOACTIVATE);
    height_ = l.height + 2;  // with the border
    geometry_.shownY = geometry_.work.bottom - height_;
    RECT r{};
    ::GetWindowRect(window_, &r);
    ::SetWindowPos(window_, nullptr, r.left, r.top, geometry_.width, height_, SWP_NOZORDER | SWP_NOACTIVATE);
    Redraw();
}

void AutoCompleteWindow::Redraw() {
    for (HWND row : rowControls_) ::InvalidateRect(row, nullptr, TRUE);
    ::InvalidateRect(window_, nullptr, TRUE);
}

void AutoCompleteWindow::Show() {
    // The keystroke thread may have hidden the rows since they were filled
    // (the user moved to another window): then they stay hidden.
    if (!open_.Open([this] { return rows_.Ready(); })) return;
    settings_.WriteBool(settings::AutoCompleteWindowOpen, true);
    fadingIn_ = true;
    ::KillTimer(window_, kTimerStale);
    ::ShowWindow(window_, SW_SHOWNOACTIVATE);
    if (!animating_) {
        animating_ = true;
        OnFadeTimer();
    }
}

void AutoCompleteWindow::Hide() {
    if (!open_.Close([this] { return rows_.Hide(); })) return;  // a phrase is being edited
    if (window_) ::PostMessageW(window_, kMsgHide, 0, 0);
}

void AutoCompleteWindow::StartFadeOut() {
    settings_.WriteBool(settings::AutoCompleteWindowOpen, false);
    fadingIn_ = false;
    if (!animating_) {
        animating_ = true;
        OnFadeTimer();
    }
}

void AutoCompleteWindow::HideNow() {
    if (!window_ || !open_.Close([this] { return rows_.Hide(); })) return;
    settings_.WriteBool(settings::AutoCompleteWindowOpen, false);
    ::KillTimer(window_, kTimerFade);
    animating_ = false;
    alpha_ = 0;
    ::SetLayeredWindowAttributes(window_, 0, 0, LWA_ALPHA);
    ::SetWindowPos(window_, nullptr, geometry_.x, geometry_.hiddenY, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(window_, SW_HIDE);
}

void AutoCompleteWindow::OnFadeTimer() {
    bool done;
    if (fadingIn_) {
        ::SetWindowPos(window_, HWND_TOPMOST, geometry_.x, geometry_.shownY, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        done = FadeInStep(alpha_);
    } else {
        done = FadeOutStep(alpha_);
        if (done) {
            ::SetWindowPos(window_, nullptr, geometry_.x, geometry_.hiddenY, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            ::ShowWindow(window_, SW_HIDE);
        }
    }
    ::SetLayeredWindowAttributes(window_, 0, alpha_, LWA_ALPHA);
    animating_ = !done;
    if (animating_) ::SetTimer(window_, kTimerFade, kFadeStepMs, nullptr);
}

bool AutoCompleteWindow::AtShownPosition() const {
    RECT r{};
    ::GetWindowRect(window_, &r);
    return !animating_ && open_.IsOpen() && r.top == geometry_.shownY;
}

void AutoCompleteWindow::SelectStep(bool up) {
    rows_.SelectStep(up);
    if (window_) ::PostMessageW(window_, kMsgRedraw, 0, 0);
}

bool AutoCompleteWindow::InsertSelected() { return rows_.InsertSelected(output_); }

std::u16string AutoCompleteWindow::GetLastInserted() {
    if (rows_.Editing()) return {};
    return rows_.LastInserted();
}

void AutoCompleteWindow::OnCommand(int id, int code) {
    if (id == kIdClose) {
        AskClose();
        return;
    }
    const int row = RowOf(::GetDlgItem(window_, id));
    if (row >= 0 && (code == STN_CLICKED || code == STN_DBLCLK)) {
        if (!AtShownPosition()) return;  // a click on a moving window is no choice
        rows_.Select(row);
        Redraw();
        if (code == STN_DBLCLK) OnCommand(kCmdRowInsert + row, 0);
        return;
    }
    if (id >= kCmdRowMenu && id < kCmdRowMenu + kAcMaxRows) {
        ShowRowMenu(id - kCmdRowMenu);
        return;
    }
    if (id >= kCmdRowInsert && id < kCmdRowInsert + kAcMaxRows) {
        InsertRow(id - kCmdRowInsert);
        return;
    }
    const int selected = rows_.Selection();
    switch (id) {
    case kCmdInsert: InsertRow(selected); break;
    case kCmdViewEdit: EditRow(selected); break;
    case kCmdRemove:
        rows_.RemoveRow(selected);
        if (rows_.Rows().empty()) HideNow();
        else Layout();
        break;
    case kCmdMoveToShortcuts: TransferRow(selected, true); break;
    case kCmdCopyToShortcuts: TransferRow(selected, false); break;
    default: break;
    }
}

void AutoCompleteWindow::InsertRow(int row) {
    // The phrase the user chose, not whatever row stands there by the time
    // the keystroke thread gets to it: a search may fill the rows anew.
    const std::u16string phrase = rows_.RowPhrase(row);
    if (phrase.empty()) return;
    auto insert = [this, phrase] {
        if (rows_.SelectPhrase(phrase) && InsertSelected()) Hide();
    };
    if (callbacks_.onKeystrokeThread) callbacks_.onKeystrokeThread(std::move(insert));
    else insert();
}

namespace {

// Gives the foreground back to the window the user was typing in, unless
// something other than this program took it meanwhile: a click elsewhere
// that closed the menu made that window the foreground, and it stays so.
void GiveForegroundBack(HWND typingIn, HWND self) {
    if (!typingIn || typingIn == self || !::IsWindow(typingIn)) return;
    if (HWND now = ::GetForegroundWindow()) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(now, &process);
        if (process != ::GetCurrentProcessId()) return;
    }
    ::SetForegroundWindow(typingIn);
}

}  // namespace

void AutoCompleteWindow::ShowRowMenu(int row) {
    if (!rows_.Ready()) return;
    rows_.Select(row);
    Redraw();
    UniqueMenu menu(::CreatePopupMenu());
    ::AppendMenuW(menu.Get(), MF_STRING, kCmdInsert, L"Insert");
    ::AppendMenuW(menu.Get(), MF_STRING, kCmdViewEdit, L"View/Edit");
    ::AppendMenuW(menu.Get(), MF_STRING, kCmdRemove, L"Remove");
    ::AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu.Get(), MF_STRING, kCmdMoveToShortcuts, L"Move to Shortcuts");
    ::AppendMenuW(menu.Get(), MF_STRING, kCmdCopyToShortcuts, L"Copy to Shortcuts");
    POINT at{};
    ::GetCursorPos(&at);
    // TrackPopupMenu's remarks: unless its owner is the foreground window, a
    // popup menu does not close when the user clicks outside it; and a
    // benign message posted once it has closed lets the next menu stay up.
    // The window never takes the foreground otherwise, so it takes it for
    // the menu's time only. The right click that opened the menu was input
    // to this program, which lets it set the foreground.
    const HWND typingIn = ::GetForegroundWindow();
    ::SetForegroundWindow(window_);
    const int chosen = int(::TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0,
                                            window_, nullptr));
    ::PostMessageW(window_, WM_NULL, 0, 0);
    // The user's program has the keyboard back before an insertion types
    // into it; a command with a dialog gives it back once the dialog is done.
    const bool dialog = chosen == kCmdViewEdit || chosen == kCmdMoveToShortcuts || chosen == kCmdCopyToShortcuts;
    if (!dialog) GiveForegroundBack(typingIn, window_);
    if (chosen) OnCommand(chosen, 0);
    if (dialog) GiveForegroundBack(typingIn, window_);
}

void AutoCompleteWindow::EditRow(int row) {
    const std::u16string phrase = rows_.RowPhrase(row);
    if (phrase.empty()) return;
    // Typing in the dialog is neither expanded nor learned.
    rows_.SetEditing(true);
    dict_.SetFeedingPaused(true);
    if (callbacks_.keystrokes) callbacks_.keystrokes(false);
    std::u16string text = phrase;
    const bool saved = RunViewEditDialog(owner_, text);
    if (callbacks_.keystrokes) callbacks_.keystrokes(true);
    dict_.SetFeedingPaused(false);
    rows_.SetEditing(false);
    if (!saved) return;
    rows_.ReplaceRow(row, text);
    if (rows_.Rows().empty()) HideNow();
    else Layout();
}

void AutoCompleteWindow::TransferRow(int row, bool move) {
    const std::u16string phrase = rows_.RowPhrase(row);
    if (phrase.empty() || !callbacks_.createShortcut) return;
    const bool created = callbacks_.createShortcut(phrase);
    if (!move || !created) return;
    rows_.RemoveRow(row);
    if (rows_.Rows().empty()) HideNow();
    else Layout();
}

void AutoCompleteWindow::AskClose() {
    QuestionBox q;
    q.title = u"Auto Complete";
    q.text = U(kClosePrompt);
    q.buttons = {u"Disable", u"Close"};
    q.icon = MessageIcon::Question;
    const QuestionAnswer a = prompt_.Ask(q);
    if (a.button == QuestionAnswer::kCancelled) return;
    if (a.button == 0) settings_.WriteBool(settings::AutoCompleteEnabled, false);
    HideNow();
    if (callbacks_.refreshState) callbacks_.refreshState();
}

}  // namespace kx
