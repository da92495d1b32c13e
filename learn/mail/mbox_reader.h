// Reads the messages of Thunderbird mailboxes ("From - " separated, CRLF
// lines) front to back in blocks, and says where each message's separator
// starts so that a scan can resume exactly there.
//
// Positions count bytes through the mailboxes taken one after another: with
// a single mailbox that is simply the file position.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/stream_file.h"

namespace kx {

inline constexpr size_t kMailBlockBytes = 1048576;
// Longer messages (in UTF-16 units) are passed over.
inline constexpr size_t kMaxMailMessageUnits = 1048576;

// Opens a mailbox for reading; null when it cannot be opened.
using MailboxOpener = std::function<std::unique_ptr<StreamFile>(std::u16string_view path)>;
std::unique_ptr<StreamFile> OpenMailboxFile(std::u16string_view path);

class MboxReader {
public:
    explicit MboxReader(std::vector<std::u16string> mailboxes, MailboxOpener open = OpenMailboxFile,
                        size_t blockBytes = kMailBlockBytes);

    // Positions the reader at `position`; a position that is not a
    // separator's start continues at the next separator. False when the first
    // mailbox cannot be opened (there are then no messages).
    bool Start(uint64_t position);
    // The next message's bytes: the text after its separator line up to the
    // next separator. False after the last message, or when a mailbox cannot
    // be opened or read.
    bool Next(std::string& message);
    // Where the separator in front of the last message Next returned starts;
    // after Next returned false, the end of what was read.
    uint64_t MessageStart() const { return messageStart_; }
    size_t OversizedSkipped() const { return oversized_; }
    size_t MailboxIndex() const { return fileIndex_; }

private:
    // Drops buf_[0, keep) and appends one block; false at the mailbox's end.
    bool Fill(size_t keep);
    bool OpenMailbox(size_t index);
    // Moves on to the next mailbox; false when there is none.
    bool NextMailbox();
    uint64_t Offset(size_t index) const { return bufStart_ + index; }

    std::vector<std::u16string> mailboxes_;
    MailboxOpener open_;
    size_t blockBytes_;
    std::unique_ptr<StreamFile> file_;
    size_t fileIndex_ = 0;
    uint64_t fileBase_ = 0;   // position of the current mailbox's first byte
    uint64_t bufStart_ = 0;   // position of buf_[0]
    std::string buf_;
    size_t pos_ = 0;          // first byte of buf_ not yet consumed
    bool eof_ = true;         // the current mailbox has no more bytes
    bool ended_ = true;       // no more messages at all
    uint64_t messageStart_ = 0;
    size_t oversized_ = 0;
};

}  // namespace kx
