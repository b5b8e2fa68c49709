#include "toolkit/Shape.h"
#include "base/Handle.h"

namespace vtx {

TShape::TShape(TWinControl* parent, const std::wstring& name, int left, int top, int width, int height) {
    Name = name;
    CreateToolkitWindow(parent, L"TShape", left, top, width, height);
}

void TShape::Paint(HDC dc) {
    RECT r{};
    ::GetClientRect(FHandle, &r);
    unique_hbrush brush(::CreateSolidBrush(BrushColor));
    ::FillRect(dc, &r, brush.get());
    unique_hbrush pen(::CreateSolidBrush(PenColor));
    ::FrameRect(dc, &r, pen.get());
}

LRESULT TShape::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (PaintMessage(msg, result)) return result;
    return TControl::HandleMessage(msg, wp, lp);
}

} // namespace vtx
