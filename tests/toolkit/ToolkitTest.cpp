#include <gtest/gtest.h>
#include <objbase.h>
#include <thread>
#include "toolkit/Application.h"
#include "toolkit/ComApartment.h"
#include "toolkit/Dialogs.h"
#include "base/Errors.h"
#include "toolkit/Form.h"
#include "toolkit/ImageList.h"
#include "toolkit/Label.h"
#include "toolkit/ListView.h"
#include "toolkit/PageControl.h"
#include "toolkit/Panel.h"
#include "toolkit/Splitter.h"
#include <memory>
#include <stdexcept>
#include <optional>
#include <type_traits>
#include "base/ScopedOverride.h"

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

// A handler's error stops at the window it fired in: one box, and the message
// is answered as if the handler had returned.
TEST_F(ToolkitTest, AHandlerThatThrowsInAWindowIsShownOnceAndTheMessageIsAnswered) {
    vtx::TForm form(L"VtxTestForm", vtx::TBorderStyle::bsSizeable, 0, 0, 400, 300);
    vtx::TPanel panel(&form, L"panel");
    vtx::TLabel label(&form, L"label", 4, 4, 60, 13);
    auto failing = [](vtx::TComponent*, int x, int) { throw vtx::EVtxError(L"Moved to " + std::to_wstring(x)); };
    form.OnMouseMove = panel.OnMouseMove = label.OnMouseMove = failing;
    const struct {
        HWND Wnd;
        int X;
    } cases[] = {{form.Handle(), 1}, {panel.Handle(), 2}, {label.Handle(), 3}};
    for (const auto& c : cases) {
        Boxes.clear();
        EXPECT_EQ(::SendMessageW(c.Wnd, WM_MOUSEMOVE, 0, MAKELPARAM(c.X, 5)), 0);
        ASSERT_EQ(Boxes.size(), 1u) << c.X;
        EXPECT_EQ(Boxes[0].Text, L"Moved to " + std::to_wstring(c.X) + L".");
    }
}

namespace {
std::weak_ptr<int> ClickState;
bool StateGoneWhileRunning = false;
} // namespace

TEST_F(ToolkitTest, AHandlerThatClearsItsOwnEventRunsToItsEnd) {
    vtx::TForm form(L"VtxTestForm", vtx::TBorderStyle::bsSizeable, 0, 0, 400, 300);
    vtx::TLabel label(&form, L"label", 4, 4, 60, 13);
    // What the handler holds lives as long as the handler object does: it
    // must outlast the call that clears the event.
    auto state = std::make_shared<int>(0);
    ClickState = state;
    label.OnClick = [state = std::move(state)](vtx::TComponent* sender) {
        static_cast<vtx::TLabel*>(sender)->OnClick = nullptr;
        StateGoneWhileRunning = ClickState.expired();
    };
    ::SendMessageW(label.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ::SendMessageW(label.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_FALSE(label.OnClick);
    EXPECT_FALSE(StateGoneWhileRunning);
    EXPECT_TRUE(ClickState.expired());  // and freed once the call is over
    EXPECT_TRUE(Boxes.empty());
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

TEST_F(ToolkitTest, AnOwnerDataListAsksItsSourceKeepsSelectionAndSelectingIsNotAClick) {
    vtx::TForm form(L"VtxTestForm", vtx::TBorderStyle::bsSizeable, 0, 0, 400, 300);
    vtx::TListView list(&form, L"list", true);
    list.AddColumn(L"", 20, 20, 0, false);
    list.AddColumn(L"A", 100, 0, 0, false);
    int clicks = 0, asked = 0;
    list.OnClick = [&clicks](vtx::TComponent*) { ++clicks; };
    list.Source.CellText = [&asked](int row, int column) {
        ++asked;
        if (row == 1) throw std::runtime_error("unreadable");  // an empty cell, no box
        return column == 1 ? L"a" + std::to_wstring(row) : std::wstring();
    };
    list.SetItemCount(3);
    EXPECT_EQ(list.ItemCount(), 3);
    auto read = [&list](int row) {
        wchar_t text[32] = L"x";
        LVITEMW item{};
        item.iSubItem = 1;
        item.pszText = text;
        item.cchTextMax = 32;
        ::SendMessageW(list.Handle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        return std::wstring(text);
    };
    EXPECT_EQ(read(2), L"a2");
    EXPECT_EQ(read(1), L"");
    EXPECT_GE(asked, 2);
    EXPECT_TRUE(Boxes.empty());
    EXPECT_EQ(list.ItemFocused(), -1);
    list.SelectItem(1);
    EXPECT_EQ(list.SelectedIndex(), 1);
    EXPECT_EQ(list.ItemFocused(), 1);
    EXPECT_EQ(clicks, 0);
    // Deleting a row above moves the selection up with its row.
    list.DeleteItem(0);
    EXPECT_EQ(list.ItemCount(), 2);
    EXPECT_EQ(list.SelectedIndex(), 0);
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

// Handle owners: one owner each, moved and never copied.
static_assert(!std::is_copy_constructible_v<vtx::TWindowHandle> && !std::is_copy_assignable_v<vtx::TWindowHandle>);
static_assert(std::is_nothrow_move_constructible_v<vtx::TWindowHandle> &&
              std::is_nothrow_move_assignable_v<vtx::TWindowHandle>);
static_assert(!std::is_copy_constructible_v<vtx::unique_himagelist> &&
              std::is_nothrow_move_constructible_v<vtx::unique_himagelist>);

TEST_F(ToolkitTest, ControlsFreedAfterTheirContainerHoldNoWindowNoParentAndNoMapEntry) {
    vtx::TForm form(L"VtxTestForm", vtx::TBorderStyle::bsSizeable, 0, 0, 400, 300);
    auto panel = std::make_unique<vtx::TPanel>(&form, L"panel");
    // A subclassed common control and a window of a toolkit class.
    auto list = std::make_unique<vtx::TListView>(panel.get(), L"list", true);
    auto label = std::make_unique<vtx::TLabel>(panel.get(), L"label", 4, 4, 60, 13);
    label->SetCaption(L"label");
    HWND listWnd = list->Handle(), labelWnd = label->Handle(), panelWnd = panel->Handle();
    ASSERT_TRUE(::IsWindow(listWnd) && ::IsWindow(labelWnd));
    EXPECT_EQ(vtx::TControl::FromHandle(listWnd), list.get());
    EXPECT_EQ(list->Parent(), panel.get());

    panel.reset();  // the container (and with its window, theirs) goes first
    EXPECT_FALSE(::IsWindow(panelWnd));
    EXPECT_FALSE(::IsWindow(listWnd));
    EXPECT_FALSE(::IsWindow(labelWnd));
    EXPECT_EQ(list->Handle(), nullptr);
    EXPECT_EQ(label->Handle(), nullptr);
    EXPECT_EQ(list->Parent(), nullptr);
    EXPECT_EQ(label->Parent(), nullptr);
    EXPECT_EQ(vtx::TControl::FromHandle(listWnd), nullptr);
    EXPECT_EQ(vtx::TControl::FromHandle(labelWnd), nullptr);
    EXPECT_EQ(vtx::TControl::FromHandle(panelWnd), nullptr);
    // What is left answers as a control without a window does.
    EXPECT_EQ(list->Width(), 0);
    EXPECT_EQ(label->Text(), L"");
    EXPECT_FALSE(label->Visible());
    list->SetBounds(0, 0, 10, 10);
    label->SetCaption(L"gone");
    list.reset();
    label.reset();
    EXPECT_TRUE(form.Controls().empty());
    EXPECT_TRUE(::IsWindow(form.Handle()));
}

TEST_F(ToolkitTest, AWindowTheSystemDestroysLeavesItsControlWithANullHandle) {
    vtx::TForm form(L"VtxTestForm", vtx::TBorderStyle::bsSizeable, 0, 0, 400, 300);
    vtx::TListView list(&form, L"list", true);
    list.SetAlign(vtx::TAlign::alClient);
    vtx::TLabel label(&form, L"label", 4, 4, 60, 13);
    HWND listWnd = list.Handle(), labelWnd = label.Handle();
    ASSERT_TRUE(::DestroyWindow(listWnd));
    ASSERT_TRUE(::DestroyWindow(labelWnd));
    EXPECT_EQ(list.Handle(), nullptr);
    EXPECT_EQ(label.Handle(), nullptr);
    EXPECT_EQ(vtx::TControl::FromHandle(listWnd), nullptr);
    EXPECT_EQ(vtx::TControl::FromHandle(labelWnd), nullptr);
    // Still the form's children, and the form lays out around them.
    EXPECT_EQ(form.Controls().size(), 2u);
    form.SetWidth(300);
    form.Realign();

    // A whole form destroyed by the system: the form and its children let go.
    vtx::TForm other(L"VtxTestForm", vtx::TBorderStyle::bsDialog, 0, 0, 200, 100);
    auto child = std::make_unique<vtx::TListView>(&other, L"child", false);
    HWND otherWnd = other.Handle(), childWnd = child->Handle();
    ASSERT_TRUE(::DestroyWindow(otherWnd));
    EXPECT_EQ(other.Handle(), nullptr);
    EXPECT_EQ(child->Handle(), nullptr);
    EXPECT_EQ(vtx::TControl::FromHandle(otherWnd), nullptr);
    EXPECT_EQ(vtx::TControl::FromHandle(childWnd), nullptr);
    EXPECT_EQ(child->Parent(), &other);  // the object is alive: it keeps the link
    child.reset();
    EXPECT_TRUE(other.Controls().empty());
}

TEST_F(ToolkitTest, AFormThatDestroysItsWindowFirstFreesItsControlsInAnyOrder) {
    // Components declared before the containers they sit in, as a form's
    // fixed field order may have them: they go after their containers.
    struct TOrderFreeForm : vtx::TForm {
        TOrderFreeForm() : vtx::TForm(L"VtxTestForm", vtx::TBorderStyle::bsSizeable, 0, 0, 400, 300) {
            Pages = std::make_unique<vtx::TPageControl>(this, L"pages", 0, 0, 300, 200);
            Sheet = Pages->AddSheet(L"sheet", L"Sheet");
            Panel = std::make_unique<vtx::TPanel>(Sheet, L"panel");
            List = std::make_unique<vtx::TListView>(Panel.get(), L"list", true);
            Icons = std::make_unique<vtx::TImageList>(16);
            List->SetSmallImages(Icons.get());
            Label = std::make_unique<vtx::TLabel>(Panel.get(), L"label", 0, 0, 40, 13);
        }
        ~TOrderFreeForm() override { DestroyHandle(); }
        std::unique_ptr<vtx::TImageList> Icons;
        std::unique_ptr<vtx::TLabel> Label;
        std::unique_ptr<vtx::TListView> List;
        std::unique_ptr<vtx::TPanel> Panel;
        std::unique_ptr<vtx::TPageControl> Pages;
        vtx::TTabSheet* Sheet = nullptr;
    };
    std::vector<HWND> windows;
    {
        TOrderFreeForm form;
        form.Show();
        windows = {form.Handle(), form.Pages->Handle(), form.Sheet->Handle(), form.Panel->Handle(),
                   form.List->Handle(), form.Label->Handle()};
        for (HWND wnd : windows) ASSERT_TRUE(::IsWindow(wnd));
        // The page control's pages go with it, whatever frees first.
        form.Pages.reset();
        EXPECT_EQ(form.Panel->Handle(), nullptr);
        EXPECT_EQ(form.List->Handle(), nullptr);
        EXPECT_EQ(form.Panel->Parent(), nullptr);
        EXPECT_EQ(form.Label->Parent(), form.Panel.get());
    }
    for (HWND wnd : windows) {
        EXPECT_FALSE(::IsWindow(wnd));
        EXPECT_EQ(vtx::TControl::FromHandle(wnd), nullptr);
    }
}

TEST(ComApartment, EntersASingleThreadedApartmentAndLeavesIt) {
    // On a thread of its own, so the test's main thread stays as it was.
    HRESULT inside = E_FAIL, after = E_FAIL;
    bool entered = false;
    std::thread worker([&] {
        {
            const vtx::TComApartment apartment;
            entered = apartment.Entered();
            inside = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // already in it
            if (SUCCEEDED(inside)) ::CoUninitialize();
        }
        after = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);  // left: another kind may enter
        if (SUCCEEDED(after)) ::CoUninitialize();
    });
    worker.join();
    EXPECT_TRUE(entered);
    EXPECT_EQ(inside, S_FALSE);
    EXPECT_EQ(after, S_OK);
}
