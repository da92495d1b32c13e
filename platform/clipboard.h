// The clipboard seam: the calls an expansion makes, with the clipboard's own
// rules (open before use, one owner at a time, formats registered by name).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/window_query.h"

namespace kx {

// Standard formats the program handles by number.
inline constexpr unsigned kCfText = 1;
inline constexpr unsigned kCfBitmap = 2;          // a GDI bitmap handle
inline constexpr unsigned kCfMetafilePict = 3;    // a METAFILEPICT around a metafile handle
inline constexpr unsigned kCfOemText = 7;
inline constexpr unsigned kCfDib = 8;
inline constexpr unsigned kCfPalette = 9;         // a GDI palette handle
inline constexpr unsigned kCfUnicodeText = 13;
inline constexpr unsigned kCfEnhMetafile = 14;    // an enhanced metafile handle
inline constexpr unsigned kCfHdrop = 15;
inline constexpr unsigned kCfLocale = 16;
inline constexpr unsigned kCfDibV5 = 17;
inline constexpr unsigned kCfOwnerDisplay = 0x80;  // painted by its owner: no data
inline constexpr unsigned kCfDspBitmap = 0x82;
inline constexpr unsigned kCfDspMetafilePict = 0x83;
inline constexpr unsigned kCfDspEnhMetafile = 0x8E;
// Handles only their owner can free or copy.
inline constexpr unsigned kCfPrivateFirst = 0x200, kCfPrivateLast = 0x2FF;
inline constexpr unsigned kCfGdiObjFirst = 0x300, kCfGdiObjLast = 0x3FF;

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
    // the clipboard under `format`. The clipboard must be open, or its owner
    // be answering a request to render `format`. On failure the block is
    // freed and nothing changes. Formats held as GDI objects (bitmaps,
    // metafiles, palettes) take the bytes GetData gives for them and become
    // such an object again.
    virtual bool SetData(unsigned format, std::span<const uint8_t> bytes) = 0;
    // A copy of the data held under `format` (the clipboard must be open);
    // nothing when there is none. A GDI object comes as bytes that describe
    // it whole: a bitmap as a packed device-independent bitmap, a metafile
    // as its records (after the picture's mapping mode and extents), a
    // palette as its entries.
    virtual std::optional<std::vector<uint8_t>> GetData(unsigned format) = 0;
    // How many bytes GetData would give for `format`, found without copying
    // them (a format offered for delayed rendering is rendered first); 0
    // when there is none.
    virtual size_t DataSize(unsigned format) = 0;
    // Every format the clipboard holds, in its own order (the clipboard
    // must be open). Includes the formats the system would make from others.
    virtual std::vector<unsigned> Formats() = 0;
    // Offers `format` without data: the clipboard's owner renders it when a
    // program asks for it. The clipboard must be open and emptied by the owner.
    virtual bool OfferDelayed(unsigned format) = 0;
};

// One format's data, as an expansion offers it or a saved clipboard holds it.
struct ClipFormat {
    unsigned format = 0;
    std::vector<uint8_t> bytes;
    friend bool operator==(const ClipFormat&, const ClipFormat&) = default;
};

// The window that owns the clipboard for expansions and renders the formats
// an expansion offers when a program asks for them. It answers on a thread
// of its own, so it answers while the expansion waits.
//
// Every program that asks gets the expansion: the target's paste may be read
// by another process than the one that owns its window (a browser engine, a
// Store app's host, a remote desktop client), and a clipboard viewer or
// history tool reads each change. Which request is the paste is told by its
// time: the first one after the paste keys were sent. Only a request from
// the target's own program shows that the target itself has read.
class ClipboardOwner {
public:
    virtual ~ClipboardOwner() = default;
    // The window to open the clipboard with; 0 when it could not be made.
    virtual WindowHandle Window() = 0;
    // From now on requests are answered with these formats, which replace
    // those provided before; the wait for a paste into `target` starts
    // afresh.
    virtual void Provide(std::vector<ClipFormat> formats, WindowHandle target) = 0;
    // The paste keys (or the console's paste command) go now: the first
    // request from here on is the target's paste.
    virtual void PasteSent() = 0;
    // Waits up to `ms` for the target's paste; true when a request came
    // after PasteSent, or at once when a program already had a format
    // rendered before it: the target then reads that format without asking,
    // and only the quiet that follows can tell its paste is over.
    virtual bool WaitForRequest(uint32_t ms) = 0;
    // How many requests were answered since Provide; a change means a
    // program is still reading.
    virtual uint32_t Requests() = 0;
    // A request came after PasteSent from the program that owns the target
    // window (a reader without a window is not taken for it).
    virtual bool TargetAsked() = 0;
    // Nothing will paste (the expansion failed): stop waiting for a target.
    virtual void Withdraw() = 0;
    // The clipboard still holds what was provided last: nobody emptied it
    // since.
    virtual bool StillOffered() = 0;
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
