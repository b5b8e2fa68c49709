// A horizontal splitter above a bottom-aligned control: dragging shows a
// hatched line and sets the control's height when the button is released.
#pragma once
#include "toolkit/Controls.h"
#include "base/Handle.h"

namespace vtx {

// The height the resized control gets for a drag: at least minSize, leaving at
// least minSize above; minSize or less collapses it to 0.
int SplitterTargetHeight(int requested, int available, int minSize) noexcept;

class TSplitter : public TControl {
public:
    TSplitter(TWinControl* parent, const std::wstring& name, int designHeight);
    // The control below the splitter whose height it changes, and the one
    // above whose share it takes from.
    TControl* Resized = nullptr;
    TControl* Above = nullptr;
    int MinSize = 30;
    // The outcome of a drag that ends at client y of the parent (tests).
    void DragTo(int parentY);

private:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void DrawLine(int parentY) noexcept;
    int ParentYFromCursor() const noexcept;

    bool FDragging = false;
    int FLineY = 0;
    unique_hbrush FPattern;
    unique_hbitmap FPatternBitmap;
};

} // namespace vtx
