#include "app/search/search_print.h"

#include <shellapi.h>

#include <mutex>
#include <string>

#include "core/print_listing.h"
#include "core/store_choice.h"
#include "platform/win32/handles.h"

namespace kx {
namespace {

UniqueHandle OpenFileHandle(const std::wstring& path, DWORD access, DWORD disposition) {
    HANDLE h = ::CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

// "TempBuffer.txt", mapped read-write for the length of the export.
struct ScratchFile {
    UniqueHandle file, mapping;
    UniqueView view;

    bool Open(const std::wstring& folder) {
        file = OpenFileHandle(folder + L"\\TempBuffer.txt", GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
        if (!file) return false;
        SYSTEM_INFO info{};
        ::GetSystemInfo(&info);
        const DWORD size = 4 * info.dwAllocationGranularity;
        mapping.Reset(::CreateFileMappingW(file.Get(), nullptr, PAGE_READWRITE, 0, size, nullptr));
        if (!mapping) return false;
        view.Reset(::MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, size));
        return bool(view);
    }
    void Close() {
        if (view) ::FlushViewOfFile(view.Get(), 0);
        view.Reset();
        mapping.Reset();
        file.Reset();
    }
};

bool WriteWhole(const std::wstring& path, const std::string& bytes) {
    UniqueHandle file = OpenFileHandle(path, GENERIC_WRITE, CREATE_ALWAYS);
    if (!file) return false;
    DWORD written = 0;
    return ::WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
}

}  // namespace

std::wstring PrintWorkingFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) return {};
    std::wstring folder(temp, n);
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    folder += L"\\Kestrix" + std::to_wstring(::GetCurrentThreadId());
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) return {};
    return folder;
}

void SearchAndPrint(HWND owner, AppServices& services) {
    LoadedStores& stores = services.stores;
    const int choice = ChooseStore(StoreAction::NewShortcut, stores.sharedLoaded, services.dialogs, services.settings);
    if (choice == kChoiceCancelled) return;
    const bool shared = choice == kChoiceShared;
    const StoreRef store = shared ? stores.shared : stores.local;

    const std::wstring folder = PrintWorkingFolder();
    if (folder.empty()) return;
    ScratchFile scratch;
    if (!scratch.Open(folder)) return;

    const std::wstring listing = folder + L"\\TempPrint.txt";
    ExportListing(*store, shared,
                  {[&](const std::string& text) {
                       const bool written = WriteWhole(listing, text);
                       scratch.Close();
                       return written;
                   },
                   [&] { services.prompt.ShowError(u"Search/Print", u"Failed to save file!"); },
                   [&] {
                       // Without a program for text files the system asks which one to use.
                       if (reinterpret_cast<INT_PTR>(::ShellExecuteW(owner, nullptr, listing.c_str(), nullptr, nullptr,
                                                                     SW_SHOWNORMAL)) <= 32) {
                           const std::wstring args = L"shell32.dll,OpenAs_RunDLL " + listing;
                           ::ShellExecuteW(owner, nullptr, L"RUNDLL32.EXE", args.c_str(), nullptr, SW_SHOWNORMAL);
                       }
                   },
                   [] { ::Sleep(1000); }});
}

}  // namespace kx
