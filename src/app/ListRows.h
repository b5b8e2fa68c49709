// The rows and columns of the two lists, apart from the controller that
// decides when they are filled: one row per file name with its icon, texts,
// shortened path and process ID, the lists as copied text, and the process
// list's columns in step with the settings.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include "app/ListLogic.h"
#include "settings/ControllerRegistry.h"
#include "settings/ProcessColumns.h"
#include "system/VtxSysInfo.h"
#include "toolkit/ImageList.h"
#include "toolkit/ListView.h"
#include "toolkit/StringList.h"

namespace vtx {

class TFileInfoItem;

// One row of either list: the file in full, its file-information item, and
// in the process list the row's own process, named by ID and start time.
struct TListRow {
    std::wstring FileName;
    const TFileInfoItem* Item = nullptr;  // owned by the cache, valid to program end
    std::uint32_t ProcessId = 0;
    std::uint64_t StartTime = 0;  // 0: unknown
};

// The rows of a process listing; a file seen for the first time gets its
// cache item under the ID of its first process.
std::vector<TListRow> RowsOfProcesses(std::vector<TProcessEntry> entries);

// Appends one list row per row: the file's icon and version texts, its path
// shortened to the path column, and in the process list the row's process ID
// as text and as the row's data.
void FillRows(TListView& list, TImageList& images, const std::vector<TListRow>& rows, bool isModuleList,
              const TTextMeasure& measure);

// After the icon list was made anew (another icon size): each row's image
// again, from the cache item of the row's file.
void SetRowImagesAgain(TListView& list, TImageList& images);

// The list as a table (TableText): the captions of the shown columns in the
// header's order, then the selected row, or every row when none is selected.
// The icon column is left out and the path column gives the whole path.
std::wstring ListTableText(const TListView& list);

// The process ID a process row carries; -1 for no row.
std::int32_t RowProcessId(const TListView& processes, int row) noexcept;

// Takes the widths the process list shows into the settings; a column that
// shows none (hidden) keeps the width it had.
void CollectColumnWidths(const TListView& processes, TProcessItems& items);
// At start: a stored width is applied, an unknown one taken from the list.
void SeedColumnWidths(TListView& processes, TProcessItems& items);
// Applies the settings to both lists' sized columns and gives the process
// list's path column the width they leave, less a scroll bar.
void ApplyColumnSettings(TListView& processes, TListView& modules, TProcessItems& items, int scrollBarWidth);

} // namespace vtx
