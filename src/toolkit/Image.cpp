#include "toolkit/Image.h"
#include <cstring>

namespace vtx {

TImage::TImage(TWinControl* parent, const std::wstring& name, int left, int top, int width, int height) {
    Name = name;
    CreateToolkitWindow(parent, L"TImage", left, top, width, height);
}

void TImage::SetPicture(const TPixelImage& image) {
    FBitmap.reset();
    FPictureWidth = FPictureHeight = 0;
    if (!image.Empty() && image.Pixels.size() >= static_cast<size_t>(image.Width) * image.Height * 4) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = image.Width;
        bi.bmiHeader.biHeight = -image.Height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        FBitmap.reset(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (FBitmap && bits) {
            std::memcpy(bits, image.Pixels.data(), static_cast<size_t>(image.Width) * image.Height * 4);
            FPictureWidth = image.Width;
            FPictureHeight = image.Height;
        } else {
            FBitmap.reset();
        }
    }
    if (FHandle) ::InvalidateRect(FHandle, nullptr, TRUE);
}

void TImage::Paint(HDC dc) {
    RECT r{};
    ::GetClientRect(FHandle, &r);
    unique_hbrush brush(::CreateSolidBrush(FParent ? FParent->Color : ::GetSysColor(COLOR_BTNFACE)));
    ::FillRect(dc, &r, brush.get());
    if (!FBitmap) return;
    unique_hdc memory(::CreateCompatibleDC(dc));
    select_object picture(memory.get(), FBitmap.get());
    int x = Center ? (r.right - FPictureWidth) / 2 : 0;
    int y = Center ? (r.bottom - FPictureHeight) / 2 : 0;
    ::BitBlt(dc, x, y, FPictureWidth, FPictureHeight, memory.get(), 0, 0, SRCCOPY);
}

LRESULT TImage::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (PaintMessage(msg, result)) return result;
    return TControl::HandleMessage(msg, wp, lp);
}

} // namespace vtx
