#include "toolkit/Shape.h"
#include "toolkit/Application.h"
#include "toolkit/Handle.h"

namespace vtx {

TShape::TShape(TWinControl* parent, const std::wstring& name, int left, int top, int width, int height) {
    Name = name;
    RegisterToolkitClass(L"TShape");
    CreateHandle(parent, 0, L"TShape", WS_VISIBLE, L"");
    SetBounds(Scale(left), Scale(top), Scale(width), Scale(height));
}

LRESULT TShape::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ERASEBKGND) return 1;
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(FHandle, &ps);
        RECT r{};
        ::GetClientRect(FHandle, &r);
        unique_hbrush brush(::CreateSolidBrush(BrushColor));
        ::FillRect(dc, &r, brush.get());
        unique_hbrush pen(::CreateSolidBrush(PenColor));
        ::FrameRect(dc, &r, pen.get());
        ::EndPaint(FHandle, &ps);
        return 0;
    }
    return TControl::HandleMessage(msg, wp, lp);
}

} // namespace vtx
