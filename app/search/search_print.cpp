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

bool WriteWhole(const std::wstring& path, const std::string& bytes) {
    UniqueHandle file = OpenFileHandle(path, GENERIC_WRITE, CREATE_ALWAYS);
    if (!file) return false;
    DWORD written = 0;
    return ::WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
}

}  // namespace

void SearchAndPrint(HWND owner, AppServices& services) {
    LoadedStores& stores = services.stores;
    const int choice = ChooseStore(StoreAction::NewShortcut, stores.sharedLoaded, services.dialogs, services.settings);
    if (choice == kChoiceCancelled) return;
    const bool shared = choice == kChoiceShared;
    const StoreRef store = shared ? stores.shared : stores.local;

    const std::wstring listing = services.printFolder.Listing();
    if (listing.empty()) return;
    ExportListing(*store, shared,
                  {[&](const std::string& text) { return WriteWhole(listing, text); },
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
