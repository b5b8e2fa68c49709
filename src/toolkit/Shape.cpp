#include "toolkit/Shape.h"
#include "toolkit/Application.h"
#include "toolkit/Handle.h"

namespace vtx {

TShape::TShape(TWinControl* parent, const std::wstring& name, int left, int top, int width, int height) {
    Name = name;
    static bool registered = [] {
        WNDCLASSW wc{};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = WndProc;
        wc.hInstance = Application().Instance();
        wc.lpszClassName = L"TShape";
        return ::RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    CreateHandle(parent, 0, L"TShape", WS_VISIBLE, L"");
    SetBounds(Scale(left), Scale(top), Scale(width), Scale(height));
}

LRESULT CALLBACK TShape::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    auto* self = dynamic_cast<TShape*>(FromHandle(wnd));
    if (self && msg == WM_ERASEBKGND) return 1;
    if (self && msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(wnd, &ps);
        RECT r{};
        ::GetClientRect(wnd, &r);
        unique_hbrush brush(::CreateSolidBrush(self->BrushColor));
        ::FillRect(dc, &r, brush.get());
        unique_hbrush pen(::CreateSolidBrush(self->PenColor));
        ::FrameRect(dc, &r, pen.get());
        ::EndPaint(wnd, &ps);
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

} // namespace vtx
