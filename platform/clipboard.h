// The clipboard seam: the calls an expansion makes, with the clipboard's own
// rules (open before use, one owner at a time, formats registered by name).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/window_query.h"

namespace kx {

inline constexpr unsigned kCfUnicodeText = 13;

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // OpenClipboard with `owner` (0 for none); false when another window
    // holds it open.
    virtual bool Open(WindowHandle owner) = 0;
    virtual bool Close() = 0;
    virtual bool Empty() = 0;
    // The format number for a name; 0 when it cannot be registered.
    virtual unsigned RegisterFormat(std::u16string_view name) = 0;
    // Copies `bytes` into a new global memory block and hands the block to
    // the clipboard under `format`. The clipboard must be open. On failure
    // the block is freed and nothing changes.
    virtual bool SetData(unsigned format, std::span<const uint8_t> bytes) = 0;
    // A copy of the data held under `format` (the clipboard must be open);
    // nothing when there is none.
    virtual std::optional<std::vector<uint8_t>> GetData(unsigned format) = 0;
};

// Keeps the clipboard open for a scope. Close() reports the close's result;
// a scope left without it closes the clipboard unchecked.
class ClipboardSession {
public:
    explicit ClipboardSession(Clipboard& clipboard) : clipboard_(clipboard) {}
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    ~ClipboardSession() { if (open_) clipboard_.Close(); }

    bool Open(WindowHandle owner) { return open_ = clipboard_.Open(owner); }
    bool Close() {
        if (!open_) return false;
        open_ = false;
        return clipboard_.Close();
    }

private:
    Clipboard& clipboard_;
    bool open_ = false;
};

}  // namespace kx
