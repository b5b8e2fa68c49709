// A read-only multi-line edit without border or word wrap, with its own
// font and colours; its lines are kept here as well as in the window.
#pragma once
#include <vector>
#include "toolkit/Controls.h"
#include "base/Handle.h"
#include "toolkit/Label.h"

namespace vtx {

class TMemo : public TControl {
public:
    TMemo(TWinControl* parent, const std::wstring& name, int left, int top, int width, int height);
    const std::vector<std::wstring>& Lines() const noexcept { return FLines; }
    void Clear();
    void Add(const std::wstring& line);
    void SetLines(const std::vector<std::wstring>& lines);
    // Lines as the edit control counts them.

    void SetFontSpec(const TFontSpec& font);
    const TFontSpec& FontSpec() const noexcept { return FFont; }
    COLORREF Color = RGB(255, 255, 255);
    bool HandleColor(HDC dc, LRESULT& result) override;

protected:
    bool WindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void LinesChanged();
    std::vector<std::wstring> FLines;
    TFontSpec FFont;
    unique_hfont FHFont;
    unique_hbrush FBrush;
};

} // namespace vtx
