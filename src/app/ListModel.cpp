#include "app/ListModel.h"
#include <algorithm>
#include "app/ListLogic.h"
#include "fileinfo/KbxFileInfoClasses.h"
#include "system/VtxSysInfo.h"

namespace vtx {

TListModel::TListModel(TListView& view, TImageList& images, std::span<const TColumnDesign> columns,
                       TIconType iconType, const TForm& font)
    : FView(view), FImages(images), FColumns(columns), FIconType(iconType), FFont(font) {
    ItemIdOf = [](const TListRow& row) { return ProcessIdText(static_cast<std::int32_t>(row.ProcessId)); };
    FView.Source.CellText = [this](int row, int column) { return ShownText(row, column); };
    FView.Source.ImageIndex = [this](int row) { return Image(row); };
    FView.Source.FindRow = [this](const std::wstring& prefix, int start, bool wrap) {
        return FindRow(prefix, start, wrap);
    };
}

TListModel::~TListModel() {
    // The list may outlive the model: it must not call back into it.
    FView.Source = {};
}

void TListModel::Assign(std::vector<TListRow> rows) {
    FRows = std::move(rows);
    FReadUpTo = 0;
    FView.SetItemCount(Count());
}

void TListModel::Delete(int index) {
    FRows.erase(FRows.begin() + index);
    if (FReadUpTo > static_cast<size_t>(index)) --FReadUpTo;
    FView.DeleteItem(index);
}

TListRow& TListModel::Read(int index) {
    TListRow& row = FRows.at(static_cast<size_t>(index));
    if (row.PathPending) {
        row.FileName = ProcessImagePath(row.ProcessId, row.StartTime, row.FileName);
        row.PathPending = false;
    }
    if (!row.Item) {
        // The ID text only for a file the cache has not seen: making it may read the process table.
        const TFileInfoItem* known = FileInfoCache().Find(row.FileName);
        row.Item = known ? known : &GetFileInfoItem(row.FileName, ItemIdOf(row), FIconType);
    }
    // Also after the images were dropped for a new scale.
    if (row.Image < 0) row.Image = FImages.IndexOf(row.Item->IconAt(FImages.IconSize()));
    return row;
}

const TFileInfoItem& TListModel::Item(int index) { return *Read(index).Item; }

std::wstring TListModel::Text(int index, TProcessColumn column) {
    const size_t slot = ColumnSlot(column);
    if (slot >= FColumns.size()) return {};
    const TListRow& row = Read(index);
    const TFileInfoItem& item = *row.Item;
    const TRowFacts facts{row.FileName, item.Product(), item.Company(), item.Description(), item.Version(),
                          row.ProcessId};
    return FColumns[slot].Cell(facts);
}

std::wstring TListModel::ShownText(int index, int column) {
    if (index < 0 || index >= Count() || column < 0 || static_cast<size_t>(column) >= FColumns.size()) return {};
    const auto name = static_cast<TProcessColumn>(column);
    if (name != TProcessColumn::Path) return Text(index, name);
    const TListRow& row = Read(index);
    const int width = FView.ColumnWidth(column);
    TShortPath& path = FShortPaths[row.Item->Filename()];
    if (path.Width != width) {
        TTextMeasurer measurer(FFont.Handle(), FFont.DesignFont());
        path.Text = FitPathToWidth(row.Item->Filename(), [&measurer](const std::wstring& text) {
            return measurer.Width(text);
        }, width);
        path.Width = width;
    }
    return path.Text;
}

int TListModel::Image(int index) {
    if (index < 0 || index >= Count()) return -1;
    return Read(index).Image;
}

int TListModel::FindRow(const std::wstring& prefix, int start, bool wrap) {
    const int count = Count();
    if (prefix.empty() || count == 0) return -1;
    if (start < 0 || start >= count) start = 0;
    const std::wstring wanted = FoldFileNameCase(prefix);
    for (int step = 0; step < count; ++step) {
        const int index = start + step;
        if (index >= count && !wrap) break;
        const int row = index % count;
        std::wstring text = Text(row, TProcessColumn::Product);
        if (text.size() < wanted.size()) continue;
        text.resize(wanted.size());
        if (FoldFileNameCase(text) == wanted) return row;
    }
    return -1;
}

bool TListModel::ReadAhead(std::uint32_t until) {
    while (FReadUpTo < FRows.size()) {
        Read(static_cast<int>(FReadUpTo));
        ++FReadUpTo;
        // Input waiting, or the slice is used up: the rest waits for the next one.
        if (::GetQueueStatus(QS_INPUT) != 0 || static_cast<std::int32_t>(::GetTickCount() - until) >= 0) break;
    }
    return AllRead();
}

void TListModel::ReadAll() {
    for (; FReadUpTo < FRows.size(); ++FReadUpTo) Read(static_cast<int>(FReadUpTo));
}

std::wstring TListModel::TableText(const std::vector<int>& columns, int selected) {
    std::vector<std::vector<std::wstring>> lines;
    std::vector<std::wstring>& header = lines.emplace_back();
    for (int column : columns) header.push_back(FView.ColumnCaption(column));
    int first = 0, end = Count();
    if (selected >= 0 && selected < Count()) {
        first = selected;
        end = selected + 1;
    }
    for (int index = first; index < end; ++index) {
        std::vector<std::wstring>& cells = lines.emplace_back();
        for (int column : columns) cells.push_back(Text(index, static_cast<TProcessColumn>(column)));
    }
    return vtx::TableText(lines);
}

void TListModel::ForgetImages() noexcept {
    for (TListRow& row : FRows) row.Image = -1;
    FView.InvalidateRows();
}

void TListModel::FontChanged() noexcept {
    FShortPaths.clear();
    FView.InvalidateRows();
}

} // namespace vtx
