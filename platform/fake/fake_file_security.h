// File security for tests: the real files and folders, with the facts a
// test gives a path (a junction, a second hard link, another owner) in
// place of the system's, and a record of the access given.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_security.h"

namespace kx {

class FakeFileSecurity final : public FileSecurity {
public:
    static constexpr char16_t kMe[] = u"S-1-5-21-7-7-7-1001";
    static constexpr char16_t kOther[] = u"S-1-5-21-7-7-7-1002";

    // Facts for a path; every other existing path is a plain object of kMe.
    std::map<std::u16string, FileFacts> facts;
    // Access given, in order.
    std::vector<std::pair<std::u16string, UsersAccess>> given;

    void MakeReparsePoint(const std::u16string& path) { FactsOf(path).reparsePoint = true; }
    void MakeHardLinked(const std::u16string& path) { FactsOf(path).linkCount = 2; }
    void OwnBy(const std::u16string& path, std::u16string sid, bool admin) {
        FactsOf(path).ownerSid = std::move(sid);
        FactsOf(path).ownerIsAdmin = admin;
    }
    // The access given to `path`, if any.
    const UsersAccess* GivenTo(std::u16string_view path) const;
    bool Granted(std::u16string_view path) const { return GivenTo(path) != nullptr; }

    std::unique_ptr<HeldFile> Open(std::u16string_view path) override;
    std::u16string CurrentUserSid() override { return kMe; }

private:
    FileFacts& FactsOf(const std::u16string& path);
};

}  // namespace kx
