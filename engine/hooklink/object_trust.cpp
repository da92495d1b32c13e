#include "engine/hooklink/object_trust.h"

namespace kx {
namespace {

char16_t FoldAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - u'a' + u'A') : c; }

}  // namespace

std::u16string OwnObjectDescriptor(std::u16string_view userSid) {
    return OwnObjectDescriptorUnlabelled(userSid) + u"S:(ML;;NWNR;;;ME)";
}

std::u16string OwnObjectDescriptorUnlabelled(std::u16string_view userSid) {
    return u"D:P(A;;GA;;;" + std::u16string(userSid) + u")(A;;GA;;;SY)";
}

bool AcceptsExistingObject(std::u16string_view ownerSid, std::u16string_view userSid,
                           std::u16string_view tokenOwnerSid) {
    if (ownerSid.empty()) return false;
    return ownerSid == userSid || ownerSid == tokenOwnerSid;
}

bool IsSameImage(std::u16string_view image, std::u16string_view expected) {
    if (image.empty() || image.size() != expected.size()) return false;
    for (size_t i = 0; i < image.size(); ++i)
        if (FoldAscii(image[i]) != FoldAscii(expected[i])) return false;
    return true;
}

bool IsOurCompanion(std::u16string_view image, std::u16string_view ownFolder) {
    if (ownFolder.empty()) return false;
    return IsSameImage(image, std::u16string(ownFolder) + u"kestrix64.exe");
}

bool OpensCopyDataToLowerLevels(CopyDataWindow window, bool elevated) {
    return elevated && window == CopyDataWindow::Instance;
}

}  // namespace kx
