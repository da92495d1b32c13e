#include "app/lifecycle/picture_update.h"

#include <commctrl.h>
#include <objbase.h>

#include <atomic>

#include "app/resource_ids.h"
#include "app/win/modal_dialog.h"
#include "picture/legacy_conversion.h"
#include "picture/picture_encoder.h"
#include "platform/worker_thread.h"

namespace kx {
namespace {

constexpr UINT kProgressMessage = WM_APP + 40;  // wParam files done, lParam files in all
constexpr UINT kDoneMessage = WM_APP + 41;      // wParam: the pass completed

// The pass on its own thread, so that the window answers while large
// pictures are encoded. The image codec is made there: it belongs to the
// thread that makes it.
class PassWorker final : public WorkerThread {
public:
    explicit PassWorker(const DataContext& ctx) : ctx_(ctx) {}
    ~PassWorker() override { Stop(); }
    void SetWindow(HWND window) { window_ = window; }

private:
    void RunWorker() override {
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        bool completed = false;
        if (std::unique_ptr<ImageCodec> codec = MakeSystemImageCodec()) {
            DatabaseIo io = ctx_.io;
            io.cursor = nullptr;  // the window shows the wait; the cursor belongs to the UI thread
            LegacyConversion pass{ctx_.settings, ctx_.fs,  ctx_.security, ctx_.folders, io, *codec,
                                  SystemTempFolder(), [this] { return StopRequested(); },
                                  [this](size_t done, size_t total) {
                                      ::PostMessageW(window_, kProgressMessage, WPARAM(done), LPARAM(total));
                                  }};
            completed = ConvertLegacyPictures(pass);
            codec.reset();
        }
        if (SUCCEEDED(com)) ::CoUninitialize();
        ::PostMessageW(window_, kDoneMessage, completed ? 1 : 0, 0);
    }

    const DataContext& ctx_;
    HWND window_ = nullptr;
};

class ProgressWindow final : public ModalDialog {
public:
    explicit ProgressWindow(const DataContext& ctx) : ctx_(ctx), worker_(ctx) {}
    bool Completed() const { return completed_; }

private:
    bool OnInit() override {
        worker_.SetWindow(Self());
        if (!worker_.Start(ThreadPriority::Normal)) End(IDCANCEL);
        return true;
    }

    void OnOk() override {}  // Enter does not close the window

    void OnCancel() override {
        if (asking_ || finished_) return;
        asking_ = true;
        QuestionBox q;
        q.title = u"Confirm Cancel";
        q.text = u"If you cancel this process picture shortcuts will not work, are you sure you want to cancel?";
        q.buttons = {u"Abort Anyway", u"Continue"};
        q.cancellable = false;
        q.icon = MessageIcon::Warning;
        const bool abort = ctx_.prompt.Ask(q).button == 0;
        asking_ = false;
        if (abort && !finished_) worker_.RequestStop();
        // The pass may have ended while the question was open.
        if (finished_) End(IDOK);
    }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override {
        if (message == kProgressMessage) {
            Window bar = Item(IDC_PROGRESS_BAR);
            bar.Send(PBM_SETRANGE32, 0, lParam);
            bar.Send(PBM_SETPOS, wParam);
        } else if (message == kDoneMessage) {
            finished_ = true;
            completed_ = wParam != 0;
            if (!asking_) End(IDOK);
        } else {
            return false;
        }
        result = 0;
        return true;
    }

    const DataContext& ctx_;
    PassWorker worker_;
    bool asking_ = false;
    std::atomic<bool> finished_{false};
    bool completed_ = false;
};

}  // namespace

bool UpdatePictureShortcuts(HWND owner, const DataContext& ctx) {
    if (ctx.settings.ReadBool(settings::PicShortcutsConvertedToWindowMetaFile)) return true;
    ProgressWindow window(ctx);
    window.Run(owner, IDD_UPDATING_SHORTCUTS);
    return window.Completed();
}

}  // namespace kx
