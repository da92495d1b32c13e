#include "app/editors/picture_preview.h"

#include <algorithm>
#include <cstring>

#include "app/resource_ids.h"
#include "app/win/modal_dialog.h"

namespace kx {

UniqueBitmap MakeScreenBitmap(const Bitmap& picture) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.bgra.size() != size_t(picture.width) * size_t(picture.height) * 4)
        return UniqueBitmap();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;  // rows top to bottom, as the codec gives them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bitmap && bits) std::memcpy(bits, picture.bgra.data(), picture.bgra.size());
    return bitmap;
}

bool FitPicture(ImageCodec& codec, const Bitmap& picture, int maxWidth, int maxHeight, Bitmap& out) {
    if (picture.width <= 0 || picture.height <= 0 || maxWidth <= 0 || maxHeight <= 0) return false;
    const double scale = std::min({1.0, double(maxWidth) / picture.width, double(maxHeight) / picture.height});
    const int width = std::max(1, int(picture.width * scale));
    const int height = std::max(1, int(picture.height * scale));
    if (width == picture.width && height == picture.height) {
        out = picture;
        return true;
    }
    return codec.Resample(picture, width, height, out);
}

namespace {

class OutputWindow final : public ModalDialog {
public:
    OutputWindow(ImageCodec& codec, const Bitmap& picture, int width, int height)
        : codec_(codec), picture_(picture), width_(width), height_(height) {}

private:
    bool OnInit() override {
        Bitmap shown;
        if (width_ == picture_.width && height_ == picture_.height) shown = picture_;
        else if (!codec_.Resample(picture_, width_, height_, shown)) return true;
        bitmap_ = MakeScreenBitmap(shown);
        Window image = Item(IDC_PREVIEW_IMAGE);
        image.Send(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap_.Get()));

        // The window takes the picture's size, within the screen's work area.
        RECT work{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        RECT okRect{};
        ::GetWindowRect(Item(IDOK), &okRect);
        const int margin = 8, buttonHeight = okRect.bottom - okRect.top, buttonWidth = okRect.right - okRect.left;
        RECT client{0, 0, std::max(width_, buttonWidth) + 2 * margin, height_ + buttonHeight + 3 * margin};
        ::AdjustWindowRectEx(&client, DWORD(::GetWindowLongW(Self(), GWL_STYLE)), FALSE,
                             DWORD(::GetWindowLongW(Self(), GWL_EXSTYLE)));
        const int w = std::min<int>(client.right - client.left, work.right - work.left);
        const int h = std::min<int>(client.bottom - client.top, work.bottom - work.top);
        ::SetWindowPos(Self(), nullptr, work.left + (work.right - work.left - w) / 2,
                       work.top + (work.bottom - work.top - h) / 2, w, h, SWP_NOZORDER);
        const RECT inside = Self().ClientRect();
        ::SetWindowPos(image, nullptr, margin, margin, width_, height_, SWP_NOZORDER);
        ::SetWindowPos(Item(IDOK), nullptr, (inside.right - buttonWidth) / 2, inside.bottom - margin - buttonHeight,
                       0, 0, SWP_NOZORDER | SWP_NOSIZE);
        return true;
    }

    ImageCodec& codec_;
    const Bitmap& picture_;
    int width_;
    int height_;
    UniqueBitmap bitmap_;
};

}  // namespace

void ShowPictureOutput(HWND owner, ImageCodec& codec, const Bitmap& picture, int width, int height) {
    OutputWindow(codec, picture, width, height).Run(owner, IDD_PICTURE_PREVIEW);
}

}  // namespace kx
