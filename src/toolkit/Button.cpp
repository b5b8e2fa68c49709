#include "toolkit/Button.h"
#include "toolkit/Form.h"

namespace vtx {

TButton::TButton(TWinControl* parent, const std::wstring& name, const std::wstring& caption, int left, int top,
                 int width, int height, bool isDefault) {
    Name = name;
    CreateHandle(parent, 0, L"BUTTON", WS_VISIBLE | WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                 caption);
    Subclass();
    SetBounds(Scale(left), Scale(top), Scale(width), Scale(height));
}

void TButton::Click() {
    FireEvent(OnClick, this);
    if (ModalResult != 0) {
        if (auto* form = dynamic_cast<TForm*>(FromHandle(::GetAncestor(FHandle, GA_ROOT)))) {
            form->ModalResult = ModalResult;
        }
    }
}

void TButton::HandleCommand(WORD notifyCode) {
    if (notifyCode == BN_CLICKED) Click();
}

bool TButton::WindowMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    // Outside a dialog manager Enter does not press a button by itself.
    if (msg == WM_KEYDOWN && wp == VK_RETURN) {
        Click();
        result = 0;
        return true;
    }
    if (msg == WM_GETDLGCODE) {
        result = DLGC_BUTTON | DLGC_WANTALLKEYS;
        return true;
    }
    return false;
}

} // namespace vtx
