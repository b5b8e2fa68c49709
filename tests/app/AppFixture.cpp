#include "app/AppFixture.h"
#include "app/ListLogic.h"
#include "toolkit/Application.h"

namespace vtest {

void AppFixture::SetUp() {
    static int counter = 0;
    Title = L"VantrelTest" + std::to_wstring(::GetCurrentProcessId()) + L"x" + std::to_wstring(++counter);
    DeleteTestKey(Title);
    vtx::Application().Initialize();
    vtx::Application().SetTitle(Title);
    FBoxSeam.emplace(vtx::MessageBoxSeam(), [this](const vtx::TMessageBoxRequest& request) {
        Boxes.push_back(request);
        if (!Answers.empty()) {
            int answer = Answers.front();
            Answers.pop_front();
            return answer;
        }
        return request.Buttons == vtx::TMsgDlgButtons::mbYesNo ? static_cast<int>(vtx::mrYes)
                                                              : static_cast<int>(vtx::mrOk);
    });
}

void AppFixture::TearDown() {
    Stop();
    FBoxSeam.reset();
    DeleteTestKey(Title);
}

vtx::TCMain& AppFixture::Start() {
    Main = std::make_unique<vtx::TCMain>();
    Main->frmMain->Show();
    Pump(20);
    return *Main;
}

void AppFixture::Stop() {
    Main.reset();
    vtx::Application().DestroyForms();
    Pump(10);
}

int AppFixture::RowOfProcess(DWORD pid) {
    for (int i = 0; i < Main->Processes.Count(); ++i)
        if (Main->Processes.Row(i).ProcessId == pid) return i;
    return -1;
}

} // namespace vtest
