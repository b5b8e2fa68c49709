// The real program: a second start while one runs shows nothing, brings the
// first forward and ends with 0.
#include <gtest/gtest.h>
#include "InstTestSupport.h"
#include "instances/VtxAppInst.h"

using itest::WaitUntil;

namespace {

bool HasVisibleWindow(DWORD pid) {
    for (HWND wnd : vtest::WindowsOfProcess(pid))
        if (IsWindowVisible(wnd)) return true;
    return false;
}

DWORD ForegroundProcess() {
    DWORD pid = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &pid);
    return pid;
}

} // namespace

TEST(VantrelStart, SecondStartEndsQuietlyAndActivatesTheFirst) {
    // A private copy: its own application ID, so no other run interferes.
    std::wstring dir = vtest::ScratchDirectory(L"inst-e2e");
    std::wstring exe = vtest::CopyFileTo(vtest::ExeDirectory() + L"Vantrel.exe", dir, L"Vantrel.exe");
    vtest::ChildProcess first(exe, L"", false);
    ASSERT_NE(first.Id(), 0u);
    ASSERT_TRUE(WaitUntil([&] { return vtx::TVtxAppInstances::GetApplicationWnd(first.Id()) != nullptr; }, 20000))
        << "Vantrel.exe shows no \"TApplication\" window";
    ASSERT_TRUE(WaitUntil([&] { return HasVisibleWindow(first.Id()); }, 20000));

    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    WaitUntil([&] { return GetForegroundWindow() == other; }, 5000);

    vtest::ChildProcess second(exe, L"", false);
    DWORD secondId = second.Id();
    bool showedWindow = false;
    DWORD code = STILL_ACTIVE;
    WaitUntil(
        [&] {
            showedWindow = showedWindow || HasVisibleWindow(secondId);
            code = second.Wait(0);
            return code != STILL_ACTIVE;
        },
        20000);
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(showedWindow);
    EXPECT_TRUE(WaitUntil([&] { return ForegroundProcess() == first.Id(); }, 10000));
    EXPECT_TRUE(first.Running());

    // A minimised first window comes back as it was.
    HWND form = nullptr;
    for (HWND wnd : vtest::WindowsOfProcess(first.Id()))
        if (IsWindowVisible(wnd) && GetWindow(wnd, GW_OWNER) == nullptr) form = wnd;
    ASSERT_NE(form, nullptr);
    ShowWindow(form, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(form) != FALSE; }, 5000));
    vtest::ChildProcess third(exe, L"", false);
    EXPECT_EQ(third.Wait(20000), 0u);
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(form); }, 10000)) << "the first window stays minimised";
    EXPECT_TRUE(IsWindowVisible(form));
    DestroyWindow(other);
}
