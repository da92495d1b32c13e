#include "platform/fake/faulty_file_mapping.h"

namespace kx {
namespace {

class FaultyView final : public FileView {
public:
    FaultyView(FaultyFileMapping& owner, std::unique_ptr<FileView> inner) : owner_(owner), inner_(std::move(inner)) {
        data_ = inner_->Data();
        size_ = inner_->Size();
    }
    bool Unmap() override {
        if (!inner_) return true;
        // An unmap that reports failure still releases the view.
        bool ok = owner_.Step("unmap");
        ok = inner_->Unmap() && ok;
        inner_.reset();
        data_ = nullptr;
        size_ = 0;
        return ok;
    }

private:
    FaultyFileMapping& owner_;
    std::unique_ptr<FileView> inner_;
};

class FaultyFile final : public OpenFile {
public:
    FaultyFile(FaultyFileMapping& owner, std::unique_ptr<OpenFile> inner) : owner_(owner), inner_(std::move(inner)) {}
    bool Size(uint64_t& out) override { return inner_->Size(out); }
    bool Flush() override { return owner_.Step("flush") && inner_->Flush(); }
    bool Read(uint64_t offset, void* buffer, size_t size, size_t& got) override {
        got = 0;
        return owner_.Step("read") && inner_->Read(offset, buffer, size, got);
    }
    std::unique_ptr<FileView> Map(uint64_t size) override {
        if (!owner_.Step("map")) return nullptr;
        auto view = inner_->Map(size);
        if (!view) return nullptr;
        return std::make_unique<FaultyView>(owner_, std::move(view));
    }

private:
    FaultyFileMapping& owner_;
    std::unique_ptr<OpenFile> inner_;
};

}  // namespace

void FaultyFileMapping::FailAt(uint32_t step) {
    failAt_ = step;
    steps_ = 0;
    log_.clear();
}

bool FaultyFileMapping::Step(const char* name) {
    ++steps_;
    const bool fail = steps_ == failAt_;
    log_.push_back(fail ? std::string(name) + "!" : std::string(name));
    return !fail;
}

uint32_t FaultyFileMapping::AllocationGranularity() {
    return granularity_ ? granularity_ : inner_.AllocationGranularity();
}

std::unique_ptr<OpenFile> FaultyFileMapping::Open(std::u16string_view path, FileAccess access, FileShare share,
                                                  FileDisposition disposition, FileError& error) {
    ++openAttempts_;
    if (sharingLeft_ > 0) {
        --sharingLeft_;
        error = FileError::SharingViolation;
        return nullptr;
    }
    if (!Step("open")) {
        error = FileError::Other;
        return nullptr;
    }
    auto f = inner_.Open(path, access, share, disposition, error);
    if (!f) return nullptr;
    return std::make_unique<FaultyFile>(*this, std::move(f));
}

bool FaultyFileMapping::SetNormalAttributes(std::u16string_view path) {
    return Step("attributes") && inner_.SetNormalAttributes(path);
}

bool FaultyFileMapping::Delete(std::u16string_view path) { return Step("delete") && inner_.Delete(path); }

bool FaultyFileMapping::Rename(std::u16string_view from, std::u16string_view to) {
    return Step("rename") && inner_.Rename(from, to);
}

}  // namespace kx
