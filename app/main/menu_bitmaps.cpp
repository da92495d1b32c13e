#include "app/main/menu_bitmaps.h"

#include "platform/win32/handles.h"

namespace kx {

HBITMAP MenuBitmapFromIcon(int iconId) {
    const int size = ::GetSystemMetrics(SM_CXSMICON);
    UniqueIcon icon(LoadAppIcon(iconId, size));
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = size;
    bi.bmiHeader.biHeight = -size;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    if (bitmap && dc) {
        HGDIOBJ old = ::SelectObject(dc, bitmap);
        ::DrawIconEx(dc, 0, 0, icon.Get(), size, size, 0, nullptr, DI_NORMAL);
        ::SelectObject(dc, old);
    }
    if (dc) ::DeleteDC(dc);
    return bitmap;
}

}  // namespace kx
