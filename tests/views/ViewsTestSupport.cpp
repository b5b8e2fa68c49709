#include "views/ViewsTestSupport.h"
#include <gtest/gtest.h>

namespace vtest {

vtx::TForm& MainForm() {
    static vtx::TForm* form = [] {
        vtx::Application().SetTitle(L"Vantrel");
        auto made = std::make_unique<vtx::TForm>(L"TViewsTestMain", vtx::TBorderStyle::bsSizeable, 40, 40, 500, 400);
        made->SetCaption(L"Views test main form");
        made->Show();
        return vtx::Application().AdoptForm(std::move(made));
    }();
    return *form;
}

bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
    DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > ms) return false;
        vtx::Application().ProcessMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

namespace {
// The main form exists before any test makes a form of its own.
class MainFormEnvironment : public ::testing::Environment {
public:
    void SetUp() override { MainForm(); }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new MainFormEnvironment);
} // namespace

} // namespace vtest
