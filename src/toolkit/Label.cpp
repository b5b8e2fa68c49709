#include "toolkit/Label.h"

namespace vtx {

HCURSOR CursorHandle(int cursor) noexcept {
    return ::LoadCursorW(nullptr, cursor == crHandPoint ? IDC_HAND : IDC_ARROW);
}

HFONT TFontSpec::Create(UINT dpi) const noexcept {
    LOGFONTW lf{};
    lf.lfHeight = ::MulDiv(Height, static_cast<int>(dpi), 96);
    lf.lfWeight = (Style & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (Style & fsItalic) ? TRUE : FALSE;
    lf.lfUnderline = (Style & fsUnderline) ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    wcsncpy_s(lf.lfFaceName, Name.c_str(), _TRUNCATE);
    return ::CreateFontIndirectW(&lf);
}

TLabel::TLabel(TWinControl* parent, const std::wstring& name, int left, int top, int width, int height) {
    Name = name;
    CreateToolkitWindow(parent, L"TLabel", left, top, width, height);
    FontChanged();
}

void TLabel::SetFontSpec(const TFontSpec& font) {
    FFont = font;
    FontChanged();
}

void TLabel::SetFontColor(COLORREF color) {
    if (FFont.Color == color) return;
    FFont.Color = color;
    if (FHandle) ::InvalidateRect(FHandle, nullptr, TRUE);
}

void TLabel::SetFontStyle(TFontStyles style) {
    if (FFont.Style == style) return;
    FFont.Style = style;
    FontChanged();
}

void TLabel::SetFontSize(int points) {
    FFont.SetSize(points);
    FontChanged();
}

void TLabel::SetAlignment(TAlignment alignment) {
    FAlignment = alignment;
    AdjustSize();
    if (FHandle) ::InvalidateRect(FHandle, nullptr, TRUE);
}

void TLabel::SetAutoSize(bool on) {
    FAutoSize = on;
    AdjustSize();
}

void TLabel::FontChanged() {
    FHFont.reset(FFont.Create(Dpi()));
    AdjustSize();
    if (FHandle) ::InvalidateRect(FHandle, nullptr, TRUE);
}

UINT TLabel::DrawFlags() const noexcept {
    UINT flags = DT_EXPANDTABS;
    flags |= WordWrap ? DT_WORDBREAK : 0;
    if (FAlignment == TAlignment::taRightJustify) flags |= DT_RIGHT;
    if (FAlignment == TAlignment::taCenter) flags |= DT_CENTER;
    return flags;
}

void TLabel::AdjustSize() {
    // An empty caption keeps the designed size, so a right-aligned label
    // keeps its designed right edge.
    if (!FAutoSize || !FHandle || ::GetWindowTextLengthW(FHandle) == 0) return;
    window_dc dc(FHandle);
    select_object font(dc.get(), FHFont.get());
    std::wstring text = Text();
    RECT old = BoundsRect();
    RECT r{0, 0, WordWrap ? old.right - old.left : 0, 0};
    ::DrawTextW(dc.get(), text.c_str(), -1, &r, DrawFlags() | DT_CALCRECT);
    int width = WordWrap ? old.right - old.left : r.right;
    int left = FAlignment == TAlignment::taRightJustify ? old.right - width : old.left;
    ::SetWindowPos(FHandle, nullptr, left, old.top, width, r.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TLabel::Click() { FireEvent(OnClick, this); }

void TLabel::Paint(HDC dc) {
    RECT r{};
    ::GetClientRect(FHandle, &r);
    COLORREF back = Transparent && FParent ? FParent->Color : Color;
    unique_hbrush brush(::CreateSolidBrush(back));
    ::FillRect(dc, &r, brush.get());
    select_object font(dc, FHFont.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, FFont.Color);
    std::wstring text = Text();
    UINT flags = DrawFlags();
    if (Layout == TTextLayout::tlCenter) {
        RECT measure = r;
        ::DrawTextW(dc, text.c_str(), -1, &measure, flags | DT_CALCRECT);
        int offset = ((r.bottom - r.top) - (measure.bottom - measure.top)) / 2;
        if (offset > 0) r.top += offset;
    }
    ::DrawTextW(dc, text.c_str(), -1, &r, flags);
}

LRESULT TLabel::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT painted = 0;
    if (PaintMessage(msg, painted)) return painted;
    switch (msg) {
    case WM_SETTEXT: {
        LRESULT r = ::DefWindowProcW(FHandle, msg, wp, lp);
        AdjustSize();
        ::InvalidateRect(FHandle, nullptr, TRUE);
        return r;
    }
    case WM_SETFONT:
        // The form hands its font to every child when the dpi changes; a
        // label keeps its own face and rebuilds it at the new dpi.
        FontChanged();
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(FHFont.get());
    case WM_SETCURSOR:
        if (LOWORD(lp) == HTCLIENT) {
            ::SetCursor(CursorHandle(Cursor));
            return TRUE;
        }
        break;
    case WM_MOUSEMOVE:
        FireEvent(OnMouseMove, this, static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
        return 0;
    case WM_LBUTTONDOWN:
        FPressed = true;
        ::SetCapture(FHandle);
        return 0;
    case WM_LBUTTONUP:
        if (FPressed) {
            FPressed = false;
            if (::GetCapture() == FHandle) ::ReleaseCapture();
            RECT r{};
            ::GetClientRect(FHandle, &r);
            POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
            if (::PtInRect(&r, pt)) Click();
        }
        return 0;
    case WM_CAPTURECHANGED:
        FPressed = false;
        return 0;
    }
    return ::DefWindowProcW(FHandle, msg, wp, lp);
}

} // namespace vtx
