#include <gtest/gtest.h>
#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Errors.h"
#include "toolkit/Form.h"
#include "toolkit/ListView.h"
#include "toolkit/Splitter.h"
#include <optional>
#include "toolkit/ScopedOverride.h"

namespace {

class ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override {
        vtx::Application().Initialize();
        vtx::Application().SetTitle(L"Toolkit Test");
        Seam.emplace(vtx::MessageBoxSeam(), [this](const vtx::TMessageBoxRequest& r) {
            Boxes.push_back(r);
            return 1;
        });
    }
    void TearDown() override { Seam.reset(); }
    std::optional<vtx::TScopedOverride<vtx::TMessageBoxSeam>> Seam;
    std::vector<vtx::TMessageBoxRequest> Boxes;
};

} // namespace

TEST_F(ToolkitTest, AnErrorEscapingAHandlerIsShownWithTheTitleAndTheRunGoesOn) {
    vtx::TNotifyEvent failing = [](vtx::TComponent*) { throw vtx::EVtxError(L"Access denied"); };
    vtx::FireEvent(failing, nullptr);
    vtx::FireEvent([](vtx::TComponent*) { throw vtx::EVtxError(L"Stopped (code 5)"); }, nullptr);
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[0].Text, L"Access denied.");
    EXPECT_EQ(Boxes[0].Caption, L"Toolkit Test");
    EXPECT_EQ(Boxes[0].Type, vtx::TMsgDlgType::mtError);
    EXPECT_EQ(Boxes[0].Buttons, vtx::TMsgDlgButtons::mbOK);
    EXPECT_EQ(Boxes[1].Text, L"Stopped (code 5)");
}

TEST_F(ToolkitTest, ListColumnsObeyTheirLimitsAndTheFillColumnTakesTheRest) {
    vtx::TForm form(L"VtxTestForm", vtx::TBorderStyle::bsSizeable, 0, 0, 800, 400);
    vtx::TListView list(&form, L"list", true);
    list.SetAlign(vtx::TAlign::alClient);
    list.AddColumn(L"", 20, 20, 20, false);
    list.AddColumn(L"Name", 235, 300, 0, false);
    list.AddColumn(L"Path", 50, 500, 0, true);
    list.AddColumn(L"ID", 65, 0, 0, false);
    form.Show();
    list.SetColumnWidth(1, 400);
    EXPECT_EQ(list.ColumnWidth(1), list.Scale(300));
    list.SetColumnWidth(0, 0);
    EXPECT_EQ(list.ColumnWidth(0), list.Scale(20));
    list.SetColumnWidth(3, 2000);
    EXPECT_EQ(list.ColumnWidth(3), 2000);
    list.SetColumnWidth(3, 65);
    form.SetWidth(form.Width() - 100);
    int others = list.ColumnWidth(0) + list.ColumnWidth(1) + list.ColumnWidth(3);
    EXPECT_EQ(list.ColumnWidth(2), std::min(list.ClientWidth() - others, list.Scale(500)));
    // Narrower than the other columns: the control shows no path column.
    form.SetWidth(200);
    EXPECT_EQ(list.ColumnWidth(2), 0);
}

TEST_F(ToolkitTest, RowsKeepSubItemsBeyondTheLastColumnAndSelectionIsNotAClick) {
    vtx::TForm form(L"VtxTestForm", vtx::TBorderStyle::bsSizeable, 0, 0, 400, 300);
    vtx::TListView list(&form, L"list", true);
    list.AddColumn(L"", 20, 20, 0, false);
    list.AddColumn(L"A", 100, 0, 0, false);
    int clicks = 0;
    list.OnClick = [&clicks](vtx::TComponent*) { ++clicks; };
    for (int i = 0; i < 3; ++i) list.SetSubItems(list.AddItem(), {L"a" + std::to_wstring(i), L"hidden"});
    EXPECT_EQ(list.Item(2).SubItems[1], L"hidden");
    wchar_t text[32] = {};
    LVITEMW item{};
    item.iSubItem = 1;
    item.pszText = text;
    item.cchTextMax = 32;
    ::SendMessageW(list.Handle(), LVM_GETITEMTEXTW, 2, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, L"a2");
    EXPECT_EQ(list.ItemFocused(), -1);
    list.SelectItem(1);
    EXPECT_EQ(list.SelectedIndex(), 1);
    EXPECT_EQ(list.ItemFocused(), 1);
    EXPECT_EQ(clicks, 0);
}

TEST(SplitterTargetHeight, KeepsThirtyPixelsEachSideAndCollapsesBelow) {
    EXPECT_EQ(vtx::SplitterTargetHeight(147, 500, 30), 147);
    EXPECT_EQ(vtx::SplitterTargetHeight(31, 500, 30), 31);
    EXPECT_EQ(vtx::SplitterTargetHeight(30, 500, 30), 0);
    EXPECT_EQ(vtx::SplitterTargetHeight(-10, 500, 30), 0);
    EXPECT_EQ(vtx::SplitterTargetHeight(490, 500, 30), 470);
}

TEST_F(ToolkitTest, DraggingTheSplitterResizesTheListBelowWithinItsLimits) {
    vtx::TForm form(L"VtxTestForm", vtx::TBorderStyle::bsSizeable, 0, 0, 600, 500);
    vtx::TListView below(&form, L"below", false);
    below.SetHeight(below.Scale(147));
    below.SetAlign(vtx::TAlign::alBottom);
    vtx::TSplitter splitter(&form, L"splitter", 3);
    splitter.SetAlign(vtx::TAlign::alBottom);
    vtx::TListView above(&form, L"above", true);
    above.SetAlign(vtx::TAlign::alClient);
    splitter.Resized = &below;
    splitter.Above = &above;
    form.Show();
    int bottom = below.BoundsRect().bottom;
    EXPECT_EQ(splitter.Top() + splitter.Height(), below.Top());

    splitter.DragTo(bottom - 200 - splitter.Height());
    EXPECT_EQ(below.Height(), 200);
    EXPECT_EQ(splitter.Top() + splitter.Height(), below.Top());  // the layout follows
    splitter.DragTo(bottom - 30 - splitter.Height());            // 30 pixels or less: collapsed
    EXPECT_EQ(below.Height(), 0);
    splitter.DragTo(-100);  // leaves at least 30 pixels to the list above
    EXPECT_EQ(below.Height(), bottom - splitter.Height() - above.Top() - splitter.Scale(30));
    EXPECT_GE(above.Height(), splitter.Scale(30));
}
