#include "app/ListRows.h"
#include "base/Handle.h"

namespace vtx {

void CollectColumnWidths(const TListView& processes, TProcessItems& items) {
    for (int i = 0; i < ProcessColumnCount; ++i) {
        int shown = processes.ColumnWidth(i);
        if (shown != 0) items[static_cast<size_t>(i)].Width = shown;
    }
}

void SeedColumnWidths(TListView& processes, TProcessItems& items) {
    for (int i = 0; i < ProcessColumnCount; ++i) {
        TProcessItem& item = items[static_cast<size_t>(i)];
        if (item.Width != 0) processes.SetColumnWidth(i, item.Width);
        else item.Width = processes.ColumnWidth(i);
    }
}

void ApplyColumnSettings(TListView& processes, TListView& modules, TProcessItems& items, int scrollBarWidth) {
    int sum = 0;
    // Every column but the fill column (the path), which takes what they leave.
    for (int i = 0; i < ProcessColumnCount; ++i) {
        if (ProcessColumnDesigns[static_cast<size_t>(i)].Fill) continue;
        TProcessItem& item = items[static_cast<size_t>(i)];
        int shown = processes.ColumnWidth(i);
        if (shown != 0) item.Width = shown;
        if (item.Visible) {
            processes.SetColumnWidth(i, item.Width);
            sum += processes.ColumnWidth(i);
        } else {
            processes.SetColumnWidth(i, 0);
        }
        if (i < modules.ColumnCount()) modules.SetColumnWidth(i, processes.ColumnWidth(i));
    }
    // The module list's fill column takes the width left over, as a one-pixel
    // change of the window's width would give it, without resizing the window.
    modules.ApplyFillColumns();
    const TProcessColumn path = TProcessColumn::Path;
    processes.SetColumnWidth(ColumnIndex(path), PathColumnWidth(items[ColumnSlot(path)].Visible,
                                                                processes.ClientWidth(), sum, scrollBarWidth));
}

std::vector<int> ShownColumns(const TListView& list, const TProcessItems& items, bool isModuleList) {
    std::vector<int> columns;
    for (int column : list.ColumnOrder()) {
        const auto name = static_cast<TProcessColumn>(column);
        if (name == TProcessColumn::Icon) continue;
        if ((isModuleList && name == TProcessColumn::Path) || items[ColumnSlot(name)].Visible) columns.push_back(column);
    }
    return columns;
}

} // namespace vtx
