#include "learn/mail/mbox_reader.h"

#include <algorithm>

#include "base/text.h"

namespace kx {
namespace {

constexpr std::string_view kSeparator = "\r\nFrom - ";
constexpr std::string_view kFirstSeparator = "From - ";
constexpr size_t npos = std::string::npos;
// Each UTF-16 unit comes from at most three bytes: a message longer than this
// in bytes is too long in units as well, and need not be kept to be measured.
constexpr size_t kMaxMessageBytes = 3 * kMaxMailMessageUnits;

}  // namespace

std::unique_ptr<StreamFile> OpenMailboxFile(std::u16string_view path) {
    FileError error{};
    return OpenStreamFile(path, StreamMode::Read, error);
}

MboxReader::MboxReader(std::vector<std::u16string> mailboxes, MailboxOpener open, size_t blockBytes)
    : mailboxes_(std::move(mailboxes)), open_(std::move(open)), blockBytes_(std::max<size_t>(blockBytes, 1)) {}

bool MboxReader::OpenMailbox(size_t index) {
    fileIndex_ = index;
    file_ = open_(mailboxes_[index]);
    eof_ = file_ == nullptr;
    ended_ = file_ == nullptr;
    return file_ != nullptr;
}

bool MboxReader::NextMailbox() {
    fileBase_ = bufStart_ + buf_.size();
    bufStart_ = fileBase_;
    buf_.clear();
    pos_ = 0;
    file_.reset();
    if (fileIndex_ + 1 >= mailboxes_.size()) {
        fileIndex_ = mailboxes_.size();
        ended_ = true;
        return false;
    }
    return OpenMailbox(fileIndex_ + 1);
}

bool MboxReader::Fill(size_t keep) {
    buf_.erase(0, keep);
    bufStart_ += keep;
    pos_ -= std::min(pos_, keep);
    if (eof_) return false;
    const size_t old = buf_.size();
    buf_.resize(old + blockBytes_);
    size_t got = 0;
    // A read error ends the mailbox like its end does: what was read stands.
    if (!file_->Read(buf_.data() + old, blockBytes_, got)) got = 0;
    buf_.resize(old + got);
    if (got == 0) eof_ = true;
    return got != 0;
}

bool MboxReader::Start(uint64_t position) {
    buf_.clear();
    pos_ = 0;
    fileBase_ = bufStart_ = 0;
    messageStart_ = 0;
    oversized_ = 0;
    file_.reset();
    if (mailboxes_.empty()) {
        ended_ = true;
        return false;
    }
    if (!OpenMailbox(0)) return false;
    for (;;) {
        const uint64_t end = bufStart_ + buf_.size();
        if (position < end) {
            pos_ = size_t(position - bufStart_);
            return true;
        }
        if (!Fill(buf_.size())) {
            if (position == bufStart_) return true;
            if (!NextMailbox()) return !ended_;
        }
    }
}

bool MboxReader::Next(std::string& message) {
    while (!ended_) {
        // The separator: "From - " at a mailbox's first byte, else "\r\nFrom - ".
        size_t sep = npos, lineFrom = 0, scan = pos_;
        for (;;) {
            if (buf_.size() - pos_ < kSeparator.size() && !eof_) {
                const size_t shift = pos_;
                Fill(shift);
                scan -= std::min(scan, shift);
                continue;
            }
            if (Offset(pos_) == fileBase_ && buf_.compare(pos_, kFirstSeparator.size(), kFirstSeparator) == 0) {
                sep = pos_;
                lineFrom = pos_ + kFirstSeparator.size();
                break;
            }
            const size_t found = buf_.find(kSeparator, scan);
            if (found != npos) {
                sep = found;
                lineFrom = found + kSeparator.size();
                break;
            }
            if (eof_) break;
            // Keep only a tail that may be the start of a separator.
            const size_t keep = std::max(pos_, buf_.size() - (kSeparator.size() - 1));
            pos_ = keep;
            Fill(keep);
            scan = 0;
        }
        if (sep == npos) {
            NextMailbox();
            continue;
        }
        const uint64_t separatorAt = Offset(sep);

        // The message text: after the separator line's CRLF, up to the next
        // separator (whose "\r\n" may be that very CRLF) or the mailbox's end.
        pos_ = sep;
        size_t textFrom = npos, end = npos;
        bool oversized = false;
        scan = lineFrom;
        for (;;) {
            if (textFrom == npos) {
                const size_t crlf = buf_.find("\r\n", scan);
                if (crlf != npos) {
                    textFrom = crlf + 2;
                    scan = crlf;
                }
            }
            if (textFrom != npos) {
                const size_t found = buf_.find(kSeparator, scan);
                if (found != npos) {
                    end = found;
                    break;
                }
            }
            if (eof_) {
                end = buf_.size();
                break;
            }
            const size_t tail = buf_.size() >= kSeparator.size() ? buf_.size() - (kSeparator.size() - 1) : 0;
            scan = std::max(scan, tail);
            if (!oversized && buf_.size() - pos_ > kMaxMessageBytes) oversized = true;
            // While a message is kept it is kept whole; an oversized one only
            // needs its end found.
            const size_t shift = oversized ? scan : pos_;
            pos_ = shift;
            Fill(shift);
            scan -= shift;
            if (textFrom != npos) textFrom = textFrom >= shift ? textFrom - shift : 0;
        }
        pos_ = end;
        if (oversized || textFrom == npos || textFrom > end) {
            if (oversized) {
                ++oversized_;
                continue;
            }
            textFrom = end;  // no text after the separator line
        }
        const std::string_view text(buf_.data() + textFrom, end - textFrom);
        if (text.size() > kMaxMailMessageUnits && Utf8ToUtf16(text).size() > kMaxMailMessageUnits) {
            ++oversized_;
            continue;
        }
        messageStart_ = separatorAt;
        message.assign(text);
        return true;
    }
    messageStart_ = bufStart_ + buf_.size();
    return false;
}

}  // namespace kx
