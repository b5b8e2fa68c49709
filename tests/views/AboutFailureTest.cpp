// This executable carries no version resource, so the about box cannot be
// made: the error must come out and the main window must take input again.
#include <gtest/gtest.h>
#include "base/Errors.h"
#include "views/KbxViewAbout.h"
#include "views/ViewsTestSupport.h"

using namespace vtx;

TEST(AboutBoxFailure, NoVersionResourceRaisesAndEnablesTheMainWindow) {
    HWND main = vtest::MainForm().Handle();
    ASSERT_TRUE(::IsWindowEnabled(main));
    bool raised = false;
    try {
        ShowAboutBox(2002);
    } catch (const EVtxError& e) {
        raised = true;
        EXPECT_FALSE(e.Message().empty());
    }
    EXPECT_TRUE(raised);
    EXPECT_TRUE(::IsWindowEnabled(main));
    EXPECT_EQ(::FindWindowW(L"TfrmAbout", nullptr), nullptr);
}
