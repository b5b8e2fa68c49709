// Report-style list view: columns with minimum, maximum and fill rules, rows
// of an icon and sub-item texts, focus and selection, click events and a popup.
#pragma once
#include <memory>
#include <vector>
#include "toolkit/Controls.h"

namespace vtx {

class TImageList;
class TPopupMenu;

struct TListItem {
    int ImageIndex = -1;
    std::vector<std::wstring> SubItems;
    // The file the row stands for, in full: the texts may show it shortened.
    std::wstring FileName;
};

// A row's own value, kept in the item's lParam.
using TItemData = std::intptr_t;

class TListView : public TControl {
public:
    TListView(TWinControl* parent, const std::wstring& name, bool rowSelect);
    ~TListView() override;

    // Designed widths and limits are at 96 dpi; maxWidth 0 means none.
    void AddColumn(const std::wstring& caption, int width, int maxWidth, int minWidth, bool fill);
    int ColumnCount() const noexcept { return static_cast<int>(FColumns.size()); }
    // The width shown now, including a width dragged in the header.
    int ColumnWidth(int index) const noexcept;
    // Stores the width by the column rules.
    void SetColumnWidth(int index, int width);
    // Gives the fill columns the client width the other columns leave, as a
    // size change does.
    void ApplyFillColumns();
    int ColumnMinWidth(int index) const { return FColumns.at(static_cast<size_t>(index)).MinWidth; }
    int ColumnMaxWidth(int index) const { return FColumns.at(static_cast<size_t>(index)).MaxWidth; }
    const std::wstring& ColumnCaption(int index) const { return FColumns.at(static_cast<size_t>(index)).Caption; }
    // Column indices from left to right as the header shows them.
    std::vector<int> ColumnOrder() const;

    int ItemCount() const noexcept { return static_cast<int>(FItems.size()); }
    // Appends a row with an empty caption, no icon and its data; returns its index.
    int AddItem(TItemData data = 0);
    // The data the row carries in the control.
    TItemData ItemData(int index) const noexcept;
    void SetItemData(int index, TItemData data) noexcept;
    const TListItem& Item(int index) const { return FItems.at(static_cast<size_t>(index)); }
    void SetItemImage(int index, int image);
    void SetItemFileName(int index, std::wstring fileName);
    // Sets all sub-items of a row at once (columns 1 onward show them).
    void SetSubItems(int index, std::vector<std::wstring> subItems);
    void SetSubItem(int index, int subItem, const std::wstring& text);
    void DeleteItem(int index);
    void Clear();
    void BeginUpdate() noexcept;
    void EndUpdate() noexcept;

    int SelectedIndex() const noexcept;
    int ItemFocused() const noexcept;
    // Selects and focuses a row (-1: none); this is not a click.
    void SelectItem(int index);

    void SetSmallImages(TImageList* images);
    TImageList* SmallImages() const noexcept { return FImages; }
    TPopupMenu* PopupMenu = nullptr;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    // Ctrl+C, with neither Shift nor Alt.
    TNotifyEvent OnCopy;

    LRESULT HandleNotify(NMHDR* header) override;
    // Widths by new/old dpi (a hidden column stays at 0), limits from their designed values.
    void ScaleForDpi(UINT oldDpi, UINT newDpi) override;

protected:
    bool WindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    struct Column {
        std::wstring Caption;
        int DesignMinWidth;  // at 96 dpi
        int DesignMaxWidth;
        int MinWidth;  // at the control's dpi
        int MaxWidth;
        bool Fill;
    };
    void WriteRowTexts(int index);

    std::vector<Column> FColumns;
    std::vector<TListItem> FItems;
    TImageList* FImages = nullptr;
    int FUpdateCount = 0;
    bool FFilling = false;
    bool FCopyKeyDown = false;  // the Ctrl+C that OnCopy took: its WM_CHAR is swallowed too
};

} // namespace vtx
