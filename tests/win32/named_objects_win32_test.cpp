// Named objects that are ours alone, and the instance window's refusal of
// WM_COPYDATA without data, on the real system calls. Wine keeps the access
// lists we give objects but enforces few of them, and neither keeps nor
// enforces the integrity label: what it can show is the access list we ask
// for and the objects we refuse; the decisions themselves, the label among
// them, are in tests/native/trust_rules_test.cpp. Then the facts of files the
// trust rules judge, and the access the machine's users get.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <string>

#include "app/lifecycle/single_instance.h"
#include "base/text.h"
#include "engine/hooklink/named_objects_win32.h"
#include "engine/hooklink/shared_block_win32.h"
#include "platform/win32/file_security_win32.h"
#include "tests/native/database_test_support.h"
#include "tests/win32/win32_rig.h"

namespace kx {
namespace {

std::wstring UniqueName(const wchar_t* stem) {
    return std::wstring(L"Local\\kx_test_") + stem + L"_" + std::to_wstring(::GetCurrentProcessId());
}

// The object's access list, as descriptor text.
std::wstring AccessList(HANDLE object) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (::GetSecurityInfo(object, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr,
                          &sd) != ERROR_SUCCESS)
        return L"?";
    LPWSTR text = nullptr;
    ::ConvertSecurityDescriptorToStringSecurityDescriptorW(sd, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text,
                                                           nullptr);
    std::wstring result = text ? text : L"?";
    ::LocalFree(text);
    ::LocalFree(sd);
    return result;
}

TEST(NamedObjects, OursGrantOnlyTheUserAndSystemAndAreOpenedAgain) {
    const std::wstring name = UniqueName(L"mutex");
    DWORD error = 0;
    UniqueHandle first(CreateOwnMutex(name.c_str(), error));
    ASSERT_TRUE(first) << error;
    const std::wstring acl = AccessList(first.Get());
    EXPECT_EQ(acl.rfind(L"D:P", 0), 0u) << "no inherited entries";
    EXPECT_NE(acl.find(L";;;SY)"), std::wstring::npos) << acl;
    EXPECT_EQ(acl.find(L";;;WD)"), std::wstring::npos) << "not Everyone";
    size_t entries = 0;
    for (size_t at = acl.find(L"(A;"); at != std::wstring::npos; at = acl.find(L"(A;", at + 1)) ++entries;
    EXPECT_EQ(entries, 2u) << acl;
    UniqueHandle again(CreateOwnMutex(name.c_str(), error));
    EXPECT_TRUE(again) << "our own object is opened again";
    EXPECT_EQ(error, DWORD(ERROR_ALREADY_EXISTS));
}

// Another account's objects, as they would stand in the namespace: created
// with that account as owner (Wine lets us name any owner; on Windows only
// that account could).
TEST(NamedObjects, OnesThatAnotherAccountCreatedAreRefused) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:S-1-5-21-1-2-3-4242D:(A;;GA;;;WD)",
                                                                       SDDL_REVISION_1, &sd, nullptr));
    SECURITY_ATTRIBUTES sa{sizeof(sa), sd, FALSE};
    UniqueHandle foreign(::CreateMutexW(&sa, FALSE, UniqueName(L"foreign").c_str()));
    UniqueHandle mapping(
        ::CreateFileMappingW(INVALID_HANDLE_VALUE, &sa, PAGE_READWRITE, 0, 16, UniqueName(L"block").c_str()));
    ::LocalFree(sd);
    ASSERT_TRUE(foreign && mapping);
    DWORD error = 0;
    EXPECT_EQ(CreateOwnMutex(UniqueName(L"foreign").c_str(), error), nullptr);
    EXPECT_EQ(error, kForeignObjectError);
    EXPECT_FALSE(SharedBlock::Open(UniqueName(L"block"), 16).Valid()) << "a block someone else set up";
}

// Counts what reaches the window in its user data.
LRESULT CALLBACK CountCopyData(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COPYDATA) return ::DefWindowProcW(window, message, wParam, lParam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, ::GetWindowLongPtrW(window, GWLP_USERDATA) + 1);
    return TRUE;
}

// The instance window passes on only WM_COPYDATA with data. (A window's
// program, by which the rules per program go, is the options suite's, which
// switches a program off from the tray.)
TEST(NamedObjects, TheInstanceWindowPassesOnlyDataOn) {
    UniqueWindow main = test::OwnWindow(L"kx_test_main", CountCopyData);
    ASSERT_TRUE(main);
    InstanceWindow instance;
    ASSERT_TRUE(instance.Create());
    instance.SetMainWindow(main.Get());
    HWND found = FindRunningInstance();
    ASSERT_NE(found, nullptr) << "our own program's instance window is found";
    ::SendMessageW(found, WM_COPYDATA, 0, 0);
    EXPECT_EQ(::GetWindowLongPtrW(main.Get(), GWLP_USERDATA), 0) << "no data, nothing passed on";
    char byte = 0;
    COPYDATASTRUCT data{0, 1, &byte};
    ::SendMessageW(found, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    EXPECT_EQ(::GetWindowLongPtrW(main.Get(), GWLP_USERDATA), 1) << "the main window judges the rest";
    instance.Destroy();
}

// The access the machine's users get, and the facts of files, folders and
// hard links read through one handle.

using namespace kx::testing;

// Wine 8 keeps no access list: it derives one from the file's mode bits and
// accepts a new one without keeping it. So the entries written are checked
// natively (UsersAccessChanges), and here only that the list is written
// through the judged handle, to a folder and a file, and leaves the data;
// and the facts the trust rules judge, read through one handle.
TEST(Win32FileSecurity, UsersGetAccessAndFactsAreReadThroughTheHandleThatWasJudged) {
    ScratchDir dir;
    const std::u16string folder = dir.Path("shared"), file = dir.Path("shared/acdata.txt");
    std::filesystem::create_directories(FsPath(folder));
    WriteAll(file, {7, 8, 9});
    Win32FileSecurity security;
    for (const auto& [path, access] : {std::pair{folder, UsersAccess::Read}, std::pair{file, UsersAccess::Modify}}) {
        auto held = security.Open(path);
        ASSERT_TRUE(held) << U8(path);
        EXPECT_TRUE(held->GiveUsers(access)) << U8(path);
    }
    const std::u16string me = security.CurrentUserSid();
    ASSERT_EQ(me.rfind(u"S-1-", 0), 0u) << U8(me);
    std::vector<uint8_t> bytes;
    auto opened = security.Open(folder);
    ASSERT_TRUE(opened);
    EXPECT_TRUE(opened->Facts().folder);
    EXPECT_FALSE(opened->Facts().reparsePoint);
    EXPECT_FALSE(opened->ReadAll(bytes, 100));

    opened = security.Open(file);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->Facts().linkCount, 1u);
    EXPECT_FALSE(opened->Facts().folder);
    EXPECT_TRUE(opened->Facts().ownerSid == me || opened->Facts().ownerIsAdmin) << U8(opened->Facts().ownerSid);
    EXPECT_FALSE(opened->ReadAll(bytes, 2)) << "over the cap";
    ASSERT_TRUE(opened->ReadAll(bytes, 3));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{7, 8, 9}));
    const std::wstring from(file.begin(), file.end()), link = from + L".second";
    ASSERT_TRUE(::CreateHardLinkW(link.c_str(), from.c_str(), nullptr));
    EXPECT_EQ(security.Open(file)->Facts().linkCount, 2u);
    EXPECT_FALSE(security.Open(dir.Path("missing.txt")));
}

}  // namespace
}  // namespace kx
