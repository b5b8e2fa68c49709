#include "toolkit/PageControl.h"

namespace vtx {

TTabSheet::TTabSheet(TPageControl* pageControl, const std::wstring& name, const std::wstring& caption)
    : TContainerControl(pageControl, name, L"TTabSheet", 0, 0, 0, 0), Caption(caption),
      FPageControl(pageControl) {}

TPageControl::TPageControl(TWinControl* parent, const std::wstring& name, int left, int top, int width,
                           int height, bool flatButtons) {
    Name = name;
    CreateHandle(parent, 0, WC_TABCONTROLW,
                 WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP | (flatButtons ? TCS_BUTTONS | TCS_FLATBUTTONS : 0),
                 L"");
    Subclass();
    SetBounds(Scale(left), Scale(top), Scale(width), Scale(height));
}

TTabSheet* TPageControl::AddSheet(const std::wstring& name, const std::wstring& caption) {
    FSheets.push_back(std::make_unique<TTabSheet>(this, name, caption));
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(caption.c_str());
    int index = static_cast<int>(FSheets.size()) - 1;
    ::SendMessageW(FHandle, TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    TTabSheet* sheet = FSheets.back().get();
    if (FActive < 0) {
        SetActivePage(sheet);
    } else {
        ::ShowWindow(sheet->Handle(), SW_HIDE);
        PlaceSheets();
    }
    return sheet;
}

TTabSheet* TPageControl::Page(int index) const noexcept {
    return index >= 0 && index < PageCount() ? FSheets[static_cast<size_t>(index)].get() : nullptr;
}

void TPageControl::SetActivePage(TTabSheet* sheet) {
    for (int i = 0; i < PageCount(); ++i) {
        if (FSheets[static_cast<size_t>(i)].get() == sheet) FActive = i;
    }
    ::SendMessageW(FHandle, TCM_SETCURSEL, static_cast<WPARAM>(FActive), 0);
    PlaceSheets();
    for (int i = 0; i < PageCount(); ++i) {
        ::ShowWindow(FSheets[static_cast<size_t>(i)]->Handle(), i == FActive ? SW_SHOWNA : SW_HIDE);
    }
}

void TPageControl::PlaceSheets() {
    RECT r{};
    ::GetClientRect(FHandle, &r);
    ::SendMessageW(FHandle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    for (auto& sheet : FSheets) {
        ::SetWindowPos(sheet->Handle(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

LRESULT TPageControl::HandleNotify(NMHDR* header) {
    if (header->code == TCN_SELCHANGE) {
        int index = static_cast<int>(::SendMessageW(FHandle, TCM_GETCURSEL, 0, 0));
        SetActivePage(Page(index));
    }
    return 0;
}

bool TPageControl::WindowMessage(UINT msg, WPARAM, LPARAM, LRESULT&) {
    if (msg == WM_SIZE) PlaceSheets();
    return false;
}

} // namespace vtx
