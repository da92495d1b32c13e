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

#include <ole2.h>
#include <oleauto.h>
#include <string>
#include <thread>
#include <vector>
#include <atomic>
#include <filesystem>
#include <fstream>

#include "app/lifecycle/sent_mail_scans.h"
#include "learn/mail/mail_scan.h"
#include "learn/mail/outlook_mail_source_win32.h"
#include "learn/phrase_dictionary.h"
#include "platform/fake/fixed_known_folders.h"
#include "platform/fake/memory_registry.h"
#include "platform/file_system.h"
#include "platform/win32/handles.h"
#include "settings/settings_store.h"
#include "settings/settings_table.h"
#include "tests/native/database_test_support.h"
#include "tests/support/dictionary_options.h"
#include "tests/win32/win32_rig.h"

namespace kx {
namespace {

namespace s = settings;
using test::Within;

// Where Outlook's setup registers it. Wine 8's COM takes its classes from
// HKLM\Software\Classes alone (a class registered under the user's
// HKCU\Software\Classes is "not registered"), so the stand-in goes there.
const wchar_t kClassKey[] = L"Software\\Classes\\CLSID\\{0006F03A-0000-0000-C000-000000000046}";
const wchar_t kInterfaceKey[] = L"Software\\Classes\\Interface\\{00063001-0000-0000-C000-000000000046}";
const wchar_t kLibraryKey[] = L"Software\\Classes\\TypeLib\\{5B0C3E7A-41D2-4F0B-9A61-3C8E2D7F1B40}";
constexpr GUID kLibrary = {0x5B0C3E7A, 0x41D2, 0x4F0B, {0x9A, 0x61, 0x3C, 0x8E, 0x2D, 0x7F, 0x1B, 0x40}};
constexpr IID kApplicationIid = {0x00063001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

void RemoveOutlookStandIn() {
    for (const wchar_t* key : {kClassKey, kInterfaceKey, kLibraryKey}) ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, key);
}

// A type library with Outlook's application interface as a dispatch
// interface deriving from IDispatch, saved at `path`.
bool WriteStandInLibrary(const std::wstring& path) {
    ICreateTypeLib2* made = nullptr;
    ITypeLib* stdole = nullptr;
    ITypeInfo* dispatch = nullptr;
    ICreateTypeInfo* info = nullptr;
    if (FAILED(::CreateTypeLib2(sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32, path.c_str(), &made))) return false;
    const UniqueCom<ICreateTypeLib2> lib(made);
    if (FAILED(::LoadTypeLib(L"stdole2.tlb", &stdole))) return false;
    const UniqueCom<ITypeLib> stdoleHeld(stdole);
    if (FAILED(stdole->GetTypeInfoOfGuid(__uuidof(IDispatch), &dispatch))) return false;
    const UniqueCom<ITypeInfo> dispatchHeld(dispatch);
    if (FAILED(made->SetGuid(kLibrary)) || FAILED(made->SetVersion(1, 0)) ||
        FAILED(made->SetName(const_cast<LPOLESTR>(L"KestrixOutlookStandIn"))) ||
        FAILED(made->CreateTypeInfo(const_cast<LPOLESTR>(L"_Application"), TKIND_DISPATCH, &info)))
        return false;
    const UniqueCom<ICreateTypeInfo> infoHeld(info);
    HREFTYPE base = 0;
    return SUCCEEDED(info->SetGuid(kApplicationIid)) && SUCCEEDED(info->AddRefTypeInfo(dispatch, &base)) &&
           SUCCEEDED(info->AddImplType(0, base)) && SUCCEEDED(info->LayOut()) && SUCCEEDED(made->SaveAllChanges());
}

// The stand-in server (a program beside kx_tests) registered for the test's
// time the way Outlook's setup registers Outlook: the application class with
// its local server, the application interface marshalled by oleaut32 through
// a type library, and that library.
class OutlookStandIn {
public:
    explicit OutlookStandIn(const wchar_t* serverName) {
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring server(path);
        server = server.substr(0, server.rfind(L'\\') + 1) + serverName;
        ::GetTempPathW(MAX_PATH, path);
        library_ = path + std::wstring(L"kx_outlook_standin") + std::to_wstring(::GetCurrentProcessId()) + L".tlb";
        RemoveOutlookStandIn();
        const auto set = [](std::wstring key, const wchar_t* name, const std::wstring& value) {
            return ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, REG_SZ, value.c_str(),
                                     DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
        };
        const std::wstring iface = kInterfaceKey;
        registered_ = WriteStandInLibrary(library_) &&
                      set(kClassKey + std::wstring(L"\\LocalServer32"), nullptr, L"\"" + server + L"\"") &&
                      set(iface, nullptr, L"_Application") &&
                      set(iface + L"\\ProxyStubClsid32", nullptr, L"{00020424-0000-0000-C000-000000000046}") &&
                      set(iface + L"\\TypeLib", nullptr, L"{5B0C3E7A-41D2-4F0B-9A61-3C8E2D7F1B40}") &&
                      set(iface + L"\\TypeLib", L"Version", L"1.0") &&
                      set(kLibraryKey + std::wstring(L"\\1.0\\0\\") + (sizeof(void*) == 8 ? L"win64" : L"win32"),
                          nullptr, library_);
    }
    ~OutlookStandIn() {
        RemoveOutlookStandIn();
        ::DeleteFileW(library_.c_str());
    }
    bool registered_ = false;

private:
    std::wstring library_;
};

struct ScanNeverWaits final : MailScanThread {
    bool StopRequested() override { return false; }
    bool WaitOrStop(uint32_t) override { return false; }
};

struct OutlookComScan : ::testing::Test {
    MemoryRegistry registry;
    SettingsStore settings{registry};
    std::vector<std::u16string> fed;

    void SetUp() override { settings.WriteBool(s::ScanThunderbirdSentItems, false); }

    // The scan, on a thread of its own, as the scanner runs it.
    MailScanEnd Run() {
        MailScanEnd end = MailScanEnd::Off;
        std::thread([&] {
            ScanNeverWaits thread;
            end = RunOutlookScan(
                settings, [] { return ConnectOutlookMailSource(); },
                [&](std::u16string_view text, size_t from) {
                    fed.emplace_back(text.substr(from));
                    return text.size();
                },
                thread);
        }).join();
        return end;
    }
};

TEST_F(OutlookComScan, FeedsTheSentFolderNewestFirstThroughOutlooksAutomation) {
    const OutlookStandIn outlook(L"kx_outlook_standin.exe");
    ASSERT_TRUE(outlook.registered_);
    EXPECT_EQ(Run(), MailScanEnd::Done);
    // Sorted by the time sent, newest first; "RE:" and "FW:" are left out,
    // "Re:" is fed.
    EXPECT_EQ(fed, (std::vector<std::u16string>{u"We accept the offer as written.",
                                                u"The figures for the quarter are attached.",
                                                u"A message without a subject still has words.",
                                                u"Shall we meet at noon by the fountain?"}));
    EXPECT_EQ(settings.ReadInt(s::ScanOutlookCurrentSentItem), 4);
    EXPECT_TRUE(settings.ReadBool(s::ScanOutlookSentItemsDone));
}

// Registered with its program gone, or not registered at all: nothing is
// fed, and the scan is left to try again at the next start.
TEST_F(OutlookComScan, WithoutOutlookNothingIsFedAndTheScanTriesAgainNextTime) {
    settings.WriteInt(s::ScanOutlookCurrentSentItem, 2);
    for (const bool registered : {true, false}) {
        SCOPED_TRACE(registered);
        const OutlookStandIn outlook(L"kx_outlook_standin_missing.exe");
        ASSERT_TRUE(outlook.registered_);
        if (!registered) RemoveOutlookStandIn();
        EXPECT_EQ(Run(), MailScanEnd::NoMail);
        EXPECT_TRUE(fed.empty());
        EXPECT_FALSE(settings.ReadBool(s::ScanOutlookSentItemsDone));
        EXPECT_EQ(settings.ReadInt(s::ScanOutlookCurrentSentItem), 2);
    }
}

// The program's start of the sent-mail scans: only a scan the user switched
// on starts (an absent flag is off here, though the scan itself reads it as
// on), at the lowest priority, once; and a running scan stops at exit, or
// when the user switches it off in the options.

struct SentMailScansTest : ::testing::Test {
    testing::ScratchDir dir;
    MemoryRegistry registry;
    SettingsStore settings{registry};
    PhraseDictionary dictionary{QuietDictionaryOptions()};
    FixedKnownFolders folders{dir.Path("Roaming"), dir.Path("Common")};
    std::atomic<int> connects{0};
    std::atomic<bool> released{true};  // else Outlook's scan holds in its connection
    ThreadPriority connectPriority = ThreadPriority::Normal;
    SentMailScans scans{settings, SystemFileSystem(), folders, dictionary, [this] {
                            connectPriority = CurrentThreadPriority();
                            ++connects;
                            Within(10000, [&] { return released.load(); });
                            return std::unique_ptr<OutlookMailSource>();
                        }};

    // One sent message, with `body`. The scans feed only a dictionary that
    // has loaded its file: a missing file loads as an empty one.
    void Prepare(const char* body) {
        dictionary.LoadFile(u"C:\\nonexistent-folder\\acdata.txt");
        const std::filesystem::path box(dir.Path("Roaming\\Thunderbird\\Profiles\\x.default\\Mail\\Sent"));
        std::filesystem::create_directories(box.parent_path());
        std::ofstream(box, std::ios::binary) << "From - Sat Dec 05 10:00:00 2026\r\nSubject: Hi\r\n\r\n" << body;
    }
    bool Ended() { return !scans.ThunderbirdRunning() && !scans.OutlookRunning(); }
};

// A message without a body: the scan feeds nothing to wait for.
TEST_F(SentMailScansTest, SwitchedOnScansRunOnceAtTheLowestPriorityThunderbirdFirst) {
    Prepare("");
    scans.StartSwitchedOn();  // absent flags are off here
    EXPECT_TRUE(Ended());
    EXPECT_EQ(connects, 0);
    settings.WriteBool(s::ScanThunderbirdSentItems, true);
    settings.WriteBool(s::ScanOutlookSentItems, true);
    released = false;
    scans.StartSwitchedOn();
    // Outlook's waits for Thunderbird's, then finds no Outlook: not done, so
    // the next start tries again.
    ASSERT_TRUE(Within(10000, [&] { return connects == 1; }));
    EXPECT_TRUE(settings.ReadBool(s::ScanThunderbirdSentItemsDone)) << "Thunderbird's ran first";
    scans.StartSwitchedOn();  // running already: not started again
    released = true;
    ASSERT_TRUE(Within(10000, [&] { return Ended(); }));
    EXPECT_EQ(connects, 1);
    EXPECT_EQ(connectPriority, ThreadPriority::Lowest);
    EXPECT_FALSE(settings.ReadBool(s::ScanOutlookSentItemsDone));
}

// No feeder runs here, so the scan waits for its first message to be
// learned until it is stopped: by its box unticked in the options (a stop at
// exit is the mail suite's), and the message is not counted as fed.
TEST_F(SentMailScansTest, AScanSwitchedOffStopsWaitingForTheFeeder) {
    Prepare("See you there.\r\n");
    settings.WriteBool(s::ScanThunderbirdSentItems, true);
    scans.StartSwitchedOn();
    ASSERT_TRUE(Within(10000, [&] { return dictionary.MailTextPending(); }));
    scans.FollowSwitches();
    EXPECT_TRUE(scans.ThunderbirdRunning()) << "still switched on: it goes on";
    settings.WriteBool(s::ScanThunderbirdSentItems, false);
    scans.FollowSwitches();
    EXPECT_FALSE(scans.ThunderbirdRunning());
    EXPECT_EQ(settings.ReadInt(s::ScanThunderbirdCurrentSentItem), 0);
    EXPECT_FALSE(settings.ReadBool(s::ScanThunderbirdSentItemsDone));
}

}  // namespace
}  // namespace kx
