#include "platform/fake/recording_key_injector.h"

#include <algorithm>
#include <cstdio>

namespace kx {
namespace {

std::string Hex(unsigned long long v, int digits) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%0*llX", digits, v);
    return buf;
}

// "0x25 down ext", "0x10 s2A up"
std::string DescribeRecord(uint16_t vk, uint16_t scan, uint32_t flags) {
    std::string s = Hex(vk, 2);
    if (scan) {
        char buf[16];
        std::snprintf(buf, sizeof buf, " s%02X", unsigned(scan));
        s += buf;
    }
    s += (flags & keyflag::kKeyUp) ? " up" : " down";
    if (flags & keyflag::kExtended) s += " ext";
    if (uint32_t other = flags & ~(keyflag::kKeyUp | keyflag::kExtended)) s += " flags=" + Hex(other, 1);
    return s;
}

}  // namespace

unsigned RecordingKeyInjector::SendInput(std::span<const KeyRecord> records) {
    if (onSendInput) onSendInput(records);
    ++sendCount_;
    InjectedCall c;
    c.kind = InjectedCall::Kind::SendInput;
    c.records.assign(records.begin(), records.end());
    c.inserted = unsigned(records.size());
    if (auto it = shortCalls_.find(sendCount_); it != shortCalls_.end()) c.inserted = std::min(c.inserted, it->second);
    const unsigned inserted = c.inserted;
    Record(std::move(c));
    return inserted;
}

void RecordingKeyInjector::KeybdEvent(uint8_t vk, uint8_t scan, uint32_t flags) {
    if (flags & keyflag::kKeyUp) held_.erase(vk);
    else held_.insert(vk);
    InjectedCall c;
    c.kind = InjectedCall::Kind::KeybdEvent;
    c.vk = vk;
    c.scan = scan;
    c.flags = flags;
    Record(std::move(c));
}

int16_t RecordingKeyInjector::KeyState(int vk) { return held_.count(vk) ? int16_t(0xFF80) : 0; }

bool RecordingKeyInjector::PostCommand(WindowHandle window, uintptr_t wParam, intptr_t lParam) {
    InjectedCall c;
    c.kind = InjectedCall::Kind::PostCommand;
    c.window = window;
    c.wParam = wParam;
    c.lParam = lParam;
    c.ok = !failPost_;
    Record(c);
    return c.ok;
}

bool RecordingKeyInjector::SetForeground(WindowHandle window) {
    InjectedCall c;
    c.kind = InjectedCall::Kind::SetForeground;
    c.window = window;
    Record(c);
    return true;
}

std::vector<std::vector<KeyRecord>> RecordingKeyInjector::SendInputCalls() const {
    std::vector<std::vector<KeyRecord>> out;
    for (const auto& c : calls_)
        if (c.kind == InjectedCall::Kind::SendInput) out.push_back(c.records);
    return out;
}

std::string RecordingKeyInjector::Describe(const InjectedCall& c) {
    std::string s = "output ";
    switch (c.kind) {
    case InjectedCall::Kind::SendInput:
        s += "SendInput [";
        for (size_t i = 0; i < c.records.size(); ++i) {
            if (i) s += ", ";
            s += DescribeRecord(c.records[i].vk, c.records[i].scan, c.records[i].flags);
        }
        s += "]";
        if (c.inserted != c.records.size()) s += " inserted " + std::to_string(c.inserted);
        break;
    case InjectedCall::Kind::KeybdEvent:
        s += "keybd_event " + DescribeRecord(c.vk, c.scan, c.flags);
        break;
    case InjectedCall::Kind::PostCommand:
        s += "PostMessage " + Hex(c.window, 1) + " WM_COMMAND " + Hex(c.wParam, 4) + " " +
             std::to_string(c.lParam);
        if (!c.ok) s += " failed";
        break;
    case InjectedCall::Kind::SetForeground:
        s += "SetForegroundWindow " + Hex(c.window, 1);
        break;
    }
    return s;
}

void RecordingKeyInjector::Record(InjectedCall call) {
    if (sink_) sink_(Describe(call));
    calls_.push_back(std::move(call));
}

}  // namespace kx
