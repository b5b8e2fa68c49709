#include <gtest/gtest.h>
#include <atomic>
#include <cstring>
#include <cwctype>
#include <stdexcept>
#include <thread>
#include <vector>
#include <windows.h>
#include <aclapi.h>
#include "InstTestSupport.h"
#include "instances/VtxAppInst.h"
#include "instances/VtxSecurity.h"
#include "base/ScopedOverride.h"

using namespace vtx;
using itest::HasLine;
using itest::WaitForLine;
using itest::WaitUntil;

namespace {

std::wstring Q(const std::wstring& s) { return L"\"" + s + L"\""; }

// Every test gets its own copy of the helper, so its application ID (and with
// it every named object) is private to this run.
class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        // Fresh: a helper's log left by an earlier run would say "admitted" at once.
        FDir = vtest::FreshScratchDirectory(L"inst-" + std::to_wstring(++gCounter));
        FExe = vtest::CopyFileTo(itest::InstHelperPath(), FDir, L"vtinsthelper.exe");
        ASSERT_NE(GetFileAttributesW(FExe.c_str()), INVALID_FILE_ATTRIBUTES);
    }

    std::wstring Log(const std::wstring& tag) const { return FDir + L"\\" + tag + L".log"; }

    vtest::ChildProcess Start(const std::wstring& log, int max = 1, const std::wstring& show = L"hidden",
                              const std::wstring& gate = L"", const std::wstring& exe = L"") const {
        std::wstring args = L"app " + Q(log) + L" " + std::to_wstring(max) + L" " + show;
        if (!gate.empty()) args += L" " + Q(gate);
        return vtest::ChildProcess(exe.empty() ? FExe : exe, args, false);
    }

    // Starts an instance and waits until it was admitted.
    vtest::ChildProcess StartAdmitted(const std::wstring& tag, int max = 1, const std::wstring& show = L"hidden") {
        vtest::ChildProcess child = Start(Log(tag), max, show);
        EXPECT_TRUE(WaitForLine(Log(tag), L"admitted", 20000)) << "instance " << vtx::NarrowUtf8(tag);
        return child;
    }

    static void Close(vtest::ChildProcess& child) {
        HWND wnd = TVtxAppInstances::GetApplicationWnd(child.Id());
        ASSERT_NE(wnd, nullptr);
        PostMessageW(wnd, WM_CLOSE, 0, 0);
        EXPECT_EQ(child.Wait(20000), 0u);
    }

    static inline int gCounter = 0;
    std::wstring FDir;
    std::wstring FExe;
};

std::wstring Line(const wchar_t* kind, WPARAM code, DWORD pid) {
    return std::wstring(kind) + L" " + std::to_wstring(code) + L" " + std::to_wstring(pid);
}

PSID AceSid(HANDLE object, DWORD& mask, DWORD& aceCount, vtx::unique_hlocal& holder) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr, &sd) !=
            ERROR_SUCCESS ||
        !dacl)
        return nullptr;
    holder.reset(sd);
    aceCount = dacl->AceCount;
    void* ace = nullptr;
    if (!GetAce(dacl, 0, &ace)) return nullptr;
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    mask = allowed->Mask;
    return &allowed->SidStart;
}

} // namespace

TEST_F(Registry, FirstStartFillsTheTablesAndTellsItself) {
    vtest::ChildProcess first = StartAdmitted(L"first");
    TVtxAppInstances view(FExe);
    EXPECT_TRUE(HasLine(Log(L"first"), L"id " + view.UniqueAppID()));
    TInstanceTable all = view.AllTable();
    EXPECT_EQ(all.Limit, 1);
    EXPECT_EQ(all.Count, 1);
    EXPECT_EQ(all.ProcessIDs[0], first.Id());
    for (const TInstanceTable& t : {view.SessionTable(), view.UserTable()}) {
        EXPECT_EQ(t.Limit, 0);
        EXPECT_EQ(t.Count, 1);
        EXPECT_EQ(t.ProcessIDs[0], first.Id());
    }
    EXPECT_TRUE(view.AllMapping()->Existed());
    EXPECT_EQ(view.GetAllProcessIDs(0), first.Id());
    EXPECT_EQ(view.GetAllProcessIDs(1), 0u);
    EXPECT_EQ(view.GetAllAppWnds(0), TVtxAppInstances::GetApplicationWnd(first.Id()));
    // Its own arrival reaches its thread and its window.
    EXPECT_TRUE(WaitForLine(Log(L"first"), Line(L"thread", MsgInstanceCreated, first.Id()), 10000));
    EXPECT_TRUE(WaitForLine(Log(L"first"), Line(L"window", MsgInstanceCreated, first.Id()), 10000));
}

TEST_F(Registry, TablesGrantEveryoneOrTheOwnerOnly) {
    vtest::ChildProcess first = StartAdmitted(L"first");
    TVtxAppInstances view(FExe);
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    vtx::unique_sid everyone;
    ASSERT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, everyone.put()));
    for (const TVtxSwapFileMapping* m : {view.AllMapping(), view.SessionMapping()}) {
        DWORD mask = 0, count = 0;
        vtx::unique_hlocal holder;
        PSID sid = AceSid(m->Handle(), mask, count, holder);
        ASSERT_NE(sid, nullptr) << vtx::NarrowUtf8(m->Name());
        EXPECT_EQ(count, 1u);
        EXPECT_EQ(mask, 0xF001Fu);
        EXPECT_TRUE(EqualSid(sid, everyone.get()));
    }
    DWORD mask = 0, count = 0;
    vtx::unique_hlocal holder;
    PSID sid = AceSid(view.UserMapping()->Handle(), mask, count, holder);
    ASSERT_NE(sid, nullptr);
    EXPECT_EQ(mask, 0xF001Fu);
    EXPECT_FALSE(EqualSid(sid, everyone.get())) << "the user table is the owner's alone";
}

TEST_F(Registry, SecondStartRegistersIsRefusedRestoresTheFirstAndLeaves) {
    itest::NamedEvent gate(itest::UniqueName(L"Gate"));
    vtest::ChildProcess first = Start(Log(L"first"), 1, L"minimized", gate.Name);
    ASSERT_TRUE(WaitForLine(Log(L"first"), L"admitted", 20000));
    TVtxAppInstances view(FExe);
    HWND firstWnd = TVtxAppInstances::GetApplicationWnd(first.Id());
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(firstWnd) != FALSE; }, 10000));

    vtest::ChildProcess second = Start(Log(L"second"));
    DWORD secondId = second.Id();
    ASSERT_TRUE(WaitForLine(Log(L"first"), L"restore", 20000));
    // Registered while it asked for the restore ...
    EXPECT_TRUE(HasLine(Log(L"first"), L"table 2 " + std::to_wstring(first.Id()) + L" " + std::to_wstring(secondId)));
    // ... and gone while the first still keeps the request: it did not wait for an answer.
    EXPECT_EQ(second.Wait(20000), 0u);
    EXPECT_TRUE(IsIconic(firstWnd));
    EXPECT_FALSE(HasLine(Log(L"second"), L"admitted"));
    EXPECT_EQ(view.AllTable().Count, 1);
    EXPECT_EQ(view.SessionTable().Count, 1);
    EXPECT_EQ(view.UserTable().Count, 1);
    EXPECT_EQ(view.AllTable().ProcessIDs[0], first.Id());

    SetEvent(gate.Handle.get());
    EXPECT_TRUE(WaitForLine(Log(L"first"), Line(L"window", MsgInstanceDestroyed, secondId), 10000));
    EXPECT_FALSE(HasLine(Log(L"first"), Line(L"window", MsgInstanceCreated, secondId)));
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(firstWnd); }, 10000)) << "the request is handled once answered";
}

TEST_F(Registry, SecondStartActivatesTheFirstsWindow) {
    vtest::ChildProcess first = StartAdmitted(L"first", 1, L"shown");
    HWND firstWnd = TVtxAppInstances::GetApplicationWnd(first.Id());
    ASSERT_NE(firstWnd, nullptr);
    // Someone else in front first.
    const vtx::unique_hwnd owned(CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100,
                                                 100, nullptr, nullptr, nullptr, nullptr));
    const HWND other = owned.get();
    SetForegroundWindow(other);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other; }, 5000));

    vtest::ChildProcess second = Start(Log(L"second"), 1, L"shown");
    EXPECT_EQ(second.Wait(20000), 0u);
    EXPECT_FALSE(HasLine(Log(L"second"), L"admitted"));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == firstWnd; }, 10000));
}

TEST_F(Registry, LockObjectsBelongToTheUserAndLetOthersOnlyUseThem) {
    vtest::ChildProcess first = StartAdmitted(L"first");
    TVtxAppInstances view(FExe);
    const std::wstring lock = OptexNameOf(view.UniqueAppID());
    vtx::unique_handle event(OpenEventW(READ_CONTROL, FALSE, (L"Optex_Event_" + lock).c_str()));
    vtx::unique_handle block(OpenFileMappingW(READ_CONTROL, FALSE, (L"Optex_MMF_" + lock).c_str()));
    ASSERT_TRUE(event && block);
    std::vector<BYTE> tokenUser = QueryTokenUser();
    PSID user = reinterpret_cast<TOKEN_USER*>(tokenUser.data())->User.Sid;
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    vtx::unique_sid everyone;
    ASSERT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, everyone.put()));
    struct Case {
        const char* name;
        HANDLE object;
        DWORD ownerAccess;
        DWORD everyoneAccess;
    } cases[] = {
        {"event", event.get(), EVENT_ALL_ACCESS, SYNCHRONIZE | EVENT_MODIFY_STATE},
        {"block", block.get(), FILE_MAP_ALL_ACCESS, FILE_MAP_READ | FILE_MAP_WRITE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PSID owner = nullptr;
        PACL dacl = nullptr;
        PSECURITY_DESCRIPTOR sd = nullptr;
        ASSERT_EQ(GetSecurityInfo(c.object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                  &owner, nullptr, &dacl, nullptr, &sd),
                  static_cast<DWORD>(ERROR_SUCCESS));
        vtx::unique_hlocal holder(sd);
        ASSERT_TRUE(owner && dacl);
        EXPECT_TRUE(EqualSid(owner, user)) << "owned by the user, not by a group of an elevated token";
        ASSERT_EQ(dacl->AceCount, 2);
        void* ace = nullptr;
        ASSERT_TRUE(GetAce(dacl, 0, &ace));
        EXPECT_TRUE(EqualSid(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart, user));
        EXPECT_EQ(static_cast<ACCESS_ALLOWED_ACE*>(ace)->Mask, c.ownerAccess);
        ASSERT_TRUE(GetAce(dacl, 1, &ace));
        EXPECT_TRUE(EqualSid(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart, everyone.get()));
        EXPECT_EQ(static_cast<ACCESS_ALLOWED_ACE*>(ace)->Mask, c.everyoneAccess);
    }
}

TEST_F(Registry, ObjectsThatRefuseThisUserFailWithAccessDenied) {
    // What a normal start meets after an elevated copy made the objects with its default access list.
    struct Case {
        const wchar_t* objects;
        const wchar_t* ending;  // of the message
    } cases[] = {
        {L"lock", L" (5)\r\nFailed to create event"},
        {L"block", L"Assertion failure (instances\\VtxSynch.cpp, line 1121)"},
        {L"table", L" (5)\r\nFailed to create FileMapping"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(vtx::NarrowUtf8(c.objects));
        std::wstring exe = vtest::CopyFileTo(FExe, FDir + L"\\" + c.objects, L"vtinsthelper.exe");
        vtest::ChildProcess squatter;
        ASSERT_TRUE(itest::Squat(exe, c.objects, squatter));
        try {
            TVtxAppInstances refused(exe);
            ADD_FAILURE() << "no error";
        } catch (const EVtxError& e) {
            EXPECT_TRUE(IsInstanceAccessDenied(e));
            const std::wstring ending = c.ending;
            EXPECT_TRUE(e.Message().size() >= ending.size() &&
                        e.Message().compare(e.Message().size() - ending.size(), ending.size(), ending) == 0)
                << vtx::NarrowUtf8(e.Message());
        }
    }
}

TEST(InstanceAccess, OnlyARefusalOfTheLockOrATableCounts) {
    const std::wstring unit = L"instances\\VtxSynch.cpp";
    auto denied = [](auto&& error) { return IsInstanceAccessDenied(error); };
    EXPECT_TRUE(denied(EVtxEventError(ERROR_ACCESS_DENIED, L"Access denied", L"Failed to create event")));
    EXPECT_TRUE(denied(EVtxFileMappingError(ERROR_ACCESS_DENIED, L"Access denied", L"Failed to create FileMapping")));
    EXPECT_TRUE(
        denied(EVtxFileMappingViewError(ERROR_ACCESS_DENIED, L"Access denied", L"Failed to create FileMappingView")));
    EXPECT_TRUE(denied(EOptexBlockError(unit, 1121, ERROR_ACCESS_DENIED)));
    // Every other failure keeps its box.
    EXPECT_FALSE(denied(EVtxEventError(ERROR_INVALID_HANDLE, L"The handle is invalid", L"Failed to create event")));
    EXPECT_FALSE(denied(EOptexBlockError(unit, 1123, ERROR_NOT_ENOUGH_MEMORY)));
    EXPECT_FALSE(denied(EAssertionFailed(L"instances\\VtxAppInst.cpp", 746)));
    EXPECT_FALSE(denied(EOSError(ERROR_ACCESS_DENIED, L"System Error.  Code: 5.")));
    EXPECT_FALSE(denied(std::runtime_error("other")));
}

TEST_F(Registry, ObjectsThatLetThisUserOnlyUseTheLockStillKeepOneInstance) {
    // As another account meets the objects of this user's first instance.
    vtest::ChildProcess squatter;
    ASSERT_TRUE(itest::Squat(FExe, L"use", squatter));
    vtest::ChildProcess first = StartAdmitted(L"first");
    TVtxAppInstances view(FExe);
    EXPECT_EQ(view.AllTable().Count, 1);
    vtest::ChildProcess second = Start(Log(L"second"));
    EXPECT_EQ(second.Wait(20000), 0u);
    EXPECT_FALSE(HasLine(Log(L"second"), L"admitted"));
    EXPECT_FALSE(HasLine(Log(L"second"), L"error")) << "refused by the check, not by an error";
    EXPECT_EQ(view.AllTable().Count, 1);
    EXPECT_EQ(view.AllTable().ProcessIDs[0], first.Id());
}

TEST_F(Registry, APostRefusedForGoodIsNotTriedAgain) {
    vtest::ChildProcess first = StartAdmitted(L"first");
    TVtxAppInstances view(FExe);
    // A higher integrity level refuses with access denied, an ended thread
    // with an invalid ID; only a passing refusal is tried again.
    struct Case {
        DWORD error;
        int posts;
    } cases[] = {
        {ERROR_ACCESS_DENIED, 1},
        {ERROR_INVALID_THREAD_ID, 1},
        {ERROR_NOT_ENOUGH_QUOTA, TVtxAppInstances::PostTries},
    };
    LPARAM param = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        int posts = 0;
        vtx::TScopedOverride refuse(PostThreadMessageSeam(), [&](DWORD, UINT, WPARAM, LPARAM) {
            ++posts;
            SetLastError(c.error);
            return FALSE;
        });
        view.NotifyInstances(MsgUserNotify, ++param);
        EXPECT_EQ(posts, c.posts);
        // The windows are told all the same.
        EXPECT_TRUE(WaitForLine(Log(L"first"), Line(L"window", MsgUserNotify, static_cast<DWORD>(param)), 10000));
    }
}

TEST_F(Registry, SamePathInOtherCaseIsTheSameApplication) {
    vtest::ChildProcess first = StartAdmitted(L"first");
    std::wstring other = FExe;
    for (wchar_t& c : other) c = static_cast<wchar_t>(std::iswupper(c) ? std::towlower(c) : std::towupper(c));
    EXPECT_EQ(AppIdFromPath(other), AppIdFromPath(FExe));
    vtest::ChildProcess second = Start(Log(L"second"), 1, L"hidden", L"", other);
    EXPECT_EQ(second.Wait(20000), 0u);
    EXPECT_FALSE(HasLine(Log(L"second"), L"admitted"));
}

TEST_F(Registry, CopyAtAnotherPathRunsBeside) {
    vtest::ChildProcess first = StartAdmitted(L"first");
    std::wstring copy = vtest::CopyFileTo(FExe, FDir + L"\\copy", L"vtinsthelper.exe");
    vtest::ChildProcess second = Start(Log(L"copy"), 1, L"hidden", L"", copy);
    EXPECT_TRUE(WaitForLine(Log(L"copy"), L"admitted", 20000));
    EXPECT_TRUE(second.Running());
    EXPECT_TRUE(first.Running());
}

TEST_F(Registry, EndingTheMiddleOfThreeKeepsTheOthersInOrder) {
    vtest::ChildProcess a = StartAdmitted(L"a", 3);
    vtest::ChildProcess b = StartAdmitted(L"b", 3);
    vtest::ChildProcess c = StartAdmitted(L"c", 3);
    TVtxAppInstances view(FExe);
    ASSERT_EQ(view.AllTable().Count, 3);
    Close(b);
    TInstanceTable all = view.AllTable();
    ASSERT_EQ(all.Count, 2);
    EXPECT_EQ(all.ProcessIDs[0], a.Id());
    EXPECT_EQ(all.ProcessIDs[1], c.Id());
    EXPECT_EQ(view.UserTable().Count, 2);
}

TEST_F(Registry, StartAfterTheFirstEndedIsAdmitted) {
    vtest::ChildProcess first = StartAdmitted(L"first");
    TVtxAppInstances view(FExe);  // keeps the tables, so they are reused, not recreated
    Close(first);
    EXPECT_EQ(view.AllTable().Count, 0);
    EXPECT_EQ(view.AllTable().Limit, 1);
    vtest::ChildProcess next = StartAdmitted(L"next");
    EXPECT_EQ(view.AllTable().Count, 1);
}

TEST_F(Registry, FullTableRefusesWithoutWritingPastIt) {
    TVtxAppInstances registry(FDir + L"\\Full258.exe");
    {
        TVtxSwapFileMapping all(AllTableNameOf(registry.UniqueAppID()), PAGE_READWRITE, sizeof(TInstanceTable),
                                nullptr);
        ASSERT_TRUE(all.Existed());
        auto* table = static_cast<TInstanceTable*>(all.GetView(all.Add(FILE_MAP_WRITE, sizeof(TInstanceTable), 0)).Memory());
        table->Count = InstanceTableSlots;
        for (std::size_t i = 0; i < InstanceTableSlots; ++i) table->ProcessIDs[i] = 0x10000 + static_cast<DWORD>(i);
    }
    TInstanceTable before = registry.AllTable();
    EXPECT_FALSE(registry.CheckInstance(0, 0, 0));
    TInstanceTable after = registry.AllTable();
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    EXPECT_EQ(registry.SessionTable().Count, 1);
    EXPECT_EQ(registry.UserTable().Count, 1);
}

TEST(AppWindow, OnlyTheExactClassNameCounts) {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    auto makeWindow = [inst](const wchar_t* cls) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = inst;
        wc.lpszClassName = cls;
        RegisterClassW(&wc);
        return vtx::unique_hwnd(CreateWindowExW(0, cls, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, inst, nullptr));
    };
    EXPECT_EQ(TVtxAppInstances::GetApplicationWnd(0), nullptr);
    vtx::unique_hwnd longer = makeWindow(L"TApplicationX");
    vtx::unique_hwnd lower = makeWindow(L"tapplication2");
    ASSERT_TRUE(longer);
    EXPECT_EQ(TVtxAppInstances::GetApplicationWnd(GetCurrentProcessId()), nullptr);
    vtx::unique_hwnd exact = makeWindow(L"TApplication");
    EXPECT_EQ(TVtxAppInstances::GetApplicationWnd(GetCurrentProcessId()), exact.get());
}

TEST(AppWindow, TheForegroundWindowNeedsNothing) {
    HWND wnd = CreateWindowExW(0, L"STATIC", L"front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                               nullptr, nullptr, nullptr);
    vtx::unique_hwnd owner(wnd);
    SetForegroundWindow(wnd);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == wnd; }, 5000));
    EXPECT_TRUE(TVtxAppInstances::SetForegroundWindow98(wnd));
    EXPECT_TRUE(TVtxAppInstances::BringAppWindowToFront(wnd));
    EXPECT_FALSE(TVtxAppInstances::SetForegroundWindow98(nullptr));
}

TEST(AppWindow, AHungMinimisedWindowDoesNotHoldTheCaller) {
    vtest::ChildProcess hung(vtest::HelperPath(), L"hung HungTarget 120000", false);
    HWND wnd = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (HWND w : vtest::WindowsOfProcess(hung.Id()))
                if (IsIconic(w)) wnd = w;
            return wnd != nullptr;
        },
        20000));
    DWORD_PTR answer = 0;
    ASSERT_FALSE(SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_NORMAL, 200, &answer)) << "the child still answers";

    std::atomic<bool> returned{false};
    std::thread caller([&] {
        TVtxAppInstances::BringAppWindowToFront(wnd);
        returned = true;
    });
    // A generous bound, only so that a fault fails the test instead of hanging it.
    const bool inTime = WaitUntil([&] { return returned.load(); }, 5000);
    if (!inTime) TerminateProcess(hung.Handle(), 1);  // releases the caller
    caller.join();
    ASSERT_TRUE(inTime) << "BringAppWindowToFront waits for a window that does not answer";
    EXPECT_TRUE(hung.Running());
    EXPECT_TRUE(IsIconic(wnd)) << "the child was not hung after all";
}
