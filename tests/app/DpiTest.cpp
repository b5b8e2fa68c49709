// A move to a monitor of another scale, as Windows reports it with
// WM_DPICHANGED, sent to the real main window.
#include "app/AppFixture.h"
#include "app/ListLogic.h"
#include "fileinfo/KbxFileInfoClasses.h"
#include "helpers/TestSupport.h"
#include "toolkit/Controls.h"

using namespace vtest;

namespace {

using vtest::IconWidth;

struct Layout {
    std::vector<int> Processes, Modules, Panels;
    int ModulesHeight = 0;
};

Layout LayoutOf(vtx::TfrmMain& f) {
    Layout l;
    for (int i = 0; i < f.lsvProcesses->ColumnCount(); ++i) l.Processes.push_back(f.lsvProcesses->ColumnWidth(i));
    for (int i = 0; i < f.lsvModules->ColumnCount(); ++i) l.Modules.push_back(f.lsvModules->ColumnWidth(i));
    for (int i = 0; i < f.stbStatus->PanelCount(); ++i) l.Panels.push_back(f.stbStatus->PanelWidth(i));
    l.ModulesHeight = f.lsvModules->Height();
    return l;
}

// The window rectangle Windows suggests: the same top-left, scaled size.
void SendDpiChange(vtx::TfrmMain& f, UINT from, UINT to) {
    RECT r{};
    ::GetWindowRect(f.Handle(), &r);
    RECT suggested{r.left, r.top, r.left + ::MulDiv(r.right - r.left, static_cast<int>(to), static_cast<int>(from)),
                   r.top + ::MulDiv(r.bottom - r.top, static_cast<int>(to), static_cast<int>(from))};
    ::SendMessageW(f.Handle(), WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
}

int Scaled(int value, UINT from, UINT to) { return ::MulDiv(value, static_cast<int>(to), static_cast<int>(from)); }

int OthersWidth(const vtx::TListView& list, int except) {
    int sum = 0;
    for (int i = 0; i < list.ColumnCount(); ++i)
        if (i != except) sum += list.ColumnWidth(i);
    return sum;
}

// Each step scales what the window sized at the old dpi by new/old.
void ExpectScaled(vtx::TfrmMain& f, const Layout& before, UINT from, UINT to) {
    Layout now = LayoutOf(f);
    for (size_t i = 0; i < before.Processes.size(); ++i) {
        if (i == 4) continue;  // the fill column
        EXPECT_NEAR(now.Processes[i], Scaled(before.Processes[i], from, to), 1) << "process column " << i;
    }
    for (size_t i = 0; i < before.Modules.size(); ++i) {
        if (i == 4) continue;
        EXPECT_NEAR(now.Modules[i], Scaled(before.Modules[i], from, to), 1) << "module column " << i;
    }
    EXPECT_EQ(now.Processes[5], 0) << "a hidden column stays hidden";
    EXPECT_EQ(f.lsvModules->ColumnWidth(4), f.lsvModules->ClientWidth() - OthersWidth(*f.lsvModules, 4));
    EXPECT_NEAR(now.ModulesHeight, Scaled(before.ModulesHeight, from, to), 1);
    for (int panel : {3, 4}) EXPECT_NEAR(now.Panels[panel], Scaled(before.Panels[panel], from, to), 1) << panel;
    // The text panels are measured anew with the new font.
    auto& bar = *f.stbStatus;
    for (int panel : {0, 1, 2})
        EXPECT_EQ(now.Panels[static_cast<size_t>(panel)], bar.TextWidth(bar.PanelText(panel)) + Scaled(10, 96, to))
            << panel;
}

TEST_F(AppFixture, AMoveToAnotherScaleRescalesColumnsHeightsAndPanels) {
    auto& main = Start();
    auto& f = Form();
    ASSERT_EQ(f.Dpi(), 96u) << "the test starts at 100%";
    const Layout at96 = LayoutOf(f);
    const int textPanel = f.stbStatus->PanelWidth(0);

    SendDpiChange(f, 96, 144);
    EXPECT_EQ(f.Dpi(), 144u);
    ExpectScaled(f, at96, 96, 144);
    EXPECT_GT(f.stbStatus->PanelWidth(0), textPanel);
    EXPECT_EQ(main.RefreshListTimer, 1) << "no refresh for the new widths";
    // The limits scale too: the icon column of the module list, the maxima.
    f.lsvProcesses->SetColumnWidth(1, 2000);
    EXPECT_EQ(f.lsvProcesses->ColumnWidth(1), 450);
    f.lsvProcesses->SetColumnWidth(1, Scaled(235, 96, 144));
    f.lsvModules->SetColumnWidth(0, 0);
    EXPECT_EQ(f.lsvModules->ColumnWidth(0), 30);

    // A refresh at the new scale shortens every path to fit its column.
    main.RefreshProcessList(nullptr);
    const Layout at144 = LayoutOf(f);
    EXPECT_NEAR(at144.Processes[1], 353, 1) << "the refresh keeps the scaled widths";
    auto& list = *f.lsvProcesses;
    ASSERT_GT(list.ItemCount(), 0);
    vtx::TTextMeasurer measure(f.Handle(), f.DesignFont());
    for (int i = 0; i < list.ItemCount(); ++i) {
        const std::wstring path = Shown(i, vtx::TProcessColumn::Path);
        if (path == vtx::FileNamePart(path)) continue;  // the bare name shows even when too wide
        EXPECT_LE(measure.Width(path), list.ColumnWidth(4)) << path;
    }

    // And back: the designed sizes again, within rounding.
    SendDpiChange(f, 144, 96);
    EXPECT_EQ(f.Dpi(), 96u);
    ExpectScaled(f, at144, 144, 96);
    main.RefreshProcessList(nullptr);
    Layout back = LayoutOf(f);
    for (int i : {0, 1, 2, 3, 5, 6}) EXPECT_NEAR(back.Processes[static_cast<size_t>(i)], at96.Processes[static_cast<size_t>(i)], 1) << i;
    EXPECT_NEAR(back.ModulesHeight, at96.ModulesHeight, 1);
    f.lsvProcesses->SetColumnWidth(1, 2000);
    EXPECT_EQ(f.lsvProcesses->ColumnWidth(1), 300);

    // A column hidden at one scale comes back at the other in proportion.
    main.UpdateItemsMenu(f.mniItems);
    main.ToggleProcessItem(f.ItemEntry(2));
    SendDpiChange(f, 96, 144);
    main.UpdateItemsMenu(f.mniItems);
    main.ToggleProcessItem(f.ItemEntry(2));
    EXPECT_NEAR(list.ColumnWidth(2), Scaled(125, 96, 144), 1);
    SendDpiChange(f, 144, 96);
}


// Each row of the list shows its file's icon made at the list's size, from an
// icon list of that size that the list view measures its rows by.
void ExpectIconsAt(vtx::TListView& list, vtx::TListModel& rows, vtx::TImageList& images, int size) {
    SCOPED_TRACE(list.Name);
    EXPECT_EQ(images.IconSize(), size);
    int cx = 0, cy = 0;
    ASSERT_TRUE(::ImageList_GetIconSize(images.Handle(), &cx, &cy));
    EXPECT_EQ(cx, size);
    EXPECT_EQ(cy, size);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(::SendMessageW(list.Handle(), LVM_GETIMAGELIST, LVSIL_SMALL, 0)),
              images.Handle());
    ASSERT_GT(list.ItemCount(), 0);
    for (int row = 0; row < rows.Count(); ++row) rows.Image(row);  // as drawing every row asks
    const int count = images.Count();
    EXPECT_GT(count, 0) << "the rows' images were not set again";
    for (int row = 0; row < list.ItemCount(); ++row) {
        const vtx::TFileInfoItem& info = rows.Item(row);
        HICON icon = info.IconAt(size);
        if (!icon) continue;
        LVITEMW shown{};
        shown.mask = LVIF_IMAGE;
        shown.iItem = row;
        ::SendMessageW(list.Handle(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&shown));
        EXPECT_LT(shown.iImage, count) << info.Filename();
        EXPECT_EQ(shown.iImage, images.IndexOf(icon)) << info.Filename();
    }
    EXPECT_EQ(images.Count(), count) << "a row showed an icon of another size";
    RECT bounds{LVIR_BOUNDS};
    ASSERT_TRUE(::SendMessageW(list.Handle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&bounds)));
    EXPECT_GE(bounds.bottom - bounds.top, size) << "rows measured for the old icon size";
}

TEST_F(AppFixture, AMoveToAnotherScaleMakesTheIconListsAnewAtItsSize) {
    ChildProcess helper(HelperPath(), L"sleep 60000", false);
    auto& main = Start();
    auto& f = Form();
    ASSERT_EQ(f.Dpi(), 96u);
    const int row = RowOfProcess(helper.Id());
    ASSERT_GE(row, 0);
    f.lsvProcesses->SelectItem(row);
    main.ShowProcessModules(nullptr);
    ExpectIconsAt(*f.lsvProcesses, main.Processes, *f.ProcessIconList, 16);
    ExpectIconsAt(*f.lsvModules, main.Modules, *f.ModulleIconList, 16);

    const struct { UINT From, To; int Size; } moves[] = {{96, 120, 20}, {120, 144, 24}, {144, 96, 16}};
    for (const auto& move : moves) {
        SCOPED_TRACE(move.To);
        SendDpiChange(f, move.From, move.To);
        ExpectIconsAt(*f.lsvProcesses, main.Processes, *f.ProcessIconList, move.Size);
        ExpectIconsAt(*f.lsvModules, main.Modules, *f.ModulleIconList, move.Size);
        // The helper's own icon, made at that size from its file.
        const vtx::TFileInfoItem& item = main.Processes.Item(row);
        EXPECT_EQ(IconWidth(item.IconAt(move.Size)), move.Size);
        EXPECT_GE(main.Processes.Image(row), 0);
    }
}

// The path column leaves room for the vertical scroll bar as wide as it is
// drawn at the list's dpi, not at the system's.
TEST_F(AppFixture, ThePathColumnLeavesTheScrollBarOfTheListsDpi) {
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    const auto forDpi = reinterpret_cast<GetSystemMetricsForDpiFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    ASSERT_NE(forDpi, nullptr);
    auto& main = Start();
    auto& f = Form();
    auto& list = *f.lsvProcesses;
    for (UINT dpi : {144u, 120u, 96u}) {
        SCOPED_TRACE(dpi);
        if (f.Dpi() != dpi) SendDpiChange(f, f.Dpi(), dpi);
        main.RefreshProcessList(nullptr);
        const int scrollBar = forDpi(SM_CXVSCROLL, dpi);
        if (dpi != 96) {
            ASSERT_NE(scrollBar, ::GetSystemMetrics(SM_CXVSCROLL)) << "no difference to see";
        }
        EXPECT_EQ(list.ColumnWidth(4), list.ClientWidth() - OthersWidth(list, 4) - scrollBar);
    }
}

} // namespace
