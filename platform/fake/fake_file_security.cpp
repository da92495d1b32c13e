#include "platform/fake/fake_file_security.h"

#include "platform/file_system.h"
#include "platform/stream_file.h"

namespace kx {
namespace {

class FakeHeldFile final : public HeldFile {
public:
    FakeHeldFile(FakeFileSecurity& owner, std::u16string path, FileFacts facts)
        : owner_(owner), path_(std::move(path)), facts_(std::move(facts)) {}
    const FileFacts& Facts() const override { return facts_; }
    bool ReadAll(std::vector<uint8_t>& bytes, uint64_t cap) override {
        uint64_t size = 0;
        if (facts_.folder || !SystemFileSystem().FileSize(path_, size) || size > cap) return false;
        FileError error = FileError::None;
        auto file = OpenStreamFile(path_, StreamMode::Read, error);
        if (!file) return false;
        bytes.resize(size_t(size));
        size_t got = 0, done = 0;
        while (done < bytes.size() && file->Read(bytes.data() + done, bytes.size() - done, got) && got) done += got;
        return done == bytes.size();
    }
    bool GiveUsers(UsersAccess access) override {
        owner_.given.emplace_back(path_, access);
        return true;
    }

private:
    FakeFileSecurity& owner_;
    std::u16string path_;
    FileFacts facts_;
};

}  // namespace

FileFacts& FakeFileSecurity::FactsOf(const std::u16string& path) {
    auto [it, added] = facts.try_emplace(path);
    if (added) it->second.ownerSid = kMe;
    return it->second;
}

const UsersAccess* FakeFileSecurity::GivenTo(std::u16string_view path) const {
    for (const auto& [p, access] : given)
        if (p == path) return &access;
    return nullptr;
}

std::unique_ptr<HeldFile> FakeFileSecurity::Open(std::u16string_view path) {
    FileSystem& fs = SystemFileSystem();
    const bool folder = fs.IsFolder(path);
    if (!folder && !fs.IsFile(path)) return nullptr;
    const std::u16string name(path);
    auto it = facts.find(name);
    FileFacts f = it != facts.end() ? it->second : FileFacts{};
    if (it == facts.end()) f.ownerSid = kMe;
    f.folder = folder;
    return std::make_unique<FakeHeldFile>(*this, name, std::move(f));
}

}  // namespace kx
