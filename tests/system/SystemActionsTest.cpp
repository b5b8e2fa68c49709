// Session ending goes through the seam only: these tests never end the session.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "helpers/TestSupport.h"
#include "system/SystemActions.h"
#include "system/SystemLogic.h"
#include "system/VtxSysInfo.h"
#include "base/Handle.h"
#include "base/OSError.h"
#include <optional>
#include "base/ScopedOverride.h"

namespace vtx {
namespace {

struct TRecord {
    std::vector<UINT> ExitFlags;
    std::vector<DWORD> ExitReasons;
    std::vector<std::wstring> Lines;
    int TokenOpens = 0, Lookups = 0, Adjusts = 0;
    DWORD TokenAccess = 0;
    std::wstring PrivilegeName;
    bool SystemNameGiven = true;
    LUID LookedUp{};
    TOKEN_PRIVILEGES Adjusted{};
    BOOL DisableAll = TRUE;
    bool PreviousStateAsked = true;
    bool ReturnLengthGiven = false;
};

// Steps that fail, and how: 0 none, 1 token, 2 lookup, 3 adjust "succeeds"
// but leaves ERROR_NOT_ALL_ASSIGNED, 4 adjust returns FALSE.
class SessionEnding : public ::testing::Test {
protected:
    void SetUp() override {
        FSeam.emplace(SessionSeam(), SessionSeam());
        TSessionSeam& seam = SessionSeam();
        seam.ExitWindowsEx = [this](UINT flags, DWORD reason) {
            R.ExitFlags.push_back(flags);
            R.ExitReasons.push_back(reason);
            return TRUE;
        };
        seam.OpenProcessToken = [this](HANDLE process, DWORD access, HANDLE* token) {
            ++R.TokenOpens;
            R.TokenAccess = access;
            if (FailAt == 1) {
                ::SetLastError(ERROR_ACCESS_DENIED);
                return FALSE;
            }
            return ::OpenProcessToken(process, access, token);
        };
        seam.LookupPrivilegeValue = [this](const wchar_t* systemName, const wchar_t* name, LUID* luid) {
            ++R.Lookups;
            R.SystemNameGiven = systemName != nullptr;
            R.PrivilegeName = name;
            if (FailAt == 2) {
                ::SetLastError(ERROR_NO_SUCH_PRIVILEGE);
                return FALSE;
            }
            BOOL ok = ::LookupPrivilegeValueW(systemName, name, luid);
            R.LookedUp = *luid;
            return ok;
        };
        // Never changes the test process's token.
        seam.AdjustTokenPrivileges = [this](HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* state, DWORD length,
                                            TOKEN_PRIVILEGES* previous, DWORD* returnLength) {
            ++R.Adjusts;
            R.DisableAll = disableAll;
            R.Adjusted = *state;
            R.PreviousStateAsked = length != 0 || previous != nullptr;
            R.ReturnLengthGiven = returnLength != nullptr;
            if (FailAt == 3) {
                ::SetLastError(ERROR_NOT_ALL_ASSIGNED);
                return TRUE;
            }
            if (FailAt == 4) {
                ::SetLastError(ERROR_INVALID_HANDLE);
                return FALSE;
            }
            ::SetLastError(ERROR_SUCCESS);
            return TRUE;
        };
        seam.WriteStdOutLine = [this](const std::wstring& line) {
            if (!Writable) return false;
            R.Lines.push_back(line);
            return true;
        };
    }
    void TearDown() override { FSeam.reset(); }

    TRecord R;
    int FailAt = 0;
    bool Writable = true;

private:
    std::optional<TScopedOverride<TSessionSeam>> FSeam;
};

TEST_F(SessionEnding, PassesTheTableFlagsAfterEnablingTheShutdownPrivilege) {
    ASSERT_EQ(SystemFacts().PlatformId, 2u);
    ExitWindowsSession(true, false, false, false);
    ExitWindowsSession(false, true, false, false);
    ExitWindowsSession(false, false, true, false);
    ExitWindowsSession(true, true, true, false);
    ExitWindowsSession(false, true, true, true);
    ExitWindowsSession(false, false, false, false);
    EXPECT_EQ(R.ExitFlags, (std::vector<UINT>{0x0, 0x2, 0x9, 0x0, 0x6, 0x1}));
    EXPECT_EQ(R.ExitReasons, std::vector<DWORD>(6, 0));
    EXPECT_TRUE(R.Lines.empty());
    EXPECT_EQ(R.TokenOpens, 4);  // a log-off needs no shutdown privilege
    EXPECT_EQ(R.TokenAccess, 0x28u);
    EXPECT_EQ(R.PrivilegeName, L"SeShutdownPrivilege");
    EXPECT_FALSE(R.SystemNameGiven);
    EXPECT_EQ(R.Adjusts, 4);
    EXPECT_FALSE(R.DisableAll);
    EXPECT_EQ(R.Adjusted.PrivilegeCount, 1u);
    EXPECT_EQ(R.Adjusted.Privileges[0].Attributes, static_cast<DWORD>(SE_PRIVILEGE_ENABLED));
    EXPECT_EQ(R.Adjusted.Privileges[0].Luid.LowPart, R.LookedUp.LowPart);
    EXPECT_EQ(R.Adjusted.Privileges[0].Luid.HighPart, R.LookedUp.HighPart);
    EXPECT_FALSE(R.PreviousStateAsked);
    EXPECT_TRUE(R.ReturnLengthGiven);
}

TEST_F(SessionEnding, ALogOffNeedsNoShutdownPrivilege) {
    // A user whose token refuses every privilege step, with no output to say so.
    Writable = false;
    for (int failAt : {1, 2, 3, 4}) {
        R = TRecord{};
        FailAt = failAt;
        EXPECT_NO_THROW(ExitWindowsSession(true, false, false, false)) << failAt;
        EXPECT_NO_THROW(ExitWindowsSession(true, false, false, true)) << failAt;
        EXPECT_EQ(R.ExitFlags, (std::vector<UINT>{0x0, 0x4})) << failAt;
        EXPECT_EQ(R.TokenOpens, 0) << failAt;
        EXPECT_TRUE(R.Lines.empty()) << failAt;
        // A reboot still asks for it, and still fails without it.
        EXPECT_ANY_THROW(ExitWindowsSession(false, true, false, false)) << failAt;
    }
}

TEST_F(SessionEnding, OutsideTheNtFamilyNoTokenIsOpened) {
    TSystemFacts win95 = SystemFacts();
    win95.PlatformId = 1;
    win95.MajorVersion = 4;
    {
        TScopedOverride facts(SystemFacts(), SetSystemFacts, win95);
        ExitWindowsSession(false, true, false, true);
    }
    EXPECT_EQ(R.ExitFlags, std::vector<UINT>{0x6});
    EXPECT_EQ(R.TokenOpens, 0);
    EXPECT_EQ(R.Adjusts, 0);
}

struct TFailure {
    int failAt;
    DWORD code;
    std::wstring line;
    int lookups, adjusts;
};

std::vector<TFailure> Failures() {
    return {
        {1, ERROR_ACCESS_DENIED,
         L"Cannot open process token. [" + SystemErrorText(ERROR_ACCESS_DENIED) + L"]", 0, 0},
        {2, ERROR_NO_SUCH_PRIVILEGE,
         L"Cannot find privilege value. [" + SystemErrorText(ERROR_NO_SUCH_PRIVILEGE) + L"]", 1, 0},
        {3, ERROR_NOT_ALL_ASSIGNED, L"Error adjusting process privileges.", 1, 1},
        {4, ERROR_INVALID_HANDLE, L"Error adjusting process privileges.", 1, 1},
    };
}

TEST_F(SessionEnding, WithAnOutputAFailedStepIsWrittenAndTheSessionStillEnds) {
    for (const TFailure& f : Failures()) {
        R = TRecord{};
        FailAt = f.failAt;
        ExitWindowsSession(false, false, true, false);
        EXPECT_EQ(R.Lines, std::vector<std::wstring>{f.line}) << f.failAt;
        EXPECT_EQ(R.ExitFlags, std::vector<UINT>{0x9}) << f.failAt;
        EXPECT_EQ(R.Lookups, f.lookups) << f.failAt;
        EXPECT_EQ(R.Adjusts, f.adjusts) << f.failAt;
    }
    // The system text keeps its own line break before the bracket.
    std::wstring text = SystemErrorText(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(Failures()[0].line.substr(Failures()[0].line.size() - text.size() - 1), text + L"]");
}

TEST_F(SessionEnding, WithoutAnOutputTheFailureItselfIsRaisedAndTheSessionStays) {
    Writable = false;
    for (const TFailure& f : Failures()) {
        R = TRecord{};
        FailAt = f.failAt;
        try {
            ExitWindowsSession(false, true, false, false);
            ADD_FAILURE() << "no error for step " << f.failAt;
        } catch (const EOSError& e) {
            EXPECT_EQ(e.Message(), f.line);
            EXPECT_EQ(e.ErrorCode(), f.code);
        }
        EXPECT_TRUE(R.ExitFlags.empty()) << f.failAt;
        EXPECT_EQ(R.Adjusts, f.adjusts) << f.failAt;
    }
}

// The platform's report line: written to whatever standard output the process has.
class StdOutRedirect {
public:
    explicit StdOutRedirect(HANDLE handle) : FSaved(::GetStdHandle(STD_OUTPUT_HANDLE)) {
        ::SetStdHandle(STD_OUTPUT_HANDLE, handle);
    }
    ~StdOutRedirect() { ::SetStdHandle(STD_OUTPUT_HANDLE, FSaved); }

private:
    HANDLE FSaved;
};

TEST(SessionReport, PlatformWriterNeedsAWritableStandardOutput) {
    auto write = PlatformSessionSeam().WriteStdOutLine;
    std::wstring dir = vtest::ScratchDirectory(L"sysout");
    std::wstring path = dir + L"\\out.txt";
    {
        unique_file_handle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                              CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(file);
        StdOutRedirect redirect(file.get());
        EXPECT_TRUE(write(L"Error adjusting process privileges."));
    }
    {
        unique_file_handle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file);
        char buffer[128] = {};
        DWORD read = 0;
        ASSERT_TRUE(::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr));
        EXPECT_EQ(std::string(buffer, read), "Error adjusting process privileges.\r\n");
        StdOutRedirect readOnly(file.get());
        EXPECT_FALSE(write(L"x"));  // open, but not for output
    }
    {
        StdOutRedirect none(nullptr);
        EXPECT_FALSE(write(L"x"));
    }
    ::DeleteFileW(path.c_str());
    ::RemoveDirectoryW(dir.c_str());
}

TEST(LastError, TextIsTheSystemsMessageForTheLastCode) {
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    std::wstring text = LastErrorText();
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text, SystemErrorText(ERROR_FILE_NOT_FOUND));
    ::SetLastError(0x2000FFFF);  // no message for it
    EXPECT_EQ(LastErrorText(), L"");
}

// ---- Minimising ----

LRESULT CALLBACK PlainWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

class Minimizing : public ::testing::Test {
protected:
    // One set of windows for all cases: without a window manager Wine waits
    // about two seconds for each visible window it destroys.
    static void SetUpTestSuite() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = PlainWndProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VtMinimizeTest";
        ::RegisterClassW(&wc);
        // The walk goes down the z order from its start window through every
        // window after it: as children of one host window of the test's own,
        // it minimises nothing but what the test made, also on a real desktop.
        Host = ::CreateWindowExW(0, wc.lpszClassName, L"vt-min-host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 600,
                                 400, nullptr, nullptr, wc.hInstance, nullptr);
        for (HWND* w : {&Bottom, &Middle, &Top, &Hidden}) {
            DWORD style = WS_CHILD | WS_OVERLAPPEDWINDOW | (w == &Hidden ? 0 : WS_VISIBLE);
            *w = ::CreateWindowExW(0, wc.lpszClassName, L"vt-min", style, 20, 20, 200, 120, Host, nullptr,
                                   wc.hInstance, nullptr);
        }
    }
    // The windows go with the process, for the same reason.
    static void TearDownTestSuite() {}

    void SetUp() override {
        ASSERT_TRUE(Bottom && Middle && Top && Hidden);
        // Z order from the top: Hidden, Top, Middle, Bottom; none minimised.
        for (HWND w : {Bottom, Middle, Top, Hidden}) {
            if (::IsIconic(w)) ::ShowWindow(w, SW_SHOWNOACTIVATE);
            ::SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        vtest::PumpMessages();
        ASSERT_EQ(Iconic(), (std::vector<bool>{false, false, false}));
        ASSERT_FALSE(::IsWindowVisible(Hidden));
        ASSERT_EQ(::GetWindow(Hidden, GW_HWNDNEXT), Top);
        ASSERT_EQ(::GetWindow(Top, GW_HWNDNEXT), Middle);
        ASSERT_EQ(::GetWindow(Middle, GW_HWNDNEXT), Bottom);
    }
    static std::vector<bool> Iconic() {
        return {::IsIconic(Top) != 0, ::IsIconic(Middle) != 0, ::IsIconic(Bottom) != 0};
    }

    static inline HWND Host = nullptr, Hidden = nullptr, Top = nullptr, Middle = nullptr, Bottom = nullptr;
};

TEST_F(Minimizing, WalksDownFromTheStartWindow) {
    MinimizeAllWindows(Middle);
    vtest::PumpMessages();
    EXPECT_EQ(Iconic(), (std::vector<bool>{false, true, true}));
}

TEST_F(Minimizing, SkipsAHiddenStartWindowAndGoesOnBelowIt) {
    MinimizeAllWindows(Hidden);
    vtest::PumpMessages();
    EXPECT_EQ(Iconic(), (std::vector<bool>{true, true, true}));
    EXPECT_FALSE(::IsWindowVisible(Hidden));
    EXPECT_FALSE(::IsIconic(Hidden));
}

TEST_F(Minimizing, ZeroStartWindowDoesNothing) {
    MinimizeAllWindows(nullptr);
    vtest::PumpMessages();
    EXPECT_EQ(Iconic(), (std::vector<bool>{false, false, false}));
}

} // namespace
} // namespace vtx
