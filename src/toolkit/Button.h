// A push button; one with a modal result hands it to its form when clicked.
#pragma once
#include "toolkit/Controls.h"

namespace vtx {

class TButton : public TControl {
public:
    // Bounds at 96 dpi, scaled to the parent's dpi.
    TButton(TWinControl* parent, const std::wstring& name, const std::wstring& caption, int left, int top,
            int width, int height, bool isDefault = false);
    int ModalResult = 0;
    TNotifyEvent OnClick;
    void Click();
    void HandleCommand(WORD notifyCode) override;

protected:
    bool WindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

} // namespace vtx
