// The picture editor's rules without its window: which file and sizes it
// accepts, with the message for each refusal, and how the percentage, the
// width and the height follow one another.
#pragma once

#include <string>
#include <string_view>

namespace kx {

enum class PictureFieldCheck {
    Ok,
    NoPath,
    PathMissing,
    Unsupported,
    WidthZero,
    HeightZero,
    WidthTooLarge,
    HeightTooLarge,
};

struct FieldMessage {
    std::u16string_view title;
    std::u16string_view text;
};

// The checks of the picture fields on OK, in the order the user meets them.
// `exists` tells whether `path` names an existing file.
PictureFieldCheck CheckPictureFields(std::u16string_view path, bool exists, std::u16string_view widthText,
                                     std::u16string_view heightText);
FieldMessage PictureFieldMessage(PictureFieldCheck check);

// Whether the file's extension is one of the picture types the editor takes.
bool IsPictureExtension(std::u16string_view path);

// A size field's number; 0 for an empty field or one that is not a number.
int SizeFieldValue(std::u16string_view text);

inline constexpr int kMaxPercent = 200;

struct PictureSize {
    int width = 0;
    int height = 0;
    int percent = 100;
};

// The size at `percent` of the picture's own `natural` size; a percentage
// above 200 counts as 200 and one of 0 or below as 1.
PictureSize SizeAtPercent(int naturalWidth, int naturalHeight, int percent);
// A typed width with the height in the picture's proportion; the percentage
// follows the width.
PictureSize SizeForWidth(int naturalWidth, int naturalHeight, int width);
// A typed height with the width in the picture's proportion.
PictureSize SizeForHeight(int naturalWidth, int naturalHeight, int height);

}  // namespace kx
