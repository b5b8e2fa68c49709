#include <gtest/gtest.h>
#include "toolkit/PageControl.h"
#include "toolkit/Panel.h"
#include "views/KbxHyperlink.h"
#include "views/ViewsTestSupport.h"

using namespace vtx;

namespace {

constexpr COLORREF kDesignColor = RGB(0, 128, 0);

struct LinkPanel : ::testing::Test {
    void SetUp() override {
        vtest::MainForm();
        form = std::make_unique<TForm>(L"TLinkTestForm", TBorderStyle::bsSizeable, 0, 0, 300, 200);
        panel = std::make_unique<TPanel>(form.get(), L"Panel", 0, 0, 280, 160);
        first = MakeLabel(panel.get(), L"First", 10);
        second = MakeLabel(panel.get(), L"Second", 30);
        plain = MakeLabel(panel.get(), L"Plain", 50);
    }
    static std::unique_ptr<TLabel> MakeLabel(TWinControl* parent, const wchar_t* name, int top) {
        auto label = std::make_unique<TLabel>(parent, name, 10, top, 100, 13);
        label->SetCaption(name);
        TFontSpec font = label->FontSpec();
        font.Color = kDesignColor;
        font.Style = fsBold | fsItalic;
        label->SetFontSpec(font);
        return label;
    }
    static bool Lit(const TLabel& label) {
        return label.FontColor() == 0xFF0000 && (label.FontStyle() & fsUnderline);
    }
    static bool AtRest(const TLabel& label) {
        return label.FontColor() == 0 && !(label.FontStyle() & fsUnderline);
    }
    void TearDown() override {
        plain.reset();
        second.reset();
        first.reset();
        panel.reset();
        form.reset();
    }
    std::unique_ptr<TForm> form;
    std::unique_ptr<TPanel> panel;
    std::unique_ptr<TLabel> first, second, plain;
    vtest::ShellRecorder shell;
};

} // namespace

TEST_F(LinkPanel, LinkKeepsItsDesignLookUntilTheMouseComes) {
    LabelToLink(*first, L"https://www.quelmar.example/");
    EXPECT_EQ(first->Hint, L"https://www.quelmar.example/");
    EXPECT_EQ(first->Cursor, crHandPoint);
    EXPECT_EQ(first->FontColor(), kDesignColor);
    EXPECT_EQ(first->FontStyle(), fsBold | fsItalic);

    vtest::MouseMove(panel->Handle(), 200, 100);
    EXPECT_TRUE(AtRest(*first));
    // Only colour and underline change: bold and italic stay.
    EXPECT_EQ(first->FontStyle(), fsBold | fsItalic);
    // The window shows the hand over the link.
    POINT centre{5, 5};
    ::ClientToScreen(first->Handle(), &centre);
    ::SetCursorPos(centre.x, centre.y);
    ::SendMessageW(first->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(first->Handle()),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
}

TEST_F(LinkPanel, HoverLightsOneLinkAndRestsTheOthers) {
    LabelToLink(*first, L"https://a.example/");
    LabelToLink(*second, L"mailto:b@quelmar.example");
    // Not a link, but it has a hint: resetting treats it like one.
    plain->Hint = L"a tip";

    vtest::MouseMove(first->Handle());
    EXPECT_TRUE(Lit(*first));
    EXPECT_TRUE(AtRest(*second));
    EXPECT_TRUE(AtRest(*plain));

    vtest::MouseMove(second->Handle());
    EXPECT_TRUE(AtRest(*first));
    EXPECT_TRUE(Lit(*second));

    vtest::MouseMove(panel->Handle(), 200, 120);
    EXPECT_TRUE(AtRest(*second));
    EXPECT_TRUE(shell.Targets.empty());
}

TEST_F(LinkPanel, ClickRestsTheLinkAndOpensItsTargetOnce) {
    LabelToLink(*first, L"https://a.example/");
    LabelToLink(*second, L"mailto:b@quelmar.example");
    vtest::MouseMove(second->Handle());
    ASSERT_TRUE(Lit(*second));
    vtest::MouseClick(second->Handle());
    EXPECT_TRUE(AtRest(*second));
    EXPECT_EQ(shell.Targets, std::vector<std::wstring>{L"mailto:b@quelmar.example"});
    // A press that is released outside the label is no click.
    ::SendMessageW(first->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ::SendMessageW(first->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(-50, 2));
    EXPECT_EQ(shell.Targets.size(), 1u);
}

TEST_F(LinkPanel, FormAndTabSheetParentsRestTheirLinksToo) {
    auto onForm = MakeLabel(form.get(), L"OnForm", 170);
    TPageControl pages(form.get(), L"Pages", 0, 0, 200, 100);
    TTabSheet* sheet = pages.AddSheet(L"Sheet", L"Sheet");
    auto onSheet = MakeLabel(sheet, L"OnSheet", 10);
    LabelToLink(*onForm, L"https://form.example/");
    LabelToLink(*onSheet, L"https://sheet.example/");
    vtest::MouseMove(onForm->Handle());
    vtest::MouseMove(onSheet->Handle());
    ASSERT_TRUE(Lit(*onForm));
    ASSERT_TRUE(Lit(*onSheet));
    vtest::MouseMove(form->Handle(), 290, 5);
    EXPECT_TRUE(AtRest(*onForm));
    EXPECT_TRUE(Lit(*onSheet)); // a different parent
    vtest::MouseMove(sheet->Handle(), 150, 50);
    EXPECT_TRUE(AtRest(*onSheet));
    onSheet.reset();
    onForm.reset();
}

TEST_F(LinkPanel, ParentOfAnotherKindKeepsItsOwnMouseHandler) {
    // A page control is a container, but neither a form, panel nor sheet.
    TPageControl pages(panel.get(), L"Pages", 120, 0, 150, 150);
    auto link = MakeLabel(&pages, L"Link", 60);
    int parentMoves = 0;
    pages.OnMouseMove = [&](TComponent*, int, int) { ++parentMoves; };
    LabelToLink(*link, L"https://other.example/");
    ASSERT_TRUE(pages.OnMouseMove);
    pages.OnMouseMove(&pages, 0, 0);
    EXPECT_EQ(parentMoves, 1);

    vtest::MouseMove(link->Handle());
    EXPECT_TRUE(Lit(*link));
    // Only a click (or another link's lighting) rests it.
    vtest::MouseClick(link->Handle());
    EXPECT_TRUE(AtRest(*link));
    EXPECT_EQ(shell.Targets, std::vector<std::wstring>{L"https://other.example/"});
    link.reset();
}

TEST(Hyperlink, OneSharedHandlerObject) {
    EXPECT_EQ(&LinkEventHandlers(), &LinkEventHandlers());
}
