// The real program: a second start while one runs shows nothing, brings the
// first forward and ends with 0; lock objects or tables that it may not use
// (an elevated copy's) leave it starting unchecked, without an error box.
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

bool HasWindowOfClass(DWORD pid, const wchar_t* className) {
    for (HWND wnd : vtest::WindowsOfProcess(pid)) {
        wchar_t name[64] = {};
        if (GetClassNameW(wnd, name, 64) > 0 && std::wstring(name) == className) return true;
    }
    return false;
}

// A visible top-level window other than a message box.
bool HasMainWindow(DWORD pid) {
    for (HWND wnd : vtest::WindowsOfProcess(pid)) {
        wchar_t name[64] = {};
        if (IsWindowVisible(wnd) && GetClassNameW(wnd, name, 64) > 0 && std::wstring(name) != L"#32770") return true;
    }
    return false;
}

// A private copy of the program: its own application ID, so no other run interferes.
std::wstring VantrelCopy(const std::wstring& tag) {
    return vtest::CopyFileTo(vtest::ExeDirectory() + L"Vantrel.exe", vtest::ScratchDirectory(tag), L"Vantrel.exe");
}

DWORD ForegroundProcess() {
    DWORD pid = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &pid);
    return pid;
}

// A second start of the program: how it ended and whether it ever showed a window.
struct TSecondStart {
    DWORD Code = STILL_ACTIVE;
    bool ShowedWindow = false;
};

TSecondStart StartSecond(const std::wstring& exe) {
    vtest::ChildProcess second(exe, L"", false);
    TSecondStart result;
    WaitUntil(
        [&] {
            result.ShowedWindow = result.ShowedWindow || HasVisibleWindow(second.Id());
            result.Code = second.Wait(0);
            return result.Code != STILL_ACTIVE;
        },
        20000);
    return result;
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

    const vtx::unique_hwnd owned(CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100,
                                                 100, nullptr, nullptr, nullptr, nullptr));
    const HWND other = owned.get();
    SetForegroundWindow(other);
    WaitUntil([&] { return GetForegroundWindow() == other; }, 5000);

    const TSecondStart second = StartSecond(exe);
    EXPECT_EQ(second.Code, 0u);
    EXPECT_FALSE(second.ShowedWindow);
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
}

TEST(VantrelStart, ObjectsOfAnElevatedCopyDoNotStopANormalStart) {
    // An elevated copy's default access list lets this user only read the
    // objects: the check cannot run, and the program starts without it.
    for (const wchar_t* objects : {L"lock", L"block", L"table"}) {
        SCOPED_TRACE(vtx::NarrowUtf8(objects));
        std::wstring exe = VantrelCopy(std::wstring(L"inst-refused-") + objects);
        vtest::ChildProcess squatter;
        ASSERT_TRUE(itest::Squat(exe, objects, squatter));
        vtest::ChildProcess app(exe, L"", false);
        bool box = false;
        EXPECT_TRUE(WaitUntil(
            [&] {
                box = box || HasWindowOfClass(app.Id(), L"#32770");
                return box || HasMainWindow(app.Id()) || !app.Running();
            },
            20000));
        EXPECT_FALSE(box || HasWindowOfClass(app.Id(), L"#32770")) << "an error box";
        EXPECT_TRUE(HasMainWindow(app.Id()));
        EXPECT_TRUE(app.Running());
        EXPECT_NE(vtx::TVtxAppInstances::GetApplicationWnd(app.Id()), nullptr);
    }
}

TEST(VantrelStart, SecondStartIsRefusedWhenTheLockLetsThisUserOnlyUseIt) {
    // The lock as another account finds this user's: it may use it, not change it.
    std::wstring exe = VantrelCopy(L"inst-use");
    vtest::ChildProcess squatter;
    ASSERT_TRUE(itest::Squat(exe, L"use", squatter));
    vtest::ChildProcess first(exe, L"", false);
    ASSERT_TRUE(WaitUntil([&] { return HasMainWindow(first.Id()); }, 20000));
    EXPECT_FALSE(HasWindowOfClass(first.Id(), L"#32770"));

    const TSecondStart second = StartSecond(exe);
    EXPECT_EQ(second.Code, 0u);
    EXPECT_FALSE(second.ShowedWindow);
    EXPECT_TRUE(first.Running());
}
