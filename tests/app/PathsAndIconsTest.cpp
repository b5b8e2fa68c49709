// What the rows show for files in folders deeper than MAX_PATH, and what the
// module rows' icons cost.
#include <cstring>
#include <set>
#include "app/AppFixture.h"
#include "app/ListLogic.h"
#include "app/ListRows.h"
#include "fileinfo/FileInfoText.h"
#include "fileinfo/KbxFileInfoClasses.h"
#include "helpers/TestSupport.h"
#include "system/VtxSysInfo.h"
#include "base/ScopedOverride.h"

using namespace vtest;

namespace {

std::wstring LowerCase(std::wstring text) {
    for (auto& c : text) c = static_cast<wchar_t>(::towlower(c));
    return text;
}

int RowOfFile(vtx::TListModel& rows, const std::wstring& fileName) {
    for (int i = 0; i < rows.Count(); ++i)
        if (::lstrcmpiW(rows.Text(i, vtx::TProcessColumn::Path).c_str(), fileName.c_str()) == 0) return i;
    return -1;
}

// Fills the module list of a process once its module count has reached atLeast.
void ShowModulesOf(vtx::TCMain& main, vtx::TfrmMain& f, int row, int atLeast) {
    f.lsvProcesses->SelectItem(row);
    const DWORD start = ::GetTickCount();
    do {
        main.ShowProcessModules(nullptr);
        main.Modules.ReadAll();  // as drawing every row would
        if (f.lsvModules->ItemCount() >= atLeast) return;
        ::Sleep(50);
    } while (::GetTickCount() - start < 10000);
}

struct DeepFolder : AppFixture {
    void SetUp() override {
        AppFixture::SetUp();
        Dir = DeepScratchDirectory(L"appdeep");
        Image = CopyFileToDeep(HelperPath(), Dir, L"vthelper.exe");
        Library = CopyFileToDeep(Fixture(L"fixture_versions.dll"), Dir, L"fixture_versions.dll");
        ASSERT_GT(Image.size(), static_cast<size_t>(MAX_PATH));
    }
    void TearDown() override {
        AppFixture::TearDown();
        RemoveTree(ScratchDirectory(L"appdeep"));
    }
    std::wstring Dir, Image, Library;
};

} // namespace

// Wine starts no program from a folder that deep, so the system's image query
// answers that path for a running helper, with the system's contract.
TEST_F(DeepFolder, AProcessRowShowsTheWholePathTextsAndIcon) {
    ChildProcess child(HelperPath(), L"sleep 60000", false);
    vtx::TScopedOverride seam(vtx::ImageNameSeam(), [&](HANDLE process, wchar_t* buffer, DWORD* size) -> BOOL {
        if (::GetProcessId(process) != child.Id()) return ::QueryFullProcessImageNameW(process, 0, buffer, size);
        if (*size <= Image.size()) {
            ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        std::memcpy(buffer, Image.c_str(), (Image.size() + 1) * sizeof(wchar_t));
        *size = static_cast<DWORD>(Image.size());
        return TRUE;
    });
    auto& main = Start();
    auto& f = Form();
    auto& list = *f.lsvProcesses;
    const int row = RowOfProcess(child.Id());
    ASSERT_GE(row, 0);
    using vtx::TProcessColumn;
    EXPECT_EQ(Cell(row, TProcessColumn::Path), Image);
    EXPECT_EQ(Cell(row, TProcessColumn::Product), L"VtHelper");
    EXPECT_EQ(Cell(row, TProcessColumn::Company), L"Quelmar Test Lab");
    EXPECT_EQ(Cell(row, TProcessColumn::Description), L"Vantrel test helper");
    vtx::TTextMeasurer measurer(f.Handle(), f.DesignFont());
    const vtx::TTextMeasure measure = [&](const std::wstring& text) { return measurer.Width(text); };
    const std::wstring shown = Shown(row, TProcessColumn::Path);
    EXPECT_EQ(shown, vtx::FitPathToWidth(Image, measure, list.ColumnWidth(4)));
    EXPECT_NE(shown.find(L"\\vthelper.exe"), std::wstring::npos);
    ASSERT_GE(main.Processes.Image(row), 0) << "no icon";
    const vtx::TFileInfoItem* info = vtx::FileInfoCache().Find(Image);
    ASSERT_NE(info, nullptr);
    EXPECT_NE(info->Icon(), nullptr);
    EXPECT_EQ(main.Processes.Image(row), f.ProcessIconList->IndexOf(info->IconAt(f.ProcessIconList->IconSize())));
    // Copied rows give the whole path.
    list.SelectItem(row);
    EXPECT_NE(main.Processes.TableText(vtx::ShownColumns(list, main.CRegistry().ProcessItems, false), row).find(Image),
              std::wstring::npos);
}

// Libraries load from a folder that deep under Wine: the module row is real.
TEST_F(DeepFolder, AModuleRowShowsTheWholePathTextsAndIcon) {
    ChildProcess child(HelperPath(), L"load \"" + Library + L"\"", false);
    auto& main = Start();
    auto& f = Form();
    const int row = RowOfProcess(child.Id());
    ASSERT_GE(row, 0);
    f.lsvProcesses->SelectItem(row);
    int moduleRow = -1;
    for (const DWORD start = ::GetTickCount(); child.Running() && ::GetTickCount() - start < 10000; ::Sleep(50)) {
        main.ShowProcessModules(nullptr);
        if ((moduleRow = RowOfFile(main.Modules, Library)) >= 0) break;
    }
    ASSERT_GE(moduleRow, 0) << "the helper did not list the library";
    using vtx::TProcessColumn;
    EXPECT_EQ(ModuleCell(moduleRow, TProcessColumn::Product), L"Spaced Product");
    EXPECT_EQ(ModuleCell(moduleRow, TProcessColumn::Description), L"Version fixture");
    EXPECT_EQ(ModuleCell(moduleRow, TProcessColumn::Version), L"3.1.4.15");
    EXPECT_GE(main.Modules.Image(moduleRow), 0);
}

// One icon handle per extension for the whole run, however many module files
// the module lists show (Windows allows a process 10,000 user objects).
TEST_F(AppFixture, ModuleFillsHoldOneIconPerExtensionNotPerFile) {
    ChildProcess many(HelperPath(), L"modules 150", false);
    ChildProcess other(HelperPath(), L"modules 60", false);
    auto& main = Start();
    auto& f = Form();
    const size_t before = vtx::FileInfoCache().IconHandleCount();
    const int itemsBefore = vtx::FileInfoCache().Count();
    ShowModulesOf(main, f, RowOfProcess(many.Id()), 100);
    ShowModulesOf(main, f, RowOfProcess(other.Id()), 40);
    ShowModulesOf(main, f, RowOfProcess(many.Id()), 100);
    const int newItems = vtx::FileInfoCache().Count() - itemsBefore;
    ASSERT_GT(newItems, 50) << "too few module files the cache had not seen";

    std::set<std::wstring> extensions;
    std::set<HICON> shared, images;
    auto& modules = *f.lsvModules;
    for (int i = 0; i < modules.ItemCount(); ++i) {
        const vtx::TFileInfoItem* item = vtx::FileInfoCache().Find(main.Modules.Row(i).FileName);
        ASSERT_NE(item, nullptr);
        if (item->Icon()) images.insert(item->Icon());
        // The helper's own file is a process row's item, with the file's icon.
        if (item->IconType() != vtx::TIconType::itExtension) continue;
        extensions.insert(LowerCase(vtx::FileExtensionOf(item->Filename())));
        shared.insert(item->Icon());
    }
    EXPECT_EQ(shared.size(), extensions.size()) << "module rows of one extension share one icon";
    EXPECT_LE(vtx::FileInfoCache().IconHandleCount() - before, extensions.size())
        << "icon handles grew with the files: " << newItems << " new files";
    EXPECT_EQ(f.ModulleIconList->Count(), static_cast<int>(images.size())) << "one image per icon";
}
