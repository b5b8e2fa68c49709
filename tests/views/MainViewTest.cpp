// The main window's lifetime: its window and child windows go before its
// components, whatever order those are declared in.
#include <gtest/gtest.h>
#include <memory>
#include <vector>
#include "views/ViewMain.h"
#include "views/ViewsTestSupport.h"

namespace {

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> children;
    ::EnumChildWindows(
        parent,
        [](HWND child, LPARAM list) noexcept -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

} // namespace

TEST(MainView, FreeingTheMainWindowLeavesNoWindowMenuOrMapEntryBehind) {
    vtest::MainForm();
    auto form = std::make_unique<vtx::TfrmMain>();
    form->Show();
    form->lsvProcesses->Source.CellText = [](int, int) { return std::wstring(L"row"); };
    form->lsvProcesses->SetItemCount(1);
    HWND formWnd = form->Handle();
    HMENU menu = ::GetMenu(formWnd);
    ASSERT_NE(menu, nullptr);
    std::vector<HWND> windows = ChildWindows(formWnd);
    windows.push_back(formWnd);
    // The lists, their headers, the splitter and the status bar.
    ASSERT_GE(windows.size(), 6u);
    EXPECT_NE(vtx::TControl::FromHandle(form->lsvModules->Handle()), nullptr);

    form.reset();
    for (HWND wnd : windows) {
        EXPECT_FALSE(::IsWindow(wnd));
        EXPECT_EQ(vtx::TControl::FromHandle(wnd), nullptr);
    }
    EXPECT_FALSE(::IsMenu(menu));
}

TEST(MainView, ControlsOfADestroyedMainWindowHoldNullHandles) {
    vtest::MainForm();
    vtx::TfrmMain form;
    form.SetMenu(nullptr);
    ASSERT_TRUE(::DestroyWindow(form.Handle()));
    EXPECT_EQ(form.Handle(), nullptr);
    EXPECT_EQ(form.lsvProcesses->Handle(), nullptr);
    EXPECT_EQ(form.lsvModules->Handle(), nullptr);
    EXPECT_EQ(form.Splitter1->Handle(), nullptr);
    EXPECT_EQ(form.stbStatus->Handle(), nullptr);
    // The image lists are the form's own, not the windows'.
    EXPECT_NE(form.ProcessIconList->Handle(), nullptr);
    EXPECT_EQ(form.lsvProcesses->ColumnCount(), 7);
}
