// The rows and columns of a list, driven without the controller: a plain
// form with a process list and a module list.
#include <gtest/gtest.h>
#include "app/ListRows.h"
#include "fileinfo/KbxFileInfoClasses.h"
#include "helpers/TestSupport.h"
#include "system/SystemLogic.h"
#include "toolkit/Form.h"

namespace {

using namespace vtx;

struct Lists {
    TForm Form{L"TListRowsTest", TBorderStyle::bsSizeable, 0, 0, 913, 400};
    TListView Processes{&Form, L"processes", true};
    TListView Modules{&Form, L"modules", false};
    TImageList Icons{16};
    Lists() {
        for (const TColumnDesign& c : ProcessColumnDesigns)
            Processes.AddColumn(c.Caption, c.Width, c.MaxWidth, c.MinWidth, c.Fill);
        for (const TColumnDesign& c : ModuleColumnDesigns)
            Modules.AddColumn(c.Caption, c.Width, c.MaxWidth, c.MinWidth, c.Fill);
        Processes.SetBounds(0, 0, 900, 200);
        Modules.SetBounds(0, 200, 900, 100);
    }
};

int TenPerCharacter(const std::wstring& text) { return static_cast<int>(text.size()) * 10; }

TEST(ListRows, RowsCarryTheirTextsShortenedPathAndOwnProcessId) {
    Lists lists;
    // A file no earlier test has put into the cache.
    const std::wstring helper =
        vtest::CopyFileTo(vtest::HelperPath(), vtest::ScratchDirectory(L"listrows"), L"vtrows.exe");
    std::vector<TListRow> rows = RowsOfProcesses({{helper, 0x1234, 7}, {L"System", 4, 0}, {helper, 0x88, 9}});
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].Item, rows[2].Item) << "one cache item per file";
    EXPECT_EQ(rows[0].Item->ID(), L"1234") << "created for the file's first process";
    EXPECT_EQ(rows[2].StartTime, 9u);
    // Room for a path column of 200 without a horizontal scroll bar.
    lists.Processes.SetColumnWidth(ColumnIndex(TProcessColumn::Description), 50);
    lists.Processes.SetColumnWidth(ColumnIndex(TProcessColumn::Path), 200);
    FillRows(lists.Processes, lists.Icons, rows, false, TenPerCharacter);

    ASSERT_EQ(lists.Processes.ItemCount(), 3);
    const auto& first = lists.Processes.Item(0).SubItems;
    EXPECT_EQ(first[0], L"VtHelper");
    EXPECT_EQ(first[4], L"1.2.3.4");
    EXPECT_EQ(first[5], L"1234");
    ASSERT_EQ(lists.Processes.ColumnWidth(ColumnIndex(TProcessColumn::Path)), 200);
    EXPECT_EQ(first[3], helper.substr(0, 2) + L"\\...\\" + FileNamePart(helper)) << "the path shortened to 200 pixels";
    // Each row of one file carries its own process's ID, as text and as data.
    EXPECT_EQ(RowProcessId(lists.Processes, 0), 0x1234);
    EXPECT_EQ(RowProcessId(lists.Processes, 2), 0x88);
    EXPECT_EQ(lists.Processes.Item(2).SubItems[5], L"0088");
    EXPECT_EQ(lists.Processes.Item(1).SubItems[0], L"System");
    EXPECT_EQ(lists.Processes.Item(1).SubItems[5], L"0004");
    EXPECT_EQ(RowProcessId(lists.Processes, 1), 4);
    EXPECT_EQ(RowProcessId(lists.Processes, 3), -1) << "no such row";
    EXPECT_EQ(RowProcessId(lists.Processes, -1), -1);

    // Module rows carry no ID.
    FillRows(lists.Modules, lists.Icons, rows, true, TenPerCharacter);
    ASSERT_EQ(lists.Modules.ItemCount(), 3);
    EXPECT_EQ(lists.Modules.Item(0).SubItems.size(), 6u);
    EXPECT_EQ(lists.Modules.Item(0).SubItems[5], L"-");
    EXPECT_EQ(lists.Modules.ItemData(0), 0);
}

TEST(ListRows, ColumnSettingsApplyToBothListsAndThePathTakesTheRest) {
    Lists lists;
    TProcessItems items{};
    for (int i = 0; i < ProcessColumnCount; ++i) items[static_cast<size_t>(i)].Visible = ProcessColumnDesigns[static_cast<size_t>(i)].VisibleAtFirst;
    SeedColumnWidths(lists.Processes, items);
    EXPECT_EQ(items[ColumnSlot(TProcessColumn::Product)].Width, 235);
    items[ColumnSlot(TProcessColumn::Product)].Width = 400;  // above the maximum
    lists.Processes.SetColumnWidth(ColumnIndex(TProcessColumn::Product), 0);
    items[ColumnSlot(TProcessColumn::Company)].Visible = false;
    items[ColumnSlot(TProcessColumn::Icon)].Visible = false;

    ApplyColumnSettings(lists.Processes, lists.Modules, items, 17);
    EXPECT_EQ(lists.Processes.ColumnWidth(ColumnIndex(TProcessColumn::Product)), 300);
    EXPECT_EQ(lists.Processes.ColumnWidth(ColumnIndex(TProcessColumn::Company)), 0);
    EXPECT_EQ(lists.Modules.ColumnWidth(ColumnIndex(TProcessColumn::Company)), 0);
    EXPECT_EQ(lists.Modules.ColumnWidth(ColumnIndex(TProcessColumn::Icon)), 20) << "the module icons stay";
    EXPECT_EQ(items[ColumnSlot(TProcessColumn::Company)].Width, 125) << "a hidden column keeps its width";
    const int sum = 300 + 220;  // Product and Description; Version and ID start hidden
    EXPECT_EQ(lists.Processes.ColumnWidth(ColumnIndex(TProcessColumn::Path)),
              lists.Processes.ClientWidth() - sum - 17);

    ApplyColumnSettings(lists.Processes, lists.Modules, items, 17);
    EXPECT_EQ(items[ColumnSlot(TProcessColumn::Product)].Width, 300) << "the shown width is stored";
    CollectColumnWidths(lists.Processes, items);
    EXPECT_EQ(items[ColumnSlot(TProcessColumn::Company)].Width, 125);
}

} // namespace
