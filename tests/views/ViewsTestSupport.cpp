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

namespace {
// The main form exists before any test makes a form of its own.
class MainFormEnvironment : public ::testing::Environment {
public:
    void SetUp() override { MainForm(); }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new MainFormEnvironment);
} // namespace

} // namespace vtest
