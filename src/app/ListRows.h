// The columns of the two lists, apart from the controller that decides when:
// the process list's column widths in step with the settings, the module
// list's after them, and which columns a list shows.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include "app/ListLogic.h"
#include "settings/ControllerRegistry.h"
#include "settings/ProcessColumns.h"
#include "toolkit/ListView.h"

namespace vtx {

// Takes the widths the process list shows into the settings; a column that
// shows none (hidden) keeps the width it had.
void CollectColumnWidths(const TListView& processes, TProcessItems& items);
// At start: a stored width is applied, an unknown one taken from the list.
void SeedColumnWidths(TListView& processes, TProcessItems& items);
// Applies the settings to both lists' sized columns and gives the process
// list's path column the width they leave, less a scroll bar.
void ApplyColumnSettings(TListView& processes, TListView& modules, TProcessItems& items, int scrollBarWidth);

// The columns a list shows by the settings, in the header's order, without
// the icon column: a column the window squeezed to no width is still shown.
// The module list's path column takes the remaining width and always shows.
std::vector<int> ShownColumns(const TListView& list, const TProcessItems& items, bool isModuleList);

} // namespace vtx
