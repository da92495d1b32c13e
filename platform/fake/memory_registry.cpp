#include "platform/fake/memory_registry.h"

#include <cstring>

#include "base/text.h"

namespace kx {

bool MemoryRegistry::NoCaseLess::operator()(std::u16string_view a, std::u16string_view b) const {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        char16_t x = AsciiUpper(a[i]), y = AsciiUpper(b[i]);
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

std::u16string MemoryRegistry::Normalise(Hive hive, std::u16string_view keyPath) {
    std::u16string p = hive == Hive::CurrentUser ? u"HKCU\\" : u"HKLM\\";
    // Collapse doubled and trailing separators as the registry does.
    for (char16_t c : keyPath) {
        if (c == u'\\' && !p.empty() && p.back() == u'\\') continue;
        p.push_back(c);
    }
    while (!p.empty() && p.back() == u'\\') p.pop_back();
    return p;
}

long MemoryRegistry::QueryValue(Hive hive, std::u16string_view keyPath, std::u16string_view name,
                                uint8_t* buffer, uint32_t* size, uint32_t* type) {
    std::lock_guard<std::mutex> g(lock_);
    auto k = keys_.find(Normalise(hive, keyPath));
    if (k == keys_.end()) return reg::kFileNotFound;
    auto v = k->second.values.find(name);
    if (v == k->second.values.end()) return reg::kFileNotFound;
    const auto& data = v->second.data;
    if (type) *type = v->second.type;
    if (data.size() > *size) {
        *size = uint32_t(data.size());
        return reg::kMoreData;
    }
    if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
    *size = uint32_t(data.size());
    return reg::kSuccess;
}

long MemoryRegistry::SetValue(Hive hive, std::u16string_view keyPath, std::u16string_view name,
                              uint32_t type, const uint8_t* data, uint32_t size) {
    std::lock_guard<std::mutex> g(lock_);
    // Create every level of the path, as RegCreateKeyEx does.
    std::u16string full = Normalise(hive, keyPath);
    for (size_t pos = full.find(u'\\'); ; pos = full.find(u'\\', pos + 1)) {
        std::u16string prefix = full.substr(0, pos);
        auto& key = keys_[prefix];
        if (key.name.empty()) key.name = prefix;
        if (pos == std::u16string::npos) break;
    }
    keys_[full].values[std::u16string(name)] = Value{type, std::basic_string<uint8_t>(data, size)};
    ++generation_;
    return reg::kSuccess;
}

long MemoryRegistry::DeleteValue(Hive hive, std::u16string_view keyPath, std::u16string_view name) {
    std::lock_guard<std::mutex> g(lock_);
    auto k = keys_.find(Normalise(hive, keyPath));
    if (k == keys_.end()) return reg::kFileNotFound;
    auto v = k->second.values.find(name);
    if (v == k->second.values.end()) return reg::kFileNotFound;
    k->second.values.erase(v);
    ++generation_;
    return reg::kSuccess;
}

bool MemoryRegistry::KeyExists(Hive hive, std::u16string_view keyPath) {
    std::lock_guard<std::mutex> g(lock_);
    return keys_.count(Normalise(hive, keyPath)) > 0;
}

std::vector<std::u16string> MemoryRegistry::SubKeys(Hive hive, std::u16string_view keyPath) {
    std::lock_guard<std::mutex> g(lock_);
    std::vector<std::u16string> out;
    std::u16string prefix = Normalise(hive, keyPath) + u"\\";
    for (auto it = keys_.lower_bound(prefix); it != keys_.end(); ++it) {
        const std::u16string& full = it->second.name;
        if (full.size() <= prefix.size() || !EqualsNoCaseAscii(std::u16string_view(full).substr(0, prefix.size()), prefix)) break;
        std::u16string_view rest = std::u16string_view(full).substr(prefix.size());
        if (rest.find(u'\\') == std::u16string_view::npos) out.emplace_back(rest);
    }
    return out;
}

std::vector<std::u16string> MemoryRegistry::ValueNames(Hive hive, std::u16string_view keyPath) {
    std::lock_guard<std::mutex> g(lock_);
    std::vector<std::u16string> out;
    auto k = keys_.find(Normalise(hive, keyPath));
    if (k == keys_.end()) return out;
    for (const auto& [name, value] : k->second.values) out.push_back(name);
    return out;
}

long MemoryRegistry::DeleteTree(Hive hive, std::u16string_view keyPath) {
    std::lock_guard<std::mutex> g(lock_);
    std::u16string full = Normalise(hive, keyPath);
    auto it = keys_.find(full);
    if (it == keys_.end()) return reg::kFileNotFound;
    std::u16string prefix = full + u"\\";
    it = keys_.erase(it);
    while (it != keys_.end() && it->second.name.size() > prefix.size() &&
           EqualsNoCaseAscii(std::u16string_view(it->second.name).substr(0, prefix.size()), prefix))
        it = keys_.erase(it);
    ++generation_;
    return reg::kSuccess;
}

std::unique_ptr<RegistryWatch> MemoryRegistry::WatchTree(Hive, std::u16string_view) {
    class Watch final : public RegistryWatch {
    public:
        explicit Watch(const std::atomic<uint64_t>& g) : gen_(g) {}
        bool Changed() override {
            uint64_t now = gen_.load();
            bool changed = !seen_ || now != last_;
            seen_ = true;
            last_ = now;
            return changed;
        }

    private:
        const std::atomic<uint64_t>& gen_;
        uint64_t last_ = 0;
        bool seen_ = false;
    };
    return std::make_unique<Watch>(generation_);
}

}  // namespace kx
