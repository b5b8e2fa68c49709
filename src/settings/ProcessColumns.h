// The columns of the two lists: names, designed widths and limits, what is
// shown at first, and where each column's text sits in a row. The window, the
// settings store and the controller all read them from here.
#pragma once
#include <array>
#include <cstddef>

namespace vtx {

// The process list's columns, by index; the module list has the first six.
enum class TProcessColumn : int { Icon, Product, Company, Description, Path, Version, Id };

constexpr int ProcessColumnCount = 7;
constexpr int ModuleColumnCount = 6;

constexpr int ColumnIndex(TProcessColumn column) noexcept { return static_cast<int>(column); }
constexpr std::size_t ColumnSlot(TProcessColumn column) noexcept { return static_cast<std::size_t>(column); }
// Column 0 shows the row's icon; sub-item k fills column k + 1.
constexpr int SubItemOf(TProcessColumn column) noexcept { return ColumnIndex(column) - 1; }

// Sizes at 96 dpi; MaxWidth 0 means none.
struct TColumnDesign {
    const wchar_t* Caption;
    int Width;
    int MaxWidth;
    int MinWidth;
    bool Fill;
    bool VisibleAtFirst;
    const wchar_t* ItemsEntry;  // its entry in the Items submenu
};

constexpr std::array<TColumnDesign, ProcessColumnCount> ProcessColumnDesigns{{
    {L"", 20, 20, 0, false, true, L"&Icon"},
    {L"Process", 235, 300, 0, false, true, L"&Product"},
    {L"Company", 125, 300, 0, false, true, L"&Company"},
    {L"Description", 220, 500, 0, false, true, L"&Description"},
    {L"Path and filename", 50, 500, 0, true, true, L"Path and &filename"},
    {L"Version", 80, 300, 0, false, false, L"&Version"},
    {L"Process ID", 65, 0, 0, false, false, L"P&rocess ID"},
}};

// The module list's icon column keeps 20 pixels: it cannot be hidden.
constexpr std::array<TColumnDesign, ModuleColumnCount> ModuleColumnDesigns{{
    {L"", 20, 20, 20, false, true, nullptr},
    {L"Module", 235, 300, 0, false, true, nullptr},
    {L"Company", 125, 300, 0, false, true, nullptr},
    {L"Description", 220, 500, 0, false, true, nullptr},
    {L"Path and filename", 50, 500, 0, true, true, nullptr},
    {L"Version", 80, 300, 0, false, true, nullptr},
}};

// The columns whose widths a refresh collects and applies; the path column
// takes what they leave.
constexpr std::array<TProcessColumn, 6> SizedColumns{TProcessColumn::Icon,        TProcessColumn::Product,
                                                     TProcessColumn::Company,     TProcessColumn::Description,
                                                     TProcessColumn::Version,     TProcessColumn::Id};

// The status bar's timer ticks once a second; the process list is rebuilt
// every RefreshPeriodTicks ticks.
constexpr unsigned TickMs = 1000;
constexpr int RefreshPeriodTicks = 600;

} // namespace vtx
