// A tab control whose pages are containers; the active page fills the
// display area and the others are hidden.
#pragma once
#include <memory>
#include <vector>
#include "toolkit/Panel.h"

namespace vtx {

class TPageControl;

class TTabSheet : public TContainerControl {
public:
    TTabSheet(TPageControl* pageControl, const std::wstring& name, const std::wstring& caption);
    TPageControl* PageControl() const noexcept { return FPageControl; }
    std::wstring Caption;

private:
    TPageControl* FPageControl;
};

class TPageControl : public TWinControl {
public:
    TPageControl(TWinControl* parent, const std::wstring& name, int left, int top, int width, int height,
                 bool flatButtons = false);
    // Adds a page at the end; the page control owns it.
    TTabSheet* AddSheet(const std::wstring& name, const std::wstring& caption);
    int PageCount() const noexcept { return static_cast<int>(FSheets.size()); }
    TTabSheet* Page(int index) const noexcept;
    TTabSheet* ActivePage() const noexcept { return Page(FActive); }
    void SetActivePage(TTabSheet* sheet);
    LRESULT HandleNotify(NMHDR* header) override;

protected:
    bool WindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void PlaceSheets();
    // Members go before the base's window, so the pages before the tab control.
    std::vector<std::unique_ptr<TTabSheet>> FSheets;
    int FActive = -1;
};

} // namespace vtx
