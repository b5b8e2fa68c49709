// Where a form goes when it is centred on a monitor, apart from the platform.
#pragma once

namespace vtx {

// A rectangle in screen pixels: left and top inside, right and bottom outside.
struct TScreenArea {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

struct TScreenPoint {
    int X = 0, Y = 0;
};

// The top-left corner of a window of Width x Height centred on a monitor's
// work area; a window larger than the area keeps its top-left corner inside.
constexpr TScreenPoint CenteredOrigin(const TScreenArea& work, int width, int height) noexcept {
    TScreenPoint at{work.Left + (work.Right - work.Left - width) / 2, work.Top + (work.Bottom - work.Top - height) / 2};
    if (at.X < work.Left) at.X = work.Left;
    if (at.Y < work.Top) at.Y = work.Top;
    return at;
}

} // namespace vtx
