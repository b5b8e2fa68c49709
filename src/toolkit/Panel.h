// Plain containers drawn by the toolkit: a panel with colour and bevels, and
// the base they share with tab sheets (child notifications routed like a
// form's, mouse moves reported, anchored children kept at their edges).
#pragma once
#include <vector>
#include "toolkit/Controls.h"

namespace vtx {

enum TAnchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;

class TContainerControl : public TWinControl {
public:
    // Keeps the child's distances to the given edges when this container is
    // resized; left and top alone are what every child does anyway.
    void Anchor(TControl* child, TAnchors anchors);
    // The anchored gaps scale with the children.
    void ScaleForDpi(UINT oldDpi, UINT newDpi) override;

protected:
    // Bounds at 96 dpi, scaled to the parent's dpi.
    TContainerControl(TWinControl* parent, const std::wstring& name, const wchar_t* className, int left, int top,
                      int width, int height);
    void Paint(HDC dc) override;
    // Non-client messages of containers with a frame of their own.
    virtual bool FrameMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { return false; }

private:
    struct TAnchored {
        TControl* Child;
        TAnchors Anchors;
        int RightGap;
        int BottomGap;
    };
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void ApplyAnchors();

    std::vector<TAnchored> FAnchored;
};

enum class TBevelCut { bvNone, bvLowered, bvRaised };

// The bevels are its frame, so aligned children sit inside them.
class TPanel : public TContainerControl {
public:
    TPanel(TWinControl* parent, const std::wstring& name, int left = 0, int top = 0, int width = 185,
           int height = 41);
    TBevelCut BevelInner() const noexcept { return FBevelInner; }
    TBevelCut BevelOuter() const noexcept { return FBevelOuter; }
    void SetBevels(TBevelCut inner, TBevelCut outer);

protected:
    bool FrameMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    TBevelCut FBevelInner = TBevelCut::bvNone;
    TBevelCut FBevelOuter = TBevelCut::bvRaised;
};

} // namespace vtx
