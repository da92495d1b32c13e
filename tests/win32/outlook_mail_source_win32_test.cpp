// The Outlook scan over the COM mail source, against the stand-in automation
// server of tests/support/outlook_standin_server.cpp, which the test registers
// for Outlook's application class in its prefix. Each scan runs on a thread
// of its own, as the scanner does, so the source sets COM up for itself.
//
// Where a real Outlook differs from the stand-in, in what the source relies on:
// - Outlook registers its application interface as a dual interface in its
//   type library, and oleaut32 builds a proxy from the library's full table;
//   the stand-in's library declares a plain dispatch interface, which is
//   marshalled as IDispatch. The source calls through IDispatch only, by
//   name, so both serve it alike.
// - Outlook's object model guard may ask the user before a program reads
//   the addresses or the body, and a refusal makes that read fail; the
//   stand-in never refuses. The source then keeps the field empty, and an
//   empty body feeds nothing.
// - Outlook runs once and every connection attaches to it; the stand-in
//   registers its class for one use, so each connection starts a new
//   server. It holds mail items only, where Outlook's sent folder also
//   holds meeting requests and reports; those answer Subject and Body, and
//   a name an item lacks reads as empty.
// - Outlook sorts by the real time sent; the stand-in by day numbers.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "learn/mail/mail_scan.h"
#include "platform/fake/memory_registry.h"
#include "learn/mail/outlook_mail_source_win32.h"
#include "settings/settings_store.h"
#include "settings/settings_table.h"
#include "tests/support/outlook_standin_registration.h"

namespace kx {
namespace {

namespace s = settings;

std::wstring StandInServerPath(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.rfind(L'\\') + 1) + name;
}

std::wstring StandInLibraryPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name + std::to_wstring(::GetCurrentProcessId()) + L".tlb";
}

struct ScanNeverWaits final : MailScanThread {
    bool StopRequested() override { return false; }
    bool WaitOrStop(uint32_t) override { return false; }
};

// Passes the source's items on and keeps what each held.
class RecordingOutlookSource final : public OutlookMailSource {
public:
    RecordingOutlookSource(std::unique_ptr<OutlookMailSource> inner, std::vector<MailItem>& seen)
        : inner_(std::move(inner)), seen_(seen) {}
    bool First(MailItem& item) override { return Keep(inner_->First(item), item); }
    bool Next(MailItem& item) override { return Keep(inner_->Next(item), item); }

private:
    bool Keep(bool loaded, const MailItem& item) {
        if (loaded) seen_.push_back(item);
        return loaded;
    }
    std::unique_ptr<OutlookMailSource> inner_;
    std::vector<MailItem>& seen_;
};

struct OutlookComScan : testing::Test {
    MemoryRegistry registry;
    SettingsStore settings{registry};
    std::vector<std::u16string> fed;
    std::vector<MailItem> seen;

    void SetUp() override { settings.WriteBool(s::ScanThunderbirdSentItems, false); }

    // The scan, on a thread of its own, over the COM source.
    MailScanEnd Run() {
        MailScanEnd end = MailScanEnd::Off;
        std::thread scanner([&] {
            ScanNeverWaits thread;
            end = RunOutlookScan(
                settings,
                [&]() -> std::unique_ptr<OutlookMailSource> {
                    return std::make_unique<RecordingOutlookSource>(ConnectOutlookMailSource(), seen);
                },
                [&](std::u16string_view text, size_t from) {
                    fed.emplace_back(text.substr(from));
                    return text.size();
                },
                thread);
        });
        scanner.join();
        return end;
    }
};

TEST_F(OutlookComScan, FeedsTheSentFolderNewestFirstThroughOutlooksAutomation) {
    const test::OutlookStandIn outlook(StandInServerPath(L"kx_outlook_standin.exe"), StandInLibraryPath(L"kx_outlook_standin"));
    ASSERT_TRUE(outlook.Registered());

    EXPECT_EQ(Run(), MailScanEnd::Done);
    // Sorted by the time sent, newest first; "RE:" and "FW:" are left out,
    // "Re:" is fed. The inbox's message never shows.
    EXPECT_EQ(fed, (std::vector<std::u16string>{u"We accept the offer as written.",
                                                u"The figures for the quarter are attached.",
                                                u"A message without a subject still has words.",
                                                u"Shall we meet at noon by the fountain?"}));
    EXPECT_EQ(settings.ReadInt(s::ScanOutlookCurrentSentItem), 4);
    EXPECT_TRUE(settings.ReadBool(s::ScanOutlookSentItemsDone));

    // Every item is read whole, addresses included, and the end is no item.
    std::vector<std::u16string> subjects, to;
    for (const MailItem& item : seen) {
        EXPECT_TRUE(item.valid);
        EXPECT_EQ(item.from, u"ann@example.com");
        subjects.push_back(item.subject);
        to.push_back(item.to);
    }
    EXPECT_EQ(subjects, (std::vector<std::u16string>{u"RE: offer", u"Re: offer", u"FW: minutes",
                                                     u"Quarterly figures", u"", u"Lunch on Friday"}));
    EXPECT_EQ(to, (std::vector<std::u16string>{u"bob@example.com", u"carl@example.com", u"eve@example.com",
                                               u"board@example.com", u"fay@example.com", u"dora@example.com"}));
}

TEST_F(OutlookComScan, WithoutOutlookTheSourceStaysInvalidAndTheScanTriesAgainNextTime) {
    settings.WriteInt(s::ScanOutlookCurrentSentItem, 2);
    auto walk = [] {
        MailItem item;
        item.valid = true;
        bool loaded = true;
        std::thread([&] {
            const std::unique_ptr<OutlookMailSource> source = ConnectOutlookMailSource();
            loaded = source->First(item) || source->Next(item);
        }).join();
        return loaded || item.valid;
    };
    {
        // Registered, but its program is gone.
        const test::OutlookStandIn outlook(StandInServerPath(L"kx_outlook_standin_missing.exe"),
                                           StandInLibraryPath(L"kx_outlook_standin"));
        ASSERT_TRUE(outlook.Registered());
        EXPECT_FALSE(walk());
    }
    // Not registered at all.
    test::RemoveOutlookStandIn();
    EXPECT_FALSE(walk());

    EXPECT_EQ(Run(), MailScanEnd::NoMail);
    EXPECT_TRUE(fed.empty());
    EXPECT_TRUE(seen.empty());
    EXPECT_FALSE(settings.ReadBool(s::ScanOutlookSentItemsDone));
    EXPECT_EQ(settings.ReadInt(s::ScanOutlookCurrentSentItem), 2);
}

}  // namespace
}  // namespace kx
