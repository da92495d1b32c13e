// The "Auto Complete" window: up to three completions in the bottom-right
// corner of the screen. It fades in and out without ever taking the focus,
// so the user types on in their application; the keys that pick and insert
// a row reach it through AcWindowKeys, the mouse through its own controls.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "app/autocomplete/ac_dictionary.h"
#include "app/autocomplete/ac_keys.h"
#include "app/autocomplete/ac_layout.h"
#include "app/autocomplete/ac_open_state.h"
#include "app/autocomplete/ac_rows.h"
#include "platform/user_prompt.h"
#include "platform/win32/handles.h"
#include "settings/settings_store.h"

namespace kx {

inline constexpr wchar_t kAutoCompleteClass[] = L"SuggestionsFlyInDialog";
inline constexpr wchar_t kAutoCompleteTitle[] = L"Auto Complete";

// What the window asks of the application.
struct AutoCompleteCallbacks {
    // Opens the shortcut editor with the phrase as its text; true when a
    // shortcut was created.
    std::function<bool(const std::u16string& phrase)> createShortcut;
    // Auto Complete was switched off: menus, toolbar, status bar and the
    // dictionary's search follow.
    std::function<void()> refreshState;
    // Keystroke processing off (false) while a phrase is edited in a dialog.
    std::function<void(bool on)> keystrokes;
    // The window opened or began to close; called from either thread, and
    // must not wait on either.
    std::function<void(bool open)> openChanged;
    // Runs the work on the thread that handles keystrokes, which owns the
    // engine's state: an insertion types through it. Without it the work
    // runs at once.
    std::function<void(std::function<void()> work)> onKeystrokeThread;
};

class AutoCompleteWindow final : public AcWindowPort {
public:
    AutoCompleteWindow(AcDictionary& dictionary, AcOutput& output, SettingsStore& settings, MessagePrompt& prompt,
                       AutoCompleteCallbacks callbacks);
    ~AutoCompleteWindow() override;
    AutoCompleteWindow(const AutoCompleteWindow&) = delete;
    AutoCompleteWindow& operator=(const AutoCompleteWindow&) = delete;

    // Creates the window hidden, owned by the main window.
    bool Create(HWND owner);
    HWND Handle() const { return window_; }

    // Fills the rows from a search's result (the application's timer).
    void ShowCandidates(const std::vector<AcCandidate>& list, bool keepCopy);

    // AcWindowPort: called from the thread that processes keystrokes.
    bool IsOpen() override { return open_.IsOpen(); }
    bool IsReady() override { return rows_.IsReady(); }
    void SelectStep(bool up) override;
    bool InsertSelected() override;
    std::u16string GetLastInserted() override;
    void Hide() override;
    // Hidden without fading (Auto Complete switched off).
    void HideAtOnce() { HideNow(); }

private:
    static LRESULT CALLBACK Procedure(HWND w, UINT m, WPARAM wp, LPARAM lp);
    LRESULT OnMessage(UINT m, WPARAM wp, LPARAM lp);
    void Measure();
    void Layout();
    void Show();
    void StartFadeOut();
    void HideNow();
    void OnFadeTimer();
    void OnCommand(int id, int code);
    void ShowRowMenu(int row);
    // Inserts the row showing `phrase`, on the keystroke thread.
    void InsertRow(int row);
    int RowOf(HWND control) const;
    bool AtShownPosition() const;
    void EditRow(int row);
    void TransferRow(int row, bool move);
    void AskClose();
    void Redraw();
    void DrawTopBar(HDC dc, const RECT& r);
    void DrawRow(int row, HDC dc, RECT r);

    AcDictionary& dict_;
    AcOutput& output_;
    SettingsStore& settings_;
    MessagePrompt& prompt_;
    AutoCompleteCallbacks callbacks_;
    AcRows rows_;

    HWND window_ = nullptr;
    HWND owner_ = nullptr;
    HWND rowControls_[kAcMaxRows] = {};
    HWND gapControls_[kAcMaxRows] = {};
    HWND hint_ = nullptr, topBar_ = nullptr, close_ = nullptr;
    UniqueFont font_;
    UniqueWin<HBRUSH, GdiObjectTraits<HBRUSH>> barBrush_;

    AcGeometry geometry_;
    int height_ = 0;
    AcOpenState open_;
    bool animating_ = false;
    bool fadingIn_ = false;
    uint8_t alpha_ = 0;
};

}  // namespace kx
