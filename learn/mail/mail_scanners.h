// The two sent-mail scanners: threads at the lowest priority that run the
// scans of mail_scan.h into the learning dictionary. Thunderbird's runs
// first; Outlook's waits for it through the settings while it runs.
#pragma once

#include <functional>
#include <memory>

#include "learn/mail/mail_scan.h"
#include "platform/worker_thread.h"

namespace kx {

class FileSystem;
class KnownFolders;
class PhraseDictionary;
class SettingsStore;

// Waits, in the scan's pauses, until the dictionary has loaded its file,
// hands `text` from unit `from` on to its mail feeder and waits until the
// feeder has passed all of it on to learning: the progress a scan writes
// next then counts only mail that was learned into a dictionary that is
// saved at exit, and the scan goes at the feeder's pace instead of piling up
// text that an exit would lose. Returns how far into `text` the feeder got:
// text.size() unless the thread was stopped, when the rest is taken back
// from the feeder.
size_t FeedMailAndWait(PhraseDictionary& dictionary, MailScanThread& thread, std::u16string_view text,
                       size_t from = 0);

class ThunderbirdScanner final : public WorkerThread, private MailScanThread {
public:
    ThunderbirdScanner(SettingsStore& settings, FileSystem& fs, KnownFolders& folders, PhraseDictionary& dictionary)
        : settings_(settings), fs_(fs), folders_(folders), dictionary_(dictionary) {}
    ~ThunderbirdScanner() override { Stop(); }
    void RunWorker() override;
    MailScanEnd LastEnd() const { return end_; }

private:
    bool StopRequested() override { return WorkerThread::StopRequested(); }
    bool WaitOrStop(uint32_t ms) override { return WorkerThread::WaitOrStop(ms); }

    SettingsStore& settings_;
    FileSystem& fs_;
    KnownFolders& folders_;
    PhraseDictionary& dictionary_;
    MailScanEnd end_ = MailScanEnd::Off;
};

class OutlookScanner final : public WorkerThread, private MailScanThread {
public:
    using Connect = std::function<std::unique_ptr<OutlookMailSource>()>;
    // `thunderbirdRunning`: whether Thunderbird's scanner runs now.
    OutlookScanner(SettingsStore& settings, Connect connect, PhraseDictionary& dictionary,
                   std::function<bool()> thunderbirdRunning)
        : settings_(settings),
          connect_(std::move(connect)),
          dictionary_(dictionary),
          thunderbirdRunning_(std::move(thunderbirdRunning)) {}
    ~OutlookScanner() override { Stop(); }
    void RunWorker() override;
    MailScanEnd LastEnd() const { return end_; }

private:
    bool StopRequested() override { return WorkerThread::StopRequested(); }
    bool WaitOrStop(uint32_t ms) override { return WorkerThread::WaitOrStop(ms); }

    SettingsStore& settings_;
    Connect connect_;
    PhraseDictionary& dictionary_;
    std::function<bool()> thunderbirdRunning_;
    MailScanEnd end_ = MailScanEnd::Off;
};

}  // namespace kx
