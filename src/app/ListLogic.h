// Platform-free rules of the two lists: path shortening, the ID text, the path
// column's width, the copied table, and the process-ID index of one fill.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>
#include "settings/ProcessColumns.h"
#include "system/SystemLogic.h"

namespace vtx {

using TTextMeasure = std::function<int(const std::wstring&)>;

// Removes the first directory of Dir (changed in place); see FitPathToWidth.
void DropFirstDirectory(std::wstring& dir);
// Shortens FileName with "...\" until Measure says it fits MaxWidth; a bare
// file name is the shortest form and is returned even when it does not fit.
std::wstring FitPathToWidth(const std::wstring& fileName, const TTextMeasure& measure, std::int32_t maxWidth);

// At least four upper-case hexadecimal digits of the ID as unsigned 32 bits.
std::wstring ProcessIdText(std::int32_t id);
// "$" + text read as a signed 32-bit hexadecimal number; -1 when it does not convert.
std::int32_t ProcessIdFromText(const std::wstring& text);

// The text a list is copied as: cells joined by tabs, lines by CR LF (none
// after the last); a tab, CR or LF inside a cell becomes a space, so that the
// text pastes into a spreadsheet cell for cell.
std::wstring TableText(const std::vector<std::vector<std::wstring>>& lines);

// The path column: client width - the other visible columns - a scroll bar.
constexpr int PathColumnWidth(bool visible, int clientWidth, int otherColumns, int scrollBar) noexcept {
    return visible ? clientWidth - otherColumns - scrollBar : 0;
}

// Answers "the first running process started from this file" for every row of
// one fill from a single reading of the process table: full paths compare with
// full paths, bare names with the file-name part of each entry, letter case
// ignored through the given folding.
class TProcessIdIndex {
public:
    using TFold = std::function<std::wstring(const std::wstring&)>;
    explicit TProcessIdIndex(TFold fold) : FFold(std::move(fold)) {}
    // Entries in the system's order: text (full path or bare name) and ID.
    void Add(const std::wstring& text, std::uint32_t id);
    std::int32_t Find(const std::wstring& fileName) const;

private:
    TFold FFold;
    std::unordered_map<std::wstring, std::int32_t> FByText;
    std::unordered_map<std::wstring, std::int32_t> FByName;
};

} // namespace vtx
