// The rows behind each of the two lists. The list controls are owner-data:
// they hold a count and ask the model for the cells they draw, so the model
// is where a row's process, file and texts live. A row's file is read (icon
// and version texts, from the file-information cache) when the row is first
// drawn or read, so a first start shows its first screen after the reads of
// the rows on it, not of every distinct file.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>
#include "settings/ProcessColumns.h"
#include "toolkit/Form.h"
#include "toolkit/ImageList.h"
#include "toolkit/ListView.h"

namespace vtx {

class TFileInfoItem;
enum class TIconType;

// One row of either list: the file in full, and in the process list the
// row's own process, named by ID and start time.
struct TListRow {
    std::wstring FileName;
    std::uint32_t ProcessId = 0;
    std::uint64_t StartTime = 0;  // 0: unknown
    // FileName is the bare name until the process is asked for its path,
    // when the row is first drawn or read.
    bool PathPending = false;
    // Read on first use; owned by the cache, valid to program end.
    const TFileInfoItem* Item = nullptr;
    int Image = -1;  // the item's image in the list's image list, once read
};

class TListModel {
public:
    // Columns: the list's column table. Font: the window whose font measures
    // the shortened paths.
    TListModel(TListView& view, TImageList& images, std::span<const TColumnDesign> columns, TIconType iconType,
               const TForm& font);
    TListModel(const TListModel&) = delete;
    TListModel& operator=(const TListModel&) = delete;
    ~TListModel();

    // The ID text a new file's cache item is created with; by default the
    // row's own process ID.
    std::function<std::wstring(const TListRow& row)> ItemIdOf;

    // Replaces the rows; the list shows their count at once and asks for
    // their cells when it draws them.
    void Assign(std::vector<TListRow> rows);
    void Clear() { Assign({}); }
    int Count() const noexcept { return static_cast<int>(FRows.size()); }
    const TListRow& Row(int index) const { return FRows.at(static_cast<size_t>(index)); }
    TListRow& Row(int index) { return FRows.at(static_cast<size_t>(index)); }
    // Removes a row from the model and the list.
    void Delete(int index);

    // The row's file information, read on first use.
    const TFileInfoItem& Item(int index);
    // A cell's whole text by column name (the path in full).
    std::wstring Text(int index, TProcessColumn column);
    // What the list shows in a column: the path shortened to the column.
    std::wstring ShownText(int index, int column);
    int Image(int index);
    // Type-ahead over the Process (Module) column, letter case ignored.
    int FindRow(const std::wstring& prefix, int start, bool wrap);

    // The rows whose files are read; ReadAhead reads further ones (at least
    // one) until the tick count Until or until input waits. True when every
    // row is read.
    bool AllRead() const noexcept { return FReadUpTo >= FRows.size(); }
    bool ReadAhead(std::uint32_t until);
    void ReadAll();

    // The given columns, in that order, as copied text: a header of their
    // captions, then the row Selected, or every row when it is -1.
    std::wstring TableText(const std::vector<int>& columns, int selected);

    // The images were dropped (a new scale): every row's is looked up again.
    void ForgetImages() noexcept;
    // The window's font changed (a new scale): paths are fitted again.
    void FontChanged() noexcept;

private:
    TListRow& Read(int index);

    TListView& FView;
    TImageList& FImages;
    std::span<const TColumnDesign> FColumns;
    TIconType FIconType;
    const TForm& FFont;
    std::vector<TListRow> FRows;
    size_t FReadUpTo = 0;  // every row before it is read
    // Paths as last fitted to the path column, by file: a refresh makes new
    // rows of the same files, and measuring is most of drawing a row.
    struct TShortPath {
        int Width = -1;
        std::wstring Text;
    };
    std::unordered_map<std::wstring, TShortPath> FShortPaths;
};

} // namespace vtx
