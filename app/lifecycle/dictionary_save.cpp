#include "app/lifecycle/dictionary_save.h"

#include <commctrl.h>

#include <atomic>

#include "app/resource_ids.h"
#include "app/win/modal_dialog.h"
#include "learn/phrase_dictionary.h"
#include "learn/suggestion_promotion.h"
#include "platform/file_mapping.h"
#include "platform/file_system.h"
#include "platform/worker_thread.h"

namespace kx {
namespace {

constexpr UINT kSavedMessage = WM_APP + 42;  // wParam: the SaveResult

std::u16string InFolder(const std::u16string& folder, std::u16string_view name) {
    std::u16string path = folder;
    if (!path.empty() && path.back() != u'\\') path += u'\\';
    return path + std::u16string(name);
}

// The save on its own thread, so that the window paints and its Cancel
// answers while a large dictionary is written.
class SaveWorker final : public WorkerThread {
public:
    SaveWorker(PhraseDictionary& d, std::u16string path, std::u16string suggestions)
        : d_(d), path_(std::move(path)), suggestions_(std::move(suggestions)) {}
    ~SaveWorker() override { Stop(); }
    void SetWindow(HWND window) { window_ = window; }

private:
    void RunWorker() override {
        SaveControl control;
        control.cancelRequested = [this] { return StopRequested(); };
        // Frequent long phrases go to the suggestion file as they are written.
        SuggestionPromotion promotion(suggestions_);
        promotion.Attach(control);
        const SaveResult result = d_.Save(path_, control);
        ::PostMessageW(window_, kSavedMessage, WPARAM(result), 0);
    }

    PhraseDictionary& d_;
    std::u16string path_;
    std::u16string suggestions_;
    HWND window_ = nullptr;
};

class SavingWindow final : public ModalDialog {
public:
    SavingWindow(PhraseDictionary& d, std::u16string path, std::u16string suggestions)
        : worker_(d, std::move(path), std::move(suggestions)) {}
    SaveResult Result() const { return result_; }

private:
    bool OnInit() override {
        ::SetWindowTextW(Self(), L"Saving Dictionary...");
        ::SetWindowTextW(Item(IDC_PROGRESS_TEXT), L"Saving the Auto Complete dictionary.");
        // No count to show: the bar runs as a marquee.
        Window bar = Item(IDC_PROGRESS_BAR);
        ::SetWindowLongPtrW(bar, GWL_STYLE, ::GetWindowLongPtrW(bar, GWL_STYLE) | PBS_MARQUEE);
        bar.Send(PBM_SETMARQUEE, TRUE, 30);
        worker_.SetWindow(Self());
        if (!worker_.Start(ThreadPriority::Normal)) End(IDCANCEL);
        return true;
    }

    void OnOk() override {}  // Enter does not close the window

    void OnCancel() override { worker_.RequestStop(); }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) override {
        if (message != kSavedMessage) return false;
        result_ = SaveResult(wParam);
        End(IDOK);
        result = 0;
        return true;
    }

    SaveWorker worker_;
    SaveResult result_ = SaveResult::Cancelled;
};

}  // namespace

std::u16string AcdataPath(const std::u16string& userFolder) { return InFolder(userFolder, u"acdata.txt"); }

bool SaveLearningDictionary(HWND owner, PhraseDictionary& dictionary, const std::u16string& userFolder) {
    // A dictionary that did not load holds only part of the file, if any.
    if (!dictionary.Loaded()) return false;
    const std::u16string temp = InFolder(userFolder, u"acdataTEMP.txt");
    const std::u16string target = AcdataPath(userFolder);
    FileMapping& files = SystemFileMapping();
    if (files.Exists(temp)) files.Delete(temp);
    SavingWindow window(dictionary, temp, InFolder(userFolder, u"ShortcutSuggestions.txt"));
    window.Run(owner, IDD_UPDATING_SHORTCUTS);
    if (window.Result() != SaveResult::Saved) {
        // An incomplete file is never used; the old "acdata.txt" stays.
        if (files.Exists(temp)) files.Delete(temp);
        return false;
    }
    return SystemFileSystem().MoveReplacing(temp, target) == FileError::None;
}

}  // namespace kx
