#include "app/AppFixture.h"
#include "app/ListLogic.h"
#include "fileinfo/KbxFileInfoClasses.h"
#include "helpers/TestSupport.h"
#include "system/SessionInfo.h"
#include <optional>
#include "toolkit/ScopedOverride.h"

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
    const auto& copySubs = list.Item(copyRow).SubItems;
    EXPECT_EQ(copySubs[0], L"VtHelper");
    EXPECT_EQ(copySubs[1], L"Quelmar Test Lab");
    EXPECT_EQ(copySubs[2], L"Vantrel test helper");
    EXPECT_EQ(copySubs[4], L"1.2.3.4");
    EXPECT_EQ(copySubs.size(), 7u);
    EXPECT_EQ(copySubs[6], L"-");
    EXPECT_EQ(::lstrcmpiW(copySubs[3].c_str(), FullPathOf(copy).c_str()), 0) << copySubs[3].c_str();

    // Two processes of one file: each row shows and carries its own ID.
    for (const ChildProcess* child : {&first, &second}) {
        const int row = RowOfProcess(child->Id());
        ASSERT_GE(row, 0);
        EXPECT_EQ(::lstrcmpiW(list.Item(row).SubItems[3].c_str(), FullPathOf(HelperPath()).c_str()), 0);
        EXPECT_EQ(list.ItemData(row), static_cast<vtx::TItemData>(child->Id())) << "the row's data";
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
        const auto& subs = modules.Item(i).SubItems;
        EXPECT_EQ(subs.size(), 6u);
        EXPECT_EQ(subs[5], L"-");
        if (subs[0] == L"VtHelper") exe = true;
        if (vtx::FileNamePart(subs[3]) == L"version.dll") {
            versionDll = true;
            // A new module file's item carries the ID of no process.
            const vtx::TFileInfoItem* item = vtx::FileInfoCache().Find(subs[3]);
            if (item) EXPECT_EQ(item->ID(), L"FFFFFFFF");
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
    const auto& subs = Form().lsvProcesses->Item(row).SubItems;
    EXPECT_EQ(subs[0], name);
    for (int k : {1, 2, 4}) EXPECT_EQ(subs[static_cast<size_t>(k)], L"") << k;

    Form().lsvProcesses->SelectItem(row);
    main.ShowProcessModules(nullptr);
    auto& modules = *Form().lsvModules;
    int exeRows = 0;
    for (int i = 0; i < modules.ItemCount(); ++i) {
        const auto& m = modules.Item(i).SubItems;
        EXPECT_FALSE(m[0].empty()) << m[3];
        if (m[0] == name) {
            ++exeRows;
            EXPECT_EQ(m[1], L"");
            EXPECT_EQ(m[4], L"");
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
    main.ToggleProcessItem(f.mniItem2);  // hide Company
    EXPECT_EQ(f.lsvProcesses->ColumnWidth(2), 0);
    EXPECT_EQ(f.lsvModules->ColumnWidth(2), 0);
    main.UpdateItemsMenu(f.mniItems);
    EXPECT_FALSE(f.mniItem2->Checked());
    main.ToggleProcessItem(f.mniItem2);  // and back
    EXPECT_EQ(f.lsvProcesses->ColumnWidth(2), f.Scale(125));
    EXPECT_EQ(f.lsvModules->ColumnWidth(2), f.Scale(125));

    main.UpdateItemsMenu(f.mniItems);
    main.ToggleProcessItem(f.mniItem0);  // hide the icons
    EXPECT_EQ(f.lsvProcesses->ColumnWidth(0), 0);
    EXPECT_EQ(f.lsvModules->ColumnWidth(0), f.Scale(20));

    main.UpdateItemsMenu(f.mniItems);
    main.ToggleProcessItem(f.mniItem4);  // hide the path: file names alone
    EXPECT_EQ(f.lsvProcesses->ColumnWidth(4), 0);
    for (int i = 0; i < f.lsvProcesses->ItemCount(); ++i) {
        const auto& path = f.lsvProcesses->Item(i).SubItems[3];
        EXPECT_EQ(path, vtx::FileNamePart(path));
    }
    main.UpdateItemsMenu(f.mniItems);
    main.ToggleProcessItem(f.mniItem4);
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
    f.lsvProcesses->SetSubItem(0, 0, L"stale");
    main.UpdateTimerTimer(nullptr);  // the refresh
    EXPECT_EQ(main.RefreshListTimer, 600);
    EXPECT_NE(f.lsvProcesses->Item(0).SubItems[0], L"stale");
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
    const int images = f.ProcessIconList->Count();
    ASSERT_GT(images, 0);
    main.RefreshProcessList(nullptr);
    main.RefreshProcessList(nullptr);
    EXPECT_EQ(f.ProcessIconList->Count(), images);
    auto& list = *f.lsvProcesses;
    const int firstRow = RowOfProcess(first.Id());
    ASSERT_GE(firstRow, 0);
    const int notepadImage = list.Item(firstRow).ImageIndex;
    EXPECT_GE(notepadImage, 0);
    int notepadRows = 0;
    for (int i = 0; i < list.ItemCount(); ++i) {
        EXPECT_LT(list.Item(i).ImageIndex, images) << i;
        if (list.Item(i).FileName != list.Item(firstRow).FileName) continue;
        ++notepadRows;
        EXPECT_EQ(list.Item(i).ImageIndex, notepadImage) << "rows of one file share its image";
    }
    EXPECT_EQ(notepadRows, 2);

    list.SelectItem(RowOfProcess(first.Id()));
    main.ShowProcessModules(nullptr);
    const int moduleImages = f.ModulleIconList->Count();
    ASSERT_GT(moduleImages, 0);
    main.ShowProcessModules(nullptr);
    EXPECT_EQ(f.ModulleIconList->Count(), moduleImages);
    for (int i = 0; i < f.lsvModules->ItemCount(); ++i) EXPECT_LT(f.lsvModules->Item(i).ImageIndex, moduleImages);
}
