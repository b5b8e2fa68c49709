#include "app/AppFixture.h"
#include "app/ListLogic.h"
#include "toolkit/Application.h"

namespace vtest {

std::wstring TestKeyPath(const std::wstring& title) { return L"Software\\Quelmar\\" + title; }

void DeleteTestKey(const std::wstring& title) { ::RegDeleteTreeW(HKEY_CURRENT_USER, TestKeyPath(title).c_str()); }

bool ReadTestValue(const std::wstring& title, const std::wstring& section, const std::wstring& name,
                   std::wstring& value, DWORD* type) {
    wchar_t buffer[512] = {};
    DWORD size = sizeof buffer;
    DWORD kind = 0;
    std::wstring key = TestKeyPath(title) + L"\\" + section;
    if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &kind, buffer,
                       &size) != ERROR_SUCCESS)
        return false;
    if (type) *type = kind;
    value = buffer;
    return true;
}

void WriteTestValue(const std::wstring& title, const std::wstring& section, const std::wstring& name,
                    const std::wstring& value) {
    std::wstring key = TestKeyPath(title) + L"\\" + section;
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), REG_SZ, value.c_str(),
                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void Pump(DWORD ms) {
    DWORD start = ::GetTickCount();
    do {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(5);
    } while (::GetTickCount() - start < ms);
}

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
