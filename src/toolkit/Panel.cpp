#include "toolkit/Panel.h"
#include <algorithm>
#include "base/Handle.h"

namespace vtx {

TContainerControl::TContainerControl(TWinControl* parent, const std::wstring& name, const wchar_t* className,
                                     int left, int top, int width, int height) {
    Name = name;
    CreateToolkitWindow(parent, className, left, top, width, height, WS_EX_CONTROLPARENT, WS_CLIPCHILDREN);
}

void TContainerControl::Anchor(TControl* child, TAnchors anchors) {
    RECT r = child->BoundsRect();
    FAnchored.erase(std::remove_if(FAnchored.begin(), FAnchored.end(),
                                   [child](const TAnchored& a) { return a.Child == child; }),
                    FAnchored.end());
    FAnchored.push_back({child, anchors, ClientWidth() - r.right, ClientHeight() - r.bottom});
}

void TContainerControl::ScaleForDpi(UINT oldDpi, UINT newDpi) {
    for (TAnchored& a : FAnchored) {
        a.RightGap = ::MulDiv(a.RightGap, static_cast<int>(newDpi), static_cast<int>(oldDpi));
        a.BottomGap = ::MulDiv(a.BottomGap, static_cast<int>(newDpi), static_cast<int>(oldDpi));
    }
    TWinControl::ScaleForDpi(oldDpi, newDpi);
}

void TContainerControl::ApplyAnchors() {
    for (const TAnchored& a : FAnchored) {
        if (a.Child->Parent() != this) continue;
        RECT r = a.Child->BoundsRect();
        int width = r.right - r.left, height = r.bottom - r.top;
        if (a.Anchors & akRight) {
            if (a.Anchors & akLeft) width = ClientWidth() - a.RightGap - r.left;
            else r.left = ClientWidth() - a.RightGap - width;
        }
        if (a.Anchors & akBottom) {
            if (a.Anchors & akTop) height = ClientHeight() - a.BottomGap - r.top;
            else r.top = ClientHeight() - a.BottomGap - height;
        }
        ::SetWindowPos(a.Child->Handle(), nullptr, r.left, r.top, std::max(width, 0), std::max(height, 0),
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TContainerControl::Paint(HDC dc) {
    RECT r{};
    ::GetClientRect(FHandle, &r);
    unique_hbrush brush(::CreateSolidBrush(Color));
    ::FillRect(dc, &r, brush.get());
}

LRESULT TContainerControl::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (FrameMessage(msg, wp, lp, result)) return result;
    if (RouteChildMessage(msg, wp, lp, result)) return result;
    if (PaintMessage(msg, result)) return result;
    switch (msg) {
    case WM_SIZE:
        ApplyAnchors();
        Resized();
        return 0;
    case WM_MOUSEMOVE:
        FireEvent(OnMouseMove, this, static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
        return 0;
    }
    return ::DefWindowProcW(FHandle, msg, wp, lp);
}

TPanel::TPanel(TWinControl* parent, const std::wstring& name, int left, int top, int width, int height)
    : TContainerControl(parent, name, L"TPanel", left, top, width, height) {
    SetBevels(FBevelInner, FBevelOuter);
}

void TPanel::SetBevels(TBevelCut inner, TBevelCut outer) {
    FBevelInner = inner;
    FBevelOuter = outer;
    ::SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    Realign();
}

bool TPanel::FrameMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    int width = (FBevelInner != TBevelCut::bvNone) + (FBevelOuter != TBevelCut::bvNone);
    if (msg == WM_NCCALCSIZE) {
        auto* r = reinterpret_cast<RECT*>(lp);
        ::InflateRect(r, -width, -width);
        if (r->right < r->left) r->right = r->left;
        if (r->bottom < r->top) r->bottom = r->top;
        result = 0;
        return true;
    }
    if (msg == WM_NCPAINT) {
        auto dc = window_dc_ex::whole_window(FHandle);
        if (!dc.get()) return false;
        RECT r{};
        ::GetWindowRect(FHandle, &r);
        ::OffsetRect(&r, -r.left, -r.top);
        for (TBevelCut cut : {FBevelOuter, FBevelInner}) {
            if (cut == TBevelCut::bvNone) continue;
            ::DrawEdge(dc.get(), &r, cut == TBevelCut::bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER,
                       BF_RECT | BF_ADJUST);
        }
        result = 0;
        return true;
    }
    return false;
}

} // namespace vtx
