// A filled rectangle with a pen drawn inside its frame.
#pragma once
#include "toolkit/Controls.h"

namespace vtx {

class TShape : public TControl {
public:
    TShape(TWinControl* parent, const std::wstring& name, int left, int top, int width, int height);
    COLORREF BrushColor = RGB(255, 255, 255);
    COLORREF PenColor = RGB(0, 0, 0);

private:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void Paint(HDC dc) override;
};

} // namespace vtx
