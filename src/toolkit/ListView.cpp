#include "toolkit/ListView.h"
#include <windowsx.h>
#include <algorithm>
#include "toolkit/Application.h"
#include "toolkit/ColumnRules.h"
#include "toolkit/Dpi.h"
#include "toolkit/ImageList.h"
#include "toolkit/Menu.h"

namespace vtx {

TListView::TListView(TWinControl* parent, const std::wstring& name, bool rowSelect) {
    Name = name;
    CreateHandle(parent, WS_EX_CLIENTEDGE, WC_LISTVIEWW,
                 WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | LVS_NOSORTHEADER |
                     LVS_SHAREIMAGELISTS | LVS_OWNERDATA,
                 L"");
    DWORD ex = LVS_EX_DOUBLEBUFFER;
    if (rowSelect) ex |= LVS_EX_FULLROWSELECT;
    ::SendMessageW(FHandle, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
    Subclass();
}

TListView::~TListView() = default;

void TListView::AddColumn(const std::wstring& caption, int width, int maxWidth, int minWidth, bool fill) {
    Column column{caption, minWidth, maxWidth, Scale(minWidth), maxWidth > 0 ? Scale(maxWidth) : 0, fill};
    FColumns.push_back(column);
    LVCOLUMNW lvc{};
    lvc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    lvc.pszText = const_cast<wchar_t*>(caption.c_str());
    lvc.cx = ApplyColumnWidthRule(Scale(width), column.MinWidth, column.MaxWidth);
    lvc.iSubItem = ColumnCount() - 1;
    ::SendMessageW(FHandle, LVM_INSERTCOLUMNW, static_cast<WPARAM>(ColumnCount() - 1), reinterpret_cast<LPARAM>(&lvc));
}

int TListView::ColumnWidth(int index) const noexcept {
    return static_cast<int>(::SendMessageW(FHandle, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(index), 0));
}

std::vector<int> TListView::ColumnOrder() const {
    std::vector<int> order(FColumns.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    if (!order.empty())
        ::SendMessageW(FHandle, LVM_GETCOLUMNORDERARRAY, order.size(), reinterpret_cast<LPARAM>(order.data()));
    return order;
}

void TListView::SetColumnWidth(int index, int width) {
    const Column& column = FColumns.at(static_cast<size_t>(index));
    int stored = ApplyColumnWidthRule(width, column.MinWidth, column.MaxWidth);
    // The control reads negative widths as auto-size requests; show none.
    if (stored < 0) stored = 0;
    // Each change relays the header and redraws the list: under Wine a
    // refresh spent most of its time setting widths that were already so.
    if (stored == ColumnWidth(index)) return;
    ::SendMessageW(FHandle, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index), MAKELPARAM(stored, 0));
}

void TListView::ApplyFillColumns() {
    if (FFilling) return;
    FFilling = true;
    scope_exit reset([this] { FFilling = false; });
    for (int i = 0; i < ColumnCount(); ++i) {
        if (!FColumns[static_cast<size_t>(i)].Fill) continue;
        int others = 0;
        for (int j = 0; j < ColumnCount(); ++j)
            if (j != i) others += ColumnWidth(j);
        SetColumnWidth(i, FillColumnWidth(ClientWidth(), others));
    }
}

void TListView::ScaleForDpi(UINT oldDpi, UINT newDpi) {
    for (int i = 0; i < ColumnCount(); ++i) {
        Column& column = FColumns[static_cast<size_t>(i)];
        column.MinWidth = ScaleToDpi(column.DesignMinWidth, newDpi);
        column.MaxWidth = column.DesignMaxWidth > 0 ? ScaleToDpi(column.DesignMaxWidth, newDpi) : 0;
        int shown = ColumnWidth(i);
        if (shown != 0)
            SetColumnWidth(i, ::MulDiv(shown, static_cast<int>(newDpi), static_cast<int>(oldDpi)));
    }
    ApplyFillColumns();
}

int TListView::ItemCount() const noexcept {
    return static_cast<int>(::SendMessageW(FHandle, LVM_GETITEMCOUNT, 0, 0));
}

void TListView::SetItemCount(int count) {
    // The control keeps the selection of a row that still exists; the rows'
    // contents are asked for again all the same.
    if (count < 0) count = 0;
    if (count != ItemCount()) {
        BeginUpdate();
        ::SendMessageW(FHandle, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOSCROLL);
        EndUpdate();
    }
    InvalidateRows();
}

void TListView::DeleteItem(int index) {
    ::SendMessageW(FHandle, LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
}

void TListView::InvalidateRows() noexcept {
    if (FUpdateCount == 0) ::InvalidateRect(FHandle, nullptr, FALSE);
}

void TListView::BeginUpdate() noexcept {
    if (FUpdateCount++ == 0) ::SendMessageW(FHandle, WM_SETREDRAW, FALSE, 0);
}

void TListView::EndUpdate() noexcept {
    if (FUpdateCount > 0 && --FUpdateCount == 0) {
        ::SendMessageW(FHandle, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(FHandle, nullptr, TRUE);
    }
}

int TListView::SelectedIndex() const noexcept {
    return static_cast<int>(::SendMessageW(FHandle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int TListView::ItemFocused() const noexcept {
    return static_cast<int>(::SendMessageW(FHandle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

void TListView::SelectItem(int index) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    if (index < 0) {
        state.state = 0;
        ::SendMessageW(FHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
        return;
    }
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(FHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&state));
    ::SendMessageW(FHandle, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
}

void TListView::SetSmallImages(TImageList* images) {
    FImages = images;
    ::SendMessageW(FHandle, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images ? images->Handle() : nullptr));
}

LRESULT TListView::HandleNotify(NMHDR* header) {
    switch (header->code) {
    case NM_CLICK:
        FireEvent(OnClick, this);
        break;
    case NM_DBLCLK:
        FireEvent(OnDblClick, this);
        break;
    case LVN_GETDISPINFOW:
        return GetDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(header));
    case LVN_ODFINDITEMW:
        return FindItem(*reinterpret_cast<NMLVFINDITEMW*>(header));
    }
    return 0;
}

LRESULT TListView::GetDisplayInfo(NMLVDISPINFOW& info) noexcept {
    // Called while the control paints or answers a read from outside: an
    // error leaves the cell empty instead of a box per painted row.
    LVITEMW& item = info.item;
    try {
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
            item.pszText[0] = L'\0';
            if (Source.CellText) {
                const std::wstring text = Source.CellText(item.iItem, item.iSubItem);
                const size_t length = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
                text.copy(item.pszText, length);
                item.pszText[length] = L'\0';
            }
        }
        if (item.mask & LVIF_IMAGE) {
            const int image = item.iSubItem == 0 && Source.ImageIndex ? Source.ImageIndex(item.iItem) : -1;
            item.iImage = image < 0 ? I_IMAGENONE : image;
        }
    } catch (...) {
        if (item.mask & LVIF_IMAGE) item.iImage = I_IMAGENONE;
    }
    return 0;
}

LRESULT TListView::FindItem(const NMLVFINDITEMW& find) noexcept {
    const LVFINDINFOW& info = find.lvfi;
    if (!(info.flags & (LVFI_STRING | LVFI_PARTIAL)) || !info.psz || !Source.FindRow) return -1;
    try {
        return Source.FindRow(info.psz, find.iStart, (info.flags & LVFI_WRAP) != 0);
    } catch (...) {
        return -1;
    }
}

bool TListView::WindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_KEYDOWN:
        FCopyKeyDown = false;
        if (wp == 'C' && OnCopy && ::GetKeyState(VK_CONTROL) < 0 && ::GetKeyState(VK_SHIFT) >= 0 &&
            ::GetKeyState(VK_MENU) >= 0) {
            FCopyKeyDown = true;
            FireEvent(OnCopy, this);
            result = 0;
            return true;
        }
        return false;
    case WM_CHAR:
        // Ctrl+C's character would start the list's type-ahead search.
        if (FCopyKeyDown && wp == 3) {
            FCopyKeyDown = false;
            result = 0;
            return true;
        }
        return false;
    case WM_SIZE:
        result = CallOriginal(msg, wp, lp);
        ApplyFillColumns();
        Resized();
        return true;
    case WM_CONTEXTMENU:
        if (PopupMenu) {
            int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
            if (lp == -1) {
                RECT r{};
                ::GetWindowRect(FHandle, &r);
                x = r.left + 8;
                y = r.top + 8;
            }
            PopupMenu->Popup(::GetAncestor(FHandle, GA_ROOT), x, y);
            result = 0;
            return true;
        }
        return false;
    case WM_NOTIFY: {
        // The header's width changes obey the column limits while dragging.
        auto* nm = reinterpret_cast<NMHEADERW*>(lp);
        if ((nm->hdr.code == HDN_ITEMCHANGINGW || nm->hdr.code == HDN_ITEMCHANGINGA) && nm->pitem &&
            (nm->pitem->mask & HDI_WIDTH) && nm->iItem >= 0 && nm->iItem < ColumnCount()) {
            const Column& column = FColumns[static_cast<size_t>(nm->iItem)];
            nm->pitem->cxy = ApplyColumnWidthRule(nm->pitem->cxy, column.MinWidth, column.MaxWidth);
        }
        return false;
    }
    }
    return false;
}

} // namespace vtx
