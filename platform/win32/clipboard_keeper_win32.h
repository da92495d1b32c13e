// The window that owns the clipboard for expansions. It lives on a thread of
// its own that does nothing but pump its messages, so it renders an
// offered format the moment a program asks for it, whatever the thread of
// the expansion is doing, and it renders everything still on offer when it
// is destroyed (the program ends), so a paste after that still works.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>

#include "platform/clipboard.h"
#include "platform/worker_thread.h"

namespace kx {

class ClipboardKeeper final : public ClipboardOwner, private WorkerThread {
public:
    // Starts the thread and waits for its window.
    ClipboardKeeper();
    ~ClipboardKeeper() override;
    ClipboardKeeper(const ClipboardKeeper&) = delete;
    ClipboardKeeper& operator=(const ClipboardKeeper&) = delete;

    WindowHandle Window() override { return reinterpret_cast<WindowHandle>(window_.load()); }
    void Provide(std::vector<ClipFormat> formats, WindowHandle target) override;
    void PasteSent() override;
    bool WaitForRequest(uint32_t ms) override;
    uint32_t Requests() override;
    bool TargetAsked() override;
    void Withdraw() override;
    bool StillOffered() override;

private:
    void RunWorker() override;
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Render(HWND window, unsigned format);
    void RenderAll(HWND window);

    std::mutex lock_;
    std::vector<ClipFormat> formats_;  // under lock_
    bool pasteSent_ = false;           // under lock_
    bool renderedBefore_ = false;      // under lock_: a format was rendered before the paste keys
    uint32_t requests_ = 0;            // under lock_
    DWORD targetProcess_ = 0;          // under lock_
    bool targetAsked_ = false;         // under lock_
    WaitEvent requested_;
    WaitEvent ready_;
    std::atomic<HWND> window_{nullptr};
};

}  // namespace kx
