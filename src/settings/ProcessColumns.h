// The columns of the two lists, in one table: names, designed widths and
// limits, what is shown at first, the Items entry, and how a cell's text is
// made from its row. The window, the settings store, the controller and the
// copy of a list all read them from here; adding a column is an entry here
// with its cell function.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vtx {

// The process list's columns, by index; the module list has the first six.
enum class TProcessColumn : int { Icon, Product, Company, Description, Path, Version, Id };

constexpr int ColumnIndex(TProcessColumn column) noexcept { return static_cast<int>(column); }
constexpr std::size_t ColumnSlot(TProcessColumn column) noexcept { return static_cast<std::size_t>(column); }
// What a row's cells are made from: its file in full, the file's version
// texts, and (process list) its process.
struct TRowFacts {
    const std::wstring& FileName;
    const std::wstring& Product;
    const std::wstring& Company;
    const std::wstring& Description;
    const std::wstring& Version;
    std::uint32_t ProcessId = 0;
};

// A cell's whole text; the list shows the path column's shortened to fit.
using TCellText = std::wstring (*)(const TRowFacts& row);

namespace cells {
std::wstring None(const TRowFacts& row);
// The product name; the file's name when there is none, or it says "-".
std::wstring Product(const TRowFacts& row);
std::wstring Company(const TRowFacts& row);
std::wstring Description(const TRowFacts& row);
std::wstring Path(const TRowFacts& row);
std::wstring Version(const TRowFacts& row);
// At least four upper-case hexadecimal digits.
std::wstring ProcessId(const TRowFacts& row);
} // namespace cells

// Sizes at 96 dpi; MaxWidth 0 means none.
struct TColumnDesign {
    const wchar_t* Caption;
    int Width;
    int MaxWidth;
    int MinWidth;
    bool Fill;
    bool VisibleAtFirst;
    const wchar_t* ItemsEntry;  // its entry in the Items submenu
    TCellText Cell;
};

constexpr auto ProcessColumnDesigns = std::to_array<TColumnDesign>({
    {L"", 20, 20, 0, false, true, L"&Icon", cells::None},
    {L"Process", 235, 300, 0, false, true, L"&Product", cells::Product},
    {L"Company", 125, 300, 0, false, true, L"&Company", cells::Company},
    {L"Description", 220, 500, 0, false, true, L"&Description", cells::Description},
    {L"Path and filename", 50, 500, 0, true, true, L"Path and &filename", cells::Path},
    {L"Version", 80, 300, 0, false, false, L"&Version", cells::Version},
    {L"Process ID", 65, 0, 0, false, false, L"P&rocess ID", cells::ProcessId},
});
constexpr int ProcessColumnCount = static_cast<int>(ProcessColumnDesigns.size());
static_assert(ProcessColumnCount == ColumnIndex(TProcessColumn::Id) + 1, "one design per column name");

// The module list's icon column keeps 20 pixels: it cannot be hidden.
constexpr auto ModuleColumnDesigns = std::to_array<TColumnDesign>({
    {L"", 20, 20, 20, false, true, nullptr, cells::None},
    {L"Module", 235, 300, 0, false, true, nullptr, cells::Product},
    {L"Company", 125, 300, 0, false, true, nullptr, cells::Company},
    {L"Description", 220, 500, 0, false, true, nullptr, cells::Description},
    {L"Path and filename", 50, 500, 0, true, true, nullptr, cells::Path},
    {L"Version", 80, 300, 0, false, true, nullptr, cells::Version},
});
constexpr int ModuleColumnCount = static_cast<int>(ModuleColumnDesigns.size());

} // namespace vtx
