#include "toolkit/Splitter.h"
#include <algorithm>

namespace vtx {

int SplitterTargetHeight(int requested, int available, int minSize) noexcept {
    int height = std::min(requested, available - minSize);
    if (height <= minSize) return 0;
    return height;
}

TSplitter::TSplitter(TWinControl* parent, const std::wstring& name, int designHeight) {
    Name = name;
    RegisterToolkitClass(L"TSplitter", IDC_SIZENS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    CreateHandle(parent, 0, L"TSplitter", WS_VISIBLE, L"");
    SetHeight(Scale(designHeight));
    static const WORD hatch[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    FPatternBitmap.reset(::CreateBitmap(8, 8, 1, 1, hatch));
    FPattern.reset(::CreatePatternBrush(FPatternBitmap.get()));
}

int TSplitter::ParentYFromCursor() const noexcept {
    POINT pt{};
    ::GetCursorPos(&pt);
    ::ScreenToClient(::GetParent(FHandle), &pt);
    return pt.y;
}

void TSplitter::DrawLine(int parentY) noexcept {
    HWND parent = ::GetParent(FHandle);
    window_dc_ex dc(parent, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_LOCKWINDOWUPDATE);
    if (!dc.get()) return;
    select_object pattern(dc.get(), FPattern.get());
    RECT r{};
    ::GetClientRect(parent, &r);
    ::PatBlt(dc.get(), 0, parentY, r.right, Height(), PATINVERT);
}

void TSplitter::DragTo(int parentY) {
    if (!Resized) return;
    RECT below = Resized->BoundsRect();
    int top = Above ? Above->Top() : 0;
    int requested = below.bottom - (parentY + Height());
    int available = below.bottom - Height() - top;
    Resized->SetHeight(SplitterTargetHeight(requested, available, Scale(MinSize)));
}

LRESULT TSplitter::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_LBUTTONDOWN:
        ::SetCapture(FHandle);
        FDragging = true;
        FLineY = Top();
        DrawLine(FLineY);
        return 0;
    case WM_MOUSEMOVE:
        if (FDragging) {
            DrawLine(FLineY);
            FLineY = ParentYFromCursor();
            DrawLine(FLineY);
        }
        return 0;
    case WM_LBUTTONUP:
        if (FDragging) {
            FDragging = false;
            DrawLine(FLineY);
            ::ReleaseCapture();
            DragTo(ParentYFromCursor());
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (FDragging) {
            FDragging = false;
            DrawLine(FLineY);
        }
        return 0;
    }
    return ::DefWindowProcW(FHandle, msg, wp, lp);
}

} // namespace vtx
