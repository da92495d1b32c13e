#include "tools/kxtool/user_hive.h"

#include "base/text.h"

namespace kx {

bool UserHive::Load(const std::u16string& path, std::string& error) {
    const wchar_t* file = reinterpret_cast<const wchar_t*>(path.c_str());
    // RegLoadAppKey creates an empty hive when the file does not exist
    // (Microsoft's documentation of RegLoadAppKey): a mistyped path would
    // take the groups into a new file that no user logs on with.
    const DWORD attributes = ::GetFileAttributesW(file);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = "kxtool: there is no hive file " + U8(path);
        return false;
    }
    HKEY root = nullptr;
    const LONG r = ::RegLoadAppKeyW(file, &root, KEY_ALL_ACCESS, 0, 0);
    if (r == ERROR_SHARING_VIOLATION) {
        error = "kxtool: " + U8(path) +
                " is in use: its user is logged on. Restore while they are logged off, or run kxtool restore as"
                " that user without --user-hive";
        return false;
    }
    if (r != ERROR_SUCCESS) {
        error = "kxtool: cannot load the registry hive " + U8(path) + " (error " + std::to_string(r) + ")";
        return false;
    }
    root_.Reset(root);
    // Asked about itself, the root shows that it is a hive that can be used,
    // before anything is restored.
    DWORD subkeys = 0;
    const LONG q = ::RegQueryInfoKeyW(root, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                                      nullptr, nullptr, nullptr);
    if (q != ERROR_SUCCESS) {
        root_.Reset();
        error = "kxtool: cannot read the registry hive " + U8(path) + " (error " + std::to_string(q) + ")";
        return false;
    }
    return true;
}

bool UserHive::Flush() {
    // Closing a key does not write the hive at once; flushing does (the
    // documentation of RegCloseKey and RegFlushKey).
    return root_ && ::RegFlushKey(root_.Get()) == ERROR_SUCCESS;
}

}  // namespace kx
