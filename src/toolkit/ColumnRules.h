// The width rules of list columns, shared by the list view and its tests.
#pragma once

namespace vtx {

// Width stored when w is set on a column with these limits (0 = no maximum):
// the minimum for 0 <= w < minimum, else the maximum when w exceeds it,
// else w. A negative w is stored unchanged.
constexpr int ApplyColumnWidthRule(int w, int minWidth, int maxWidth) noexcept {
    if (w < 0) return w;
    if (w < minWidth) return minWidth;
    if (maxWidth > 0 && w > maxWidth) return maxWidth;
    return w;
}

// Width of a fill column: the list's client width minus all other columns.
constexpr int FillColumnWidth(int clientWidth, int otherColumnsWidth) noexcept {
    return clientWidth - otherColumnsWidth;
}

} // namespace vtx
