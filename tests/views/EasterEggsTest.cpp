#include <gtest/gtest.h>
#include "views/KbxViewEasterEggs.h"
#include "views/ViewsTestSupport.h"

using namespace vtx;

namespace {
const std::wstring kSite = L"https://www.quelmar.example/";
const std::wstring kSoftware = kSite + L"software";

std::vector<std::wstring> WindowLines(const TMemo& memo) {
    std::vector<std::wstring> lines;
    int count = static_cast<int>(::SendMessageW(memo.Handle(), EM_GETLINECOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t buffer[256] = {};
        *reinterpret_cast<WORD*>(buffer) = 255;
        LRESULT length = ::SendMessageW(memo.Handle(), EM_GETLINE, static_cast<WPARAM>(i),
                                        reinterpret_cast<LPARAM>(buffer));
        lines.emplace_back(buffer, static_cast<size_t>(length));
    }
    return lines;
}

struct EasterEggs : ::testing::Test {
    void SetUp() override {
        vtest::MainForm();
        form = std::make_unique<TEasterEggsForm>();
    }
    std::unique_ptr<TEasterEggsForm> form;
};
} // namespace

TEST_F(EasterEggs, ComponentsInDeclarationOrderWithThePanelsByName) {
    std::vector<std::wstring> names;
    for (TComponent* c : form->Components()) names.push_back(c->Name);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"PageControl1", L"ZorickTabSheet", L"UrlTabSheet",
                                                L"UpdateTabSheet", L"UpdatePanel", L"UrlPanel", L"ZorickPanel",
                                                L"Label1", L"Image1", L"UrlMemo", L"DownloadNowLabel",
                                                L"Label2"}));
    EXPECT_EQ(form->PageControl1->ActivePage(), form->ZorickTabSheet);
    EXPECT_EQ(form->UrlPanel->Parent(), form->UrlTabSheet);
    EXPECT_EQ(form->Caption(), L"Easter Eggs");
    EXPECT_FALSE(::IsWindowVisible(form->Handle()));
    EXPECT_EQ(form->Label2->Caption(), L"This software is made by");
}

TEST_F(EasterEggs, FillInfoForOrdinaryAndSpecialNamesReplacesTheNineLines) {
    const struct {
        const wchar_t* AppName;
        const wchar_t* Page;
        const wchar_t* Update;
    } cases[] = {
        {L"vantrel", L"software/vantrel.htm", L"software/download/vantrel.zip"},
        {L"TARVENMOSS", L"software/tvr.htm", L"software/download/tarvenmoss.zip"},
        {L"quelmarslinks", L"software/links.htm", L"software/download/links.zip"},
    };
    // One form filled again and again: every call leaves exactly nine lines.
    for (const auto& c : cases) {
        form->FillInfo(kSite, kSoftware, c.AppName);
        EXPECT_EQ(form->UpdateUrl, kSite + c.Update);
        std::vector<std::wstring> lines = WindowLines(*form->UrlMemo);
        ASSERT_EQ(lines.size(), 9u) << c.AppName;
        EXPECT_EQ(lines, form->UrlMemo->Lines());
        EXPECT_EQ(lines[0], L"");
        EXPECT_EQ(lines[1], L"Information:");
        EXPECT_EQ(lines[2], kSite + c.Page);
        EXPECT_EQ(lines[8], kSite + c.Update);
    }
    EXPECT_EQ(WindowLines(*form->UrlMemo)[5], kSite + L"images/software_links.jpg");
    // The caption uses the title as it is, not the web name.
    EXPECT_EQ(form->DownloadNowLabel->Caption(),
              L"Click here to download the latest version of " + Application().Title() + L".");
}

TEST_F(EasterEggs, DownloadLabelOpensTheDownloadAddress) {
    vtest::ShellRecorder shell;
    form->FillInfo(kSite, kSoftware, L"vantrel");
    vtest::MouseClick(form->DownloadNowLabel->Handle(), 5, 5);
    EXPECT_EQ(shell.Targets, std::vector<std::wstring>{kSite + L"software/download/vantrel.zip"});
    EXPECT_EQ(form->DownloadNowLabel->Cursor, crHandPoint);
}
