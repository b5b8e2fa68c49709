// Report-style list view: columns with minimum, maximum and fill rules, rows
// of an icon and sub-item texts, focus and selection, click events and a popup.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "toolkit/Controls.h"

namespace vtx {

class TImageList;
class TPopupMenu;

// Where an owner-data list gets what it draws: the rows live in the
// application's model, the control asks for the cells it shows.
struct TListSource {
    // The text of a row's cell (column 0 included); what the list shows.
    std::function<std::wstring(int row, int column)> CellText;
    // The row's image index in the list's image list; -1 for none.
    std::function<int(int row)> ImageIndex;
    // Type-ahead: the first row from Start on (wrapping to the top when Wrap)
    // whose text begins with Prefix, letter case ignored; -1 for none.
    std::function<int(const std::wstring& prefix, int start, bool wrap)> FindRow;
};

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

    // Owner data: the list holds a count, no texts. Setting the count keeps
    // the selection where it is and redraws the rows.
    int ItemCount() const noexcept;
    void SetItemCount(int count);
    // Removes one row and moves the selection and focus of the rows below up.
    void DeleteItem(int index);
    void Clear() { SetItemCount(0); }
    // The rows' cells changed: they are asked for again when next drawn.
    void InvalidateRows() noexcept;
    TListSource Source;
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
    LRESULT GetDisplayInfo(NMLVDISPINFOW& info) noexcept;
    LRESULT FindItem(const NMLVFINDITEMW& find) noexcept;

    std::vector<Column> FColumns;
    TImageList* FImages = nullptr;
    int FUpdateCount = 0;
    bool FFilling = false;
    bool FCopyKeyDown = false;  // the Ctrl+C that OnCopy took: its WM_CHAR is swallowed too
};

} // namespace vtx
