#include "app/ListRows.h"
#include "fileinfo/KbxFileInfoClasses.h"
#include "toolkit/Handle.h"

namespace vtx {

std::vector<TListRow> RowsOfProcesses(std::vector<TProcessEntry> entries) {
    std::vector<TListRow> rows;
    rows.reserve(entries.size());
    for (TProcessEntry& entry : entries) {
        const TFileInfoItem& item =
            GetFileInfoItem(entry.FileName, ProcessIdText(static_cast<std::int32_t>(entry.Id)), TIconType::itFile);
        rows.push_back({std::move(entry.FileName), &item, entry.Id, entry.StartTime});
    }
    return rows;
}

void FillRows(TListView& list, TImageList& images, const std::vector<TListRow>& rows, bool isModuleList,
              const TTextMeasure& measure) {
    list.BeginUpdate();
    scope_exit endUpdate([&list] { list.EndUpdate(); });
    const int pathColumn = ColumnIndex(TProcessColumn::Path);
    for (const TListRow& source : rows) {
        const TFileInfoItem& item = *source.Item;
        const int row = list.AddItem(isModuleList ? 0 : static_cast<TItemData>(source.ProcessId));
        const std::wstring idText = ProcessIdText(static_cast<std::int32_t>(source.ProcessId));
        // One image per icon: the cache item's icons live to the end of the run.
        list.SetItemImage(row, images.IndexOf(item.IconAt(images.IconSize())));
        list.SetItemFileName(row, item.Filename());
        TRowTexts texts{item.Product(), item.Company(), item.Description(), item.Version()};
        list.SetSubItems(row, RowSubItems(texts, source.FileName,
                                          FitPathToWidth(item.Filename(), measure, list.ColumnWidth(pathColumn)),
                                          idText, isModuleList));
    }
}

void SetRowImagesAgain(TListView& list, TImageList& images) {
    for (int row = 0; row < list.ItemCount(); ++row) {
        const TFileInfoItem* item = FileInfoCache().Find(list.Item(row).FileName);
        list.SetItemImage(row, item ? images.IndexOf(item->IconAt(images.IconSize())) : -1);
    }
}

std::wstring ListTableText(const TListView& list) {
    std::vector<int> columns;
    for (int column : list.ColumnOrder())
        if (column != ColumnIndex(TProcessColumn::Icon) && list.ColumnWidth(column) != 0) columns.push_back(column);
    std::vector<std::vector<std::wstring>> lines;
    std::vector<std::wstring>& header = lines.emplace_back();
    for (int column : columns) header.push_back(list.ColumnCaption(column));
    int first = 0, end = list.ItemCount();
    if (const int selected = list.SelectedIndex(); selected >= 0) {
        first = selected;
        end = selected + 1;
    }
    for (int row = first; row < end; ++row) {
        const TListItem& item = list.Item(row);
        std::vector<std::wstring>& cells = lines.emplace_back();
        for (int column : columns) {
            const auto subItem = static_cast<size_t>(column - 1);
            if (column == ColumnIndex(TProcessColumn::Path)) cells.push_back(item.FileName);
            else cells.push_back(subItem < item.SubItems.size() ? item.SubItems[subItem] : std::wstring());
        }
    }
    return TableText(lines);
}

std::int32_t RowProcessId(const TListView& processes, int row) noexcept {
    if (row < 0 || row >= processes.ItemCount()) return -1;
    return static_cast<std::int32_t>(processes.ItemData(row));
}

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
    for (TProcessColumn column : SizedColumns) {
        const int i = ColumnIndex(column);
        TProcessItem& item = items[ColumnSlot(column)];
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

} // namespace vtx
