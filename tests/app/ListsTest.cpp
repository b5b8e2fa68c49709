#include "app/AppFixture.h"
#include "app/ListLogic.h"
#include "fileinfo/KbxFileInfoClasses.h"
#include "helpers/TestSupport.h"
#include "system/SessionInfo.h"
#include <optional>
#include "base/ScopedOverride.h"

using namespace vtest;

namespace {

std::wstring FullPathOf(const std::wstring& path) {
    wchar_t full[MAX_PATH];
    ::GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return full;
}

} // namespace

TEST_F(AppFixture, TheProcessListShowsChildrenWithTheirIdsAndVersionTexts) {
    std::wstring dir = ScratchDirectory(L"lists");
    std::wstring copy = CopyFileTo(HelperPath(), dir, L"vtcopy.exe");
    ChildProcess first(HelperPath(), L"sleep 60000");
    ChildProcess second(HelperPath(), L"sleep 60000");
    ChildProcess other(copy, L"sleep 60000");
    auto& main = Start();
    auto& list = *Form().lsvProcesses;
    // Widen the path column so full paths show unshortened.
    main.CRegistry().ProcessItems[1].Width = 60;
    main.CRegistry().ProcessItems[2].Width = 60;
    main.CRegistry().ProcessItems[3].Width = 60;
    list.SetColumnWidth(1, 60);
    list.SetColumnWidth(2, 60);
    list.SetColumnWidth(3, 60);
    main.RefreshProcessList(nullptr);

    int copyRow = RowOfProcess(other.Id());
    ASSERT_GE(copyRow, 0);
    using vtx::TProcessColumn;
    EXPECT_EQ(Cell(copyRow, TProcessColumn::Product), L"VtHelper");
    EXPECT_EQ(Cell(copyRow, TProcessColumn::Company), L"Quelmar Test Lab");
    EXPECT_EQ(Cell(copyRow, TProcessColumn::Description), L"Vantrel test helper");
    EXPECT_EQ(Cell(copyRow, TProcessColumn::Version), L"1.2.3.4");
    EXPECT_EQ(Cell(copyRow, TProcessColumn::Id), vtx::ProcessIdText(static_cast<std::int32_t>(other.Id())));
    const std::wstring shownPath = Shown(copyRow, TProcessColumn::Path);
    EXPECT_EQ(::lstrcmpiW(shownPath.c_str(), FullPathOf(copy).c_str()), 0) << shownPath.c_str();

    // Two processes of one file: each row shows and carries its own ID.
    for (const ChildProcess* child : {&first, &second}) {
        const int row = RowOfProcess(child->Id());
        ASSERT_GE(row, 0);
        EXPECT_EQ(::lstrcmpiW(Shown(row, TProcessColumn::Path).c_str(), FullPathOf(HelperPath()).c_str()), 0);
        EXPECT_EQ(Cell(row, TProcessColumn::Id), vtx::ProcessIdText(static_cast<std::int32_t>(child->Id())));
        EXPECT_EQ(main.Processes.Row(row).ProcessId, child->Id()) << "the row's process";
    }
    EXPECT_NE(RowOfProcess(first.Id()), RowOfProcess(second.Id()));
}

TEST_F(AppFixture, AClickFillsTheModuleListAndTheRefreshLeavesIt) {
    ChildProcess child(HelperPath(), L"sleep 60000");
    auto& main = Start();
    auto& modules = *Form().lsvModules;
    int row = RowOfProcess(child.Id());
    ASSERT_GE(row, 0);
    Form().lsvProcesses->SelectItem(row);
    EXPECT_EQ(modules.ItemCount(), 0);  // selecting is not a click
    main.ShowProcessModules(nullptr);
    ASSERT_GT(modules.ItemCount(), 2);
    bool exe = false, versionDll = false;
    for (int i = 0; i < modules.ItemCount(); ++i) {
        using vtx::TProcessColumn;
        EXPECT_EQ(ModuleCell(i, TProcessColumn::Id), L"") << "the module list has no ID column";
        if (ModuleCell(i, TProcessColumn::Product) == L"VtHelper") exe = true;
        const std::wstring path = ModuleCell(i, TProcessColumn::Path);
        if (vtx::FileNamePart(path) == L"version.dll") {
            versionDll = true;
            // A new module file's item carries the ID of no process.
            const vtx::TFileInfoItem* item = vtx::FileInfoCache().Find(path);
            if (item) {
                EXPECT_EQ(item->ID(), L"FFFFFFFF");
            }
        }
    }
    EXPECT_TRUE(exe);
    EXPECT_TRUE(versionDll);
    int shown = modules.ItemCount();
    main.RefreshProcessList(nullptr);
    EXPECT_EQ(modules.ItemCount(), shown);
    // No focused row: nothing to list.
    Form().lsvProcesses->Clear();
    EXPECT_EQ(main.SelectedProcessId(), -1);
    main.ShowProcessModules(nullptr);
    EXPECT_EQ(modules.ItemCount(), 0);
}

// The test program carries no version texts: its rows show its file name.
TEST_F(AppFixture, AFileWithoutAProductNameShowsItsFileNameInBothLists) {
    auto& main = Start();
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring name = vtx::FileNamePart(self);
    int row = RowOfProcess(::GetCurrentProcessId());
    ASSERT_GE(row, 0);
    using vtx::TProcessColumn;
    EXPECT_EQ(Cell(row, TProcessColumn::Product), name);
    for (TProcessColumn empty : {TProcessColumn::Company, TProcessColumn::Description, TProcessColumn::Version})
        EXPECT_EQ(Cell(row, empty), L"") << vtx::ColumnIndex(empty);

    Form().lsvProcesses->SelectItem(row);
    main.ShowProcessModules(nullptr);
    auto& modules = *Form().lsvModules;
    int exeRows = 0;
    for (int i = 0; i < modules.ItemCount(); ++i) {
        const std::wstring product = ModuleCell(i, TProcessColumn::Product);
        EXPECT_FALSE(product.empty()) << ModuleCell(i, TProcessColumn::Path);
        if (product == name) {
            ++exeRows;
            EXPECT_EQ(ModuleCell(i, TProcessColumn::Company), L"");
            EXPECT_EQ(ModuleCell(i, TProcessColumn::Version), L"");
        }
    }
    EXPECT_EQ(exeRows, 1);
}

TEST_F(AppFixture, TheSelectionSurvivesARefreshClampedToTheLastRow) {
    std::vector<ChildProcess> children;
    for (int i = 0; i < 3; ++i) children.emplace_back(HelperPath(), L"sleep 60000");
    auto& main = Start();
    auto& list = *Form().lsvProcesses;
    EXPECT_EQ(list.SelectedIndex(), -1);
    main.RefreshProcessList(nullptr);
    EXPECT_EQ(list.SelectedIndex(), -1);
    int last = list.ItemCount() - 1;
    list.SelectItem(last);
    children.clear();  // three rows fewer after the next refresh
    main.RefreshProcessList(nullptr);
    ASSERT_LT(list.ItemCount() - 1, last);
    EXPECT_EQ(list.SelectedIndex(), list.ItemCount() - 1);
    EXPECT_EQ(list.ItemFocused(), list.ItemCount() - 1);
}

TEST_F(AppFixture, ColumnsAreHiddenShownAndCopiedToTheModuleList) {
    auto& main = Start();
    auto& f = Form();
    main.UpdateItemsMenu(f.mniItems);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(f.ItemEntry(i)->Checked(), i < 5);
    main.ToggleProcessItem(f.ItemEntry(2));  // hide Company
    EXPECT_EQ(f.lsvProcesses->ColumnWidth(2), 0);
    EXPECT_EQ(f.lsvModules->ColumnWidth(2), 0);
    main.UpdateItemsMenu(f.mniItems);
    EXPECT_FALSE(f.ItemEntry(2)->Checked());
    main.ToggleProcessItem(f.ItemEntry(2));  // and back
    EXPECT_EQ(f.lsvProcesses->ColumnWidth(2), f.Scale(125));
    EXPECT_EQ(f.lsvModules->ColumnWidth(2), f.Scale(125));

    main.UpdateItemsMenu(f.mniItems);
    main.ToggleProcessItem(f.ItemEntry(0));  // hide the icons
    EXPECT_EQ(f.lsvProcesses->ColumnWidth(0), 0);
    EXPECT_EQ(f.lsvModules->ColumnWidth(0), f.Scale(20));

    main.UpdateItemsMenu(f.mniItems);
    main.ToggleProcessItem(f.ItemEntry(4));  // hide the path: file names alone
    EXPECT_EQ(f.lsvProcesses->ColumnWidth(4), 0);
    for (int i = 0; i < f.lsvProcesses->ItemCount(); ++i) {
        const std::wstring path = Shown(i, vtx::TProcessColumn::Path);
        EXPECT_EQ(path, vtx::FileNamePart(path));
    }
    main.UpdateItemsMenu(f.mniItems);
    main.ToggleProcessItem(f.ItemEntry(4));
    int sum = 0;
    for (int i : {1, 2, 3, 5, 6}) sum += f.lsvProcesses->ColumnWidth(i);
    EXPECT_EQ(f.lsvProcesses->ColumnWidth(4),
              std::min(f.Scale(500), f.lsvProcesses->ClientWidth() - sum - ::GetSystemMetrics(SM_CXVSCROLL)));
}

TEST_F(AppFixture, TheTimerCountsDownAndAResizeRefreshesOnceAtTheNextTick) {
    auto& main = Start();
    auto& f = Form();
    EXPECT_EQ(main.RefreshListTimer, 600);
    EXPECT_TRUE(main.UpdateTimer->Enabled());
    main.UpdateTimerTimer(nullptr);
    EXPECT_EQ(main.RefreshListTimer, 599);
    EXPECT_EQ(f.stbStatus->PanelText(3), L"Process count: " + std::to_wstring(f.lsvProcesses->ItemCount()));
    EXPECT_EQ(f.stbStatus->PanelText(2).rfind(L"Memory used: ", 0), 0u);
    EXPECT_EQ(f.stbStatus->PanelText(2).back(), L'%');
    EXPECT_EQ(f.stbStatus->PanelWidth(2), f.stbStatus->TextWidth(f.stbStatus->PanelText(2)) + 10);
    EXPECT_EQ(f.stbStatus->PanelText(4).rfind(L"Uptime: ", 0), 0u);

    int pathBefore = f.lsvProcesses->ColumnWidth(4);
    for (int w = 0; w < 5; ++w) f.SetWidth(f.Width() - 20);  // a drag: many size changes
    EXPECT_EQ(main.RefreshListTimer, 1);
    main.Processes.Row(0).FileName = L"stale";
    main.UpdateTimerTimer(nullptr);  // the refresh
    EXPECT_EQ(main.RefreshListTimer, 600);
    EXPECT_NE(main.Processes.Row(0).FileName, L"stale");
    EXPECT_EQ(f.lsvProcesses->ColumnWidth(4), pathBefore - 100);

    main.RefreshListTimer = 2;
    main.UpdateTimerTimer(nullptr);
    EXPECT_EQ(main.RefreshListTimer, 1);
    main.UpdateTimerTimer(nullptr);
    EXPECT_EQ(main.RefreshListTimer, 600);
}

TEST_F(AppFixture, AMemoryQueryThatKeepsFailingIsReportedOnce) {
    auto& main = Start();
    std::optional<vtx::TScopedOverride<std::function<BOOL(MEMORYSTATUSEX*)>>> failing;
    failing.emplace(vtx::MemoryStatusSeam(), [](MEMORYSTATUSEX*) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    });
    int before = main.RefreshListTimer;
    for (int i = 0; i < 3; ++i) main.UpdateTimer->Tick();
    EXPECT_EQ(main.RefreshListTimer, before);  // the failing ticks stop before the countdown
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text.rfind(L"System Error.  Code: 5.\r\n", 0), 0u);
    failing.reset();
    main.UpdateTimer->Tick();
    failing.emplace(vtx::MemoryStatusSeam(), [](MEMORYSTATUSEX*) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    });
    main.UpdateTimer->Tick();
    main.UpdateTimer->Tick();
    EXPECT_EQ(Boxes.size(), 2u);
}

// The image lists keep one image per file across fills: a refresh or a second
// module fill adds no image for a file already shown, and every row's image is one of them.
TEST_F(AppFixture, FillsAddImagesOnlyForFilesNotShownBefore) {
    // Notepad's file carries an icon; two processes of it show one image.
    ChildProcess first(SystemFile(L"notepad.exe"), L"");
    ChildProcess second(SystemFile(L"notepad.exe"), L"");
    auto& main = Start();
    auto& f = Form();
    main.Processes.ReadAll();  // every row's file read, not only those drawn
    const int images = f.ProcessIconList->Count();
    ASSERT_GT(images, 0);
    main.RefreshProcessList(nullptr);
    main.Processes.ReadAll();
    main.RefreshProcessList(nullptr);
    main.Processes.ReadAll();
    EXPECT_EQ(f.ProcessIconList->Count(), images);
    auto& list = *f.lsvProcesses;
    const int firstRow = RowOfProcess(first.Id());
    ASSERT_GE(firstRow, 0);
    const int notepadImage = main.Processes.Image(firstRow);
    EXPECT_GE(notepadImage, 0);
    int notepadRows = 0;
    for (int i = 0; i < list.ItemCount(); ++i) {
        EXPECT_LT(main.Processes.Image(i), images) << i;
        if (main.Processes.Row(i).FileName != main.Processes.Row(firstRow).FileName) continue;
        ++notepadRows;
        EXPECT_EQ(main.Processes.Image(i), notepadImage) << "rows of one file share its image";
    }
    EXPECT_EQ(notepadRows, 2);

    list.SelectItem(RowOfProcess(first.Id()));
    main.ShowProcessModules(nullptr);
    main.Modules.ReadAll();
    const int moduleImages = f.ModulleIconList->Count();
    ASSERT_GT(moduleImages, 0);
    main.ShowProcessModules(nullptr);
    main.Modules.ReadAll();
    EXPECT_EQ(f.ModulleIconList->Count(), moduleImages);
    for (int i = 0; i < f.lsvModules->ItemCount(); ++i) EXPECT_LT(main.Modules.Image(i), moduleImages);
}

// The rows on screen are read as they are drawn, the rest in idle time.
TEST_F(AppFixture, RowsNotDrawnAreReadInIdleTimeAndTypingFindsARowByItsProcessColumn) {
    std::vector<ChildProcess> children;
    for (int i = 0; i < 40; ++i) children.emplace_back(HelperPath(), L"sleep 60000", false);
    auto& main = Start();
    main.RefreshProcessList(nullptr);
    ASSERT_GT(main.Processes.Count(), 40);
    EXPECT_FALSE(main.Processes.AllRead()) << "a refresh reads no file";
    const DWORD start = ::GetTickCount();
    while (!main.Processes.AllRead() && ::GetTickCount() - start < 20000) Pump(20);
    EXPECT_TRUE(main.Processes.AllRead());
    for (int i = 0; i < main.Processes.Count(); ++i) EXPECT_NE(main.Processes.Row(i).Item, nullptr) << i;

    // Type-ahead: the list asks the model for the row whose Process column begins so.
    auto& list = *Form().lsvProcesses;
    list.SelectItem(0);
    ::SendMessageW(list.Handle(), WM_CHAR, L'v', 1);  // a repeat count of one, as typed
    ::SendMessageW(list.Handle(), WM_CHAR, L't', 1);
    const int found = list.ItemFocused();
    ASSERT_GE(found, 0);
    EXPECT_EQ(Cell(found, vtx::TProcessColumn::Product).substr(0, 2), L"Vt");
}
