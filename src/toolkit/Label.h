// A text label drawn by the toolkit: its own font (name, height, colour,
// style), alignment, automatic sizing, word wrap, cursor and mouse events.
#pragma once
#include "toolkit/Controls.h"
#include "base/Handle.h"

namespace vtx {

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4 };
using TFontStyles = unsigned;

// Cursor values as the form designer numbers them.
inline constexpr int crDefault = 0;
inline constexpr int crHandPoint = -21;
HCURSOR CursorHandle(int cursor) noexcept;

// A font description; Height is in pixels at 96 dpi, negative for the
// character height (-11 is 8 points).
struct TFontSpec {
    std::wstring Name = L"MS Sans Serif";
    int Height = -11;
    COLORREF Color = 0;
    TFontStyles Style = 0;
    int Size() const noexcept { return ::MulDiv(-Height, 72, 96); }
    void SetSize(int points) noexcept { Height = -::MulDiv(points, 96, 72); }
    // The font at a window's dpi.
    HFONT Create(UINT dpi) const noexcept;
};

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TTextLayout { tlTop, tlCenter };

class TLabel : public TControl {
public:
    // Bounds are at 96 dpi and scaled to the parent's.
    TLabel(TWinControl* parent, const std::wstring& name, int left, int top, int width, int height);

    std::wstring Caption() const { return Text(); }
    void SetCaption(const std::wstring& caption) { SetText(caption); }

    const TFontSpec& FontSpec() const noexcept { return FFont; }
    void SetFontSpec(const TFontSpec& font);
    COLORREF FontColor() const noexcept { return FFont.Color; }
    void SetFontColor(COLORREF color);
    TFontStyles FontStyle() const noexcept { return FFont.Style; }
    void SetFontStyle(TFontStyles style);
    void SetFontSize(int points);

    TAlignment Alignment() const noexcept { return FAlignment; }
    void SetAlignment(TAlignment alignment);
    TTextLayout Layout = TTextLayout::tlTop;
    bool AutoSize() const noexcept { return FAutoSize; }
    void SetAutoSize(bool on);
    bool WordWrap = false;
    // Draws on the parent's colour instead of its own.
    bool Transparent = false;
    COLORREF Color = ::GetSysColor(COLOR_BTNFACE);
    int Cursor = crDefault;

    TNotifyEvent OnClick;
    TWinControl::TMouseMoveEvent OnMouseMove;

    // Fits the size to the text (automatic sizing only); a right-aligned
    // label keeps its right edge.
    void AdjustSize();
    void Click();

private:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void FontChanged();
    void Paint(HDC dc) override;
    UINT DrawFlags() const noexcept;

    TFontSpec FFont;
    unique_hfont FHFont;
    TAlignment FAlignment = TAlignment::taLeftJustify;
    bool FAutoSize = true;
    bool FPressed = false;
};

} // namespace vtx
