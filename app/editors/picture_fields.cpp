#include "app/editors/picture_fields.h"

#include <algorithm>

#include "base/unicode_case.h"
#include "picture/picture_encoder.h"

namespace kx {

bool IsPictureExtension(std::u16string_view path) {
    const std::u16string_view ext = ExtensionOf(path);
    for (std::u16string_view known : {u".jpeg", u".jpg", u".png", u".bmp", u".gif"})
        if (EqualsNoCase(ext, known)) return true;
    return false;
}

int SizeFieldValue(std::u16string_view text) {
    int value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return 0;
        value = value * 10 + (c - u'0');
        if (value > 1000000) return 1000000;  // far above any allowed size
    }
    return value;
}

PictureFieldCheck CheckPictureFields(std::u16string_view path, bool exists, std::u16string_view widthText,
                                     std::u16string_view heightText) {
    if (path.empty()) return PictureFieldCheck::NoPath;
    if (!exists) return PictureFieldCheck::PathMissing;
    if (!IsPictureExtension(path)) return PictureFieldCheck::Unsupported;
    if (!widthText.empty() && widthText[0] == u'0') return PictureFieldCheck::WidthZero;
    if (!heightText.empty() && heightText[0] == u'0') return PictureFieldCheck::HeightZero;
    if (SizeFieldValue(widthText) > kMaxPictureSide) return PictureFieldCheck::WidthTooLarge;
    if (SizeFieldValue(heightText) > kMaxPictureSide) return PictureFieldCheck::HeightTooLarge;
    return PictureFieldCheck::Ok;
}

FieldMessage PictureFieldMessage(PictureFieldCheck check) {
    switch (check) {
    case PictureFieldCheck::Ok: return {};
    case PictureFieldCheck::NoPath:
        return {u"Invalid File Path", u"No image file specified, please click \"Import\" and add an image file."};
    case PictureFieldCheck::PathMissing:
        return {u"Invalid File Path",
                u"The picture path you specified is either empty or does not exist. Please enter a valid path."};
    case PictureFieldCheck::Unsupported:
        return {u"Unsupported File Specified",
                u"The picture path you specified must be one of the following: JPEG, PNG, BMP, or GIF."};
    case PictureFieldCheck::WidthZero: return {u"Bad Dimensions", u"The width cannot be zero."};
    case PictureFieldCheck::HeightZero: return {u"Bad Dimensions", u"The height cannot be zero."};
    case PictureFieldCheck::WidthTooLarge: return {u"Dimensions Too Large", u"The width cannot be greater than 2000."};
    case PictureFieldCheck::HeightTooLarge:
        return {u"Dimensions Too Large", u"The height cannot be greater than 2000."};
    }
    return {};
}

PictureSize SizeAtPercent(int naturalWidth, int naturalHeight, int percent) {
    PictureSize size;
    size.percent = std::clamp(percent, 1, kMaxPercent);
    size.width = int(int64_t(naturalWidth) * size.percent / 100);
    size.height = int(int64_t(naturalHeight) * size.percent / 100);
    return size;
}

namespace {

// One side typed, the other in proportion; a percentage beyond the slider's
// range puts the slider to its end and takes both sides from there.
PictureSize Proportional(int typed, int typedNatural, int otherNatural, bool typedIsWidth) {
    if (typedNatural <= 0 || otherNatural <= 0) return {};
    const int64_t percent = int64_t(typed) * 100 / typedNatural;
    if (percent > kMaxPercent || percent <= 0)
        return SizeAtPercent(typedIsWidth ? typedNatural : otherNatural, typedIsWidth ? otherNatural : typedNatural,
                             int(std::clamp<int64_t>(percent, 0, kMaxPercent + 1)));
    const int other = int(int64_t(typed) * otherNatural / typedNatural);
    PictureSize size;
    size.percent = int(percent);
    size.width = typedIsWidth ? typed : other;
    size.height = typedIsWidth ? other : typed;
    return size;
}

}  // namespace

PictureSize SizeForWidth(int naturalWidth, int naturalHeight, int width) {
    return Proportional(width, naturalWidth, naturalHeight, true);
}

PictureSize SizeForHeight(int naturalWidth, int naturalHeight, int height) {
    return Proportional(height, naturalHeight, naturalWidth, false);
}

}  // namespace kx
