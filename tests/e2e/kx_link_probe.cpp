// Runs the hook link with the real hook module and writes every record it
// hands on to a file, one line each, so a test driver can check what typing
// on the virtual display delivered:
//   key vk=41 ch=0061 down=1 mods=00
//   reset
//   notice 1 2
// The line "ready" follows once the hooks are enabled. Ends after --seconds
// or when --stop-file appears.
//
//   kx_link_probe.exe --module PATH --out PATH [--seconds N] [--stop-file PATH]
#include <windows.h>

#include <cstdio>
#include <mutex>
#include <string>

#include "engine/hooklink/hook_link_win32.h"
#include "tests/support/win32_tool.h"

namespace {

class FileSink final : public kx::HookEventSink {
public:
    explicit FileSink(FILE* f) : f_(f) {}
    void OnKeyEvent(const kx::KeyEvent& e) override {
        Line("key vk=%02X ch=%04X down=%d mods=%02X", unsigned(e.vk), unsigned(e.ch), int(e.isDown),
             unsigned(e.modifiers));
    }
    void ResetTypedBuffer() override { Line("reset"); }
    void PostNotice(int kind, intptr_t value) override { Line("notice %d %lld", kind, (long long)value); }
    void OnEngineStarted(uintptr_t, uint32_t) override {}
    template <typename... Args>
    void Line(const char* format, Args... args) {
        std::lock_guard<std::mutex> g(lock_);
        std::fprintf(f_, format, args...);
        std::fputc('\n', f_);
        std::fflush(f_);
    }

private:
    std::mutex lock_;
    FILE* f_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const testprog::Args o(argc, argv, 1);
    const std::wstring module = o.Get(L"--module");
    FILE* f = _wfopen(o.Get(L"--out").c_str(), L"wb");
    if (!f || module.empty()) return 2;
    FileSink sink(f);
    int result = 0;
    {
        kx::HookLink link(sink);
        if (!link.StartEngine(nullptr, module) || !link.SetHooksEnabled(true)) {
            sink.Line("failed %lu", ::GetLastError());
            result = 3;
        } else {
            sink.Line("ready");
            const ULONGLONG end = ::GetTickCount64() + unsigned(o.Int(L"--seconds", 60)) * 1000ull;
            while (::GetTickCount64() < end && !testprog::Exists(o.Get(L"--stop-file"))) ::Sleep(50);
            link.StopEngine();
        }
    }
    sink.Line("end");
    std::fclose(f);
    return result;
}
