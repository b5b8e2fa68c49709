// The rows and columns of a list, driven without the controller: a plain
// form with a process list and a module list, and the models behind them.
#include <gtest/gtest.h>
#include "app/ListModel.h"
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

// A cell as another program reads it: the list asks the model.
std::wstring ListCell(const TListView& list, int row, int column) {
    wchar_t text[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 512;
    ::SendMessageW(list.Handle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

TEST(ListModel, RowsAreReadWhenFirstAskedForAndShowTheirTextsShortenedPathAndOwnProcessId) {
    Lists lists;
    // A file no earlier test has put into the cache.
    const std::wstring helper =
        vtest::CopyFileTo(vtest::HelperPath(), vtest::ScratchDirectory(L"listrows"), L"vtrows.exe");
    TListModel model(lists.Processes, lists.Icons, ProcessColumnDesigns, TIconType::itFile, lists.Form);
    model.Assign({{helper, 0x1234, 7}, {L"System", 4, 0}, {helper, 0x88, 9}});
    ASSERT_EQ(lists.Processes.ItemCount(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(model.Row(i).Item, nullptr) << "nothing read before it is asked for";

    // Room for a path column of 200 without a horizontal scroll bar.
    lists.Processes.SetColumnWidth(ColumnIndex(TProcessColumn::Description), 50);
    lists.Processes.SetColumnWidth(ColumnIndex(TProcessColumn::Path), 200);
    EXPECT_EQ(ListCell(lists.Processes, 2, ColumnIndex(TProcessColumn::Product)), L"VtHelper");
    ASSERT_NE(model.Row(2).Item, nullptr);
    EXPECT_EQ(model.Row(0).Item, nullptr) << "only the row asked for is read";
    EXPECT_EQ(model.Row(2).Item->ID(), L"0088") << "the file's item, made for the row that read it first";
    EXPECT_EQ(ListCell(lists.Processes, 2, ColumnIndex(TProcessColumn::Version)), L"1.2.3.4");
    EXPECT_EQ(ListCell(lists.Processes, 2, ColumnIndex(TProcessColumn::Id)), L"0088");
    const std::wstring shown = ListCell(lists.Processes, 2, ColumnIndex(TProcessColumn::Path));
    EXPECT_EQ(shown, model.ShownText(2, ColumnIndex(TProcessColumn::Path)));
    EXPECT_EQ(shown.substr(0, 7), helper.substr(0, 2) + L"\\...\\") << shown;
    EXPECT_EQ(FileNamePart(shown), L"vtrows.exe");
    TTextMeasurer measure(lists.Form.Handle(), lists.Form.DesignFont());
    EXPECT_LE(measure.Width(shown), 200) << "the path shortened to its column";
    EXPECT_EQ(model.Text(2, TProcessColumn::Path), helper) << "the model keeps it whole";

    // Each row of one file carries its own process; both share the file's item and image.
    EXPECT_EQ(model.Text(0, TProcessColumn::Id), L"1234");
    EXPECT_EQ(model.Row(0).Item, model.Row(2).Item);
    EXPECT_EQ(model.Image(0), model.Image(2));
    EXPECT_EQ(model.Text(1, TProcessColumn::Product), L"System");
    EXPECT_EQ(model.Text(1, TProcessColumn::Id), L"0004");
    EXPECT_EQ(model.Image(1), -1) << "a bare name has no icon";
    LVITEMW image{};
    image.mask = LVIF_IMAGE;
    image.iItem = 1;
    ::SendMessageW(lists.Processes.Handle(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&image));
    EXPECT_EQ(image.iImage, I_IMAGENONE);

    // Type-ahead finds rows by their Process column, from the start row on.
    EXPECT_EQ(model.FindRow(L"vth", 0, false), 0);
    EXPECT_EQ(model.FindRow(L"VTH", 1, false), 2);
    EXPECT_EQ(model.FindRow(L"sys", 2, true), 1);
    EXPECT_EQ(model.FindRow(L"sys", 2, false), -1);

    model.Delete(0);
    EXPECT_EQ(lists.Processes.ItemCount(), 2);
    EXPECT_EQ(model.Row(0).ProcessId, 4u);

    // Module rows: the module list's columns, no ID column.
    TListModel modules(lists.Modules, lists.Icons, ModuleColumnDesigns, TIconType::itExtension, lists.Form);
    modules.Assign({{helper}});
    EXPECT_EQ(modules.Text(0, TProcessColumn::Product), L"VtHelper");
    EXPECT_EQ(modules.Text(0, TProcessColumn::Id), L"");
    EXPECT_EQ(ListCell(lists.Modules, 0, 1), L"VtHelper");
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
