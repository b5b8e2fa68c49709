// Shows a bitmap centred on the parent's colour.
#pragma once
#include <cstdint>
#include <vector>
#include "toolkit/Controls.h"
#include "base/Handle.h"

namespace vtx {

// Top-down 32-bit pixels, blue-green-red-unused per pixel.
struct TPixelImage {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Pixels;
    bool Empty() const noexcept { return Width <= 0 || Height <= 0; }
};

class TImage : public TControl {
public:
    TImage(TWinControl* parent, const std::wstring& name, int left, int top, int width, int height);
    // An empty image clears the picture.
    void SetPicture(const TPixelImage& image);
    bool HasPicture() const noexcept { return static_cast<bool>(FBitmap); }
    int PictureWidth() const noexcept { return FPictureWidth; }
    int PictureHeight() const noexcept { return FPictureHeight; }
    bool Center = true;

private:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void Paint(HDC dc) override;

    unique_hbitmap FBitmap;
    int FPictureWidth = 0;
    int FPictureHeight = 0;
};

} // namespace vtx
