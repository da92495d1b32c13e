// A key injector that records every call in order instead of touching the
// input stream, and can be told to insert fewer records than asked. Each call
// can also be written as one line ("output SendInput [0x08 down, 0x08 up]")
// to a sink, for kxtool replay and for reading test failures.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/key_injector.h"

namespace kx {

struct InjectedCall {
    enum class Kind { SendInput, KeybdEvent, PostCommand, SetForeground };
    Kind kind = Kind::SendInput;
    std::vector<KeyRecord> records;  // SendInput
    unsigned inserted = 0;           // SendInput: what it reported
    uint8_t vk = 0, scan = 0;        // KeybdEvent
    uint32_t flags = 0;              // KeybdEvent
    WindowHandle window = 0;         // PostCommand, SetForeground
    uintptr_t wParam = 0;            // PostCommand
    intptr_t lParam = 0;             // PostCommand
    bool ok = true;                  // PostCommand, SetForeground
};

class RecordingKeyInjector final : public KeyInjector {
public:
    using LineSink = std::function<void(const std::string&)>;
    explicit RecordingKeyInjector(LineSink sink = {}) : sink_(std::move(sink)) {}

    unsigned SendInput(std::span<const KeyRecord> records) override;
    void KeybdEvent(uint8_t vk, uint8_t scan, uint32_t flags) override;
    int16_t KeyState(int vk) override;
    bool PostCommand(WindowHandle window, uintptr_t wParam, intptr_t lParam) override;
    bool SetForeground(WindowHandle window) override;
    bool OwnKeysReported() const override { return ownKeysReported; }
    // False plays an injector whose keys the hook module never reports.
    bool ownKeysReported = true;

    // The `call`-th SendInput call (1 = the first ever made) inserts only
    // `inserted` records.
    void FailSendInput(unsigned call, unsigned inserted) { shortCalls_[call] = inserted; }
    void FailPostCommand(bool fail) { failPost_ = fail; }
    // A key held down, as GetKeyState sees it. A key-up through KeybdEvent
    // lets it go.
    void HoldKey(int vk) { held_.insert(vk); }
    // Called at each SendInput before it is recorded, to look at other
    // state at that moment.
    std::function<void(std::span<const KeyRecord>)> onSendInput;

    const std::vector<InjectedCall>& Calls() const { return calls_; }
    // The records of each SendInput call, in order.
    std::vector<std::vector<KeyRecord>> SendInputCalls() const;

private:
    static std::string Describe(const InjectedCall& call);
    void Record(InjectedCall call);

    LineSink sink_;
    std::vector<InjectedCall> calls_;
    std::map<unsigned, unsigned> shortCalls_;
    unsigned sendCount_ = 0;
    bool failPost_ = false;
    std::set<int> held_;
};

}  // namespace kx
