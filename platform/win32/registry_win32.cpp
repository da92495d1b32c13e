#include "platform/win32/registry_win32.h"

#include <windows.h>

namespace kx {
namespace {

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

// An open registry key, closed on scope exit.
class Key {
public:
    Key() = default;
    ~Key() { if (h_) RegCloseKey(h_); }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY* out() { return &h_; }
    HKEY get() const { return h_; }

private:
    HKEY h_ = nullptr;
};

#ifndef REG_NOTIFY_THREAD_AGNOSTIC
#define REG_NOTIFY_THREAD_AGNOSTIC 0x10000000L
#endif

// A change notification on a key and its subkeys. The registry signals the
// event while it applies a change, so a read after any write sees it.
class Win32Watch final : public RegistryWatch {
public:
    Win32Watch(HKEY root, const std::u16string& path) {
        event_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (event_ && RegCreateKeyExW(root, W(path), 0, nullptr, 0, KEY_NOTIFY, nullptr, key_.out(), nullptr) == ERROR_SUCCESS)
            armed_ = Arm();
    }
    ~Win32Watch() override { if (event_) CloseHandle(event_); }

    bool Changed() override {
        if (first_) { first_ = false; return true; }
        // Without a working notification every call counts as a change.
        if (!armed_) return true;
        if (WaitForSingleObject(event_, 0) != WAIT_OBJECT_0) return false;
        armed_ = Arm();
        return true;
    }

private:
    bool Arm() {
        const DWORD filter = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
        if (RegNotifyChangeKeyValue(key_.get(), TRUE, filter | REG_NOTIFY_THREAD_AGNOSTIC, event_, TRUE) == ERROR_SUCCESS)
            return true;
        // Older systems refuse the thread-agnostic flag.
        return RegNotifyChangeKeyValue(key_.get(), TRUE, filter, event_, TRUE) == ERROR_SUCCESS;
    }

    Key key_;
    HANDLE event_ = nullptr;
    bool armed_ = false;
    bool first_ = true;
};

}  // namespace

std::unique_ptr<RegistryWatch> Win32Registry::WatchTree(Hive hive, std::u16string_view keyPath) {
    return std::make_unique<Win32Watch>(Root(hive), std::u16string(keyPath));
}

long Win32Registry::QueryValue(Hive hive, std::u16string_view keyPath, std::u16string_view name,
                               uint8_t* buffer, uint32_t* size, uint32_t* type) {
    Key key;
    std::u16string path(keyPath), value(name);
    long r = RegOpenKeyExW(Root(hive), W(path), 0, KEY_QUERY_VALUE, key.out());
    if (r != ERROR_SUCCESS) return r;
    DWORD t = 0, sz = *size;
    r = RegQueryValueExW(key.get(), W(value), nullptr, &t, buffer, &sz);
    *size = sz;
    if (type) *type = t;
    return r;
}

long Win32Registry::SetValue(Hive hive, std::u16string_view keyPath, std::u16string_view name,
                             uint32_t type, const uint8_t* data, uint32_t size) {
    Key key;
    std::u16string path(keyPath), value(name);
    long r = RegCreateKeyExW(Root(hive), W(path), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.out(), nullptr);
    if (r != ERROR_SUCCESS) return r;
    RegSetValueExW(key.get(), W(value), 0, type, data, size);
    return r;
}

long Win32Registry::DeleteValue(Hive hive, std::u16string_view keyPath, std::u16string_view name) {
    Key key;
    std::u16string path(keyPath), value(name);
    long r = RegOpenKeyExW(Root(hive), W(path), 0, KEY_SET_VALUE, key.out());
    if (r != ERROR_SUCCESS) return r;
    return RegDeleteValueW(key.get(), W(value));
}

bool Win32Registry::KeyExists(Hive hive, std::u16string_view keyPath) {
    Key key;
    std::u16string path(keyPath);
    return RegOpenKeyExW(Root(hive), W(path), 0, KEY_QUERY_VALUE, key.out()) == ERROR_SUCCESS;
}

std::vector<std::u16string> Win32Registry::SubKeys(Hive hive, std::u16string_view keyPath) {
    std::vector<std::u16string> out;
    Key key;
    std::u16string path(keyPath);
    if (RegOpenKeyExW(Root(hive), W(path), 0, KEY_ENUMERATE_SUB_KEYS, key.out()) != ERROR_SUCCESS) return out;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD len = 256;
        if (RegEnumKeyExW(key.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        out.emplace_back(reinterpret_cast<const char16_t*>(name), len);
    }
    return out;
}

std::vector<std::u16string> Win32Registry::ValueNames(Hive hive, std::u16string_view keyPath) {
    std::vector<std::u16string> out;
    Key key;
    std::u16string path(keyPath);
    if (RegOpenKeyExW(Root(hive), W(path), 0, KEY_QUERY_VALUE, key.out()) != ERROR_SUCCESS) return out;
    for (DWORD i = 0;; ++i) {
        // A value name has at most 16,383 characters.
        wchar_t name[16384];
        DWORD len = 16384;
        if (RegEnumValueW(key.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        out.emplace_back(reinterpret_cast<const char16_t*>(name), len);
    }
    return out;
}

long Win32Registry::DeleteTree(Hive hive, std::u16string_view keyPath) {
    std::u16string path(keyPath);
    // Given a subkey name, RegDeleteTree removes that key with everything below.
    return RegDeleteTreeW(Root(hive), W(path));
}

}  // namespace kx
