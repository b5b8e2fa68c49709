#include "app/AppFixture.h"
#include <atomic>
#include <thread>
#include "app/ListLogic.h"
#include "helpers/TestSupport.h"
#include "system/SystemActions.h"
#include "base/Errors.h"
#include "base/Handle.h"
#include "base/ScopedOverride.h"

using namespace vtest;
using vtx::mrCancel;
using vtx::mrNo;
using vtx::mrOk;
using vtx::mrYes;

namespace {

// Focuses a row as a click would and returns it.
int Focus(vtx::TfrmMain& form, int row) {
    form.lsvProcesses->SelectItem(row);
    return row;
}


} // namespace

TEST_F(AppFixture, TerminatingAChildAfterYesEndsItAndRemovesItsRowAtOnce) {
    std::wstring dir = ScratchDirectory(L"terminate");
    ChildProcess child(CopyFileTo(HelperPath(), dir, L"vtvictim.exe"), L"sleep 60000");
    auto& main = Start();
    int rows = Form().lsvProcesses->ItemCount();
    int row = Focus(Form(), RowOfProcess(child.Id()));
    ASSERT_GE(row, 0);

    Answers = {mrNo};
    main.MenuItemClick(Form().mniShutdownprocess);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, L"Do you want to terminate VtHelper?\r\nPossible the system become instable or out of control.");
    EXPECT_EQ(Boxes[0].Caption, L"Warning");
    EXPECT_EQ(Boxes[0].Buttons, vtx::TMsgDlgButtons::mbYesNo);
    EXPECT_TRUE(child.Running());

    Answers = {mrYes};
    main.MenuItemClick(Form().mniShutdownprocess);
    EXPECT_EQ(child.Wait(5000), 0u);
    EXPECT_EQ(Form().lsvProcesses->ItemCount(), rows - 1);
    EXPECT_EQ(RowOfProcess(child.Id()), -1);
    EXPECT_EQ(Boxes.size(), 2u);
    main.UpdateTimerTimer(nullptr);
    EXPECT_EQ(Form().stbStatus->PanelText(3), L"Process count: " + std::to_wstring(rows - 1));
}

TEST_F(AppFixture, ProcessesThatCannotBeTerminatedSayWhyAndKeepTheirRow) {
    auto& main = Start();
    auto& list = *Form().lsvProcesses;
    int rows = list.ItemCount();
    // A process that has ended (its ID is no longer in use) cannot be opened.
    main.Processes.Row(1) = vtx::TListRow{HelperPath(), 0x7FFFFFF0};  // its Process column: VtHelper
    Focus(Form(), 1);

    main.MenuItemClick(Form().mniShutdownprocess);
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[1].Text, L"Can not terminate VtHelper.");
    EXPECT_EQ(Boxes[1].Caption, L"Information");
    EXPECT_EQ(list.ItemCount(), rows);

    // No usable ID: the box comes without a question.
    main.Processes.Row(0) = vtx::TListRow{L"C:\\", 0xFFFFFFFF};  // an empty Process column
    Focus(Form(), 0);
    Boxes.clear();
    main.MenuItemClick(Form().mniShutdownprocess);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, L"Can not terminate .");
    EXPECT_EQ(list.ItemCount(), rows);

    // No focused row: nothing at all.
    list.Clear();
    Boxes.clear();
    main.MenuItemClick(Form().mniShutdownprocess);
    main.MenuItemClick(Form().mniSwitch);
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(AppFixture, TheRowConfirmedIsTheRowRemovedEvenWhenTheTimerFiresMeanwhile) {
    std::wstring dir = ScratchDirectory(L"held");
    ChildProcess child(CopyFileTo(HelperPath(), dir, L"vtheld.exe"), L"sleep 60000");
    auto& main = Start();
    Focus(Form(), RowOfProcess(child.Id()));
    main.RefreshListTimer = 1;
    bool refreshedDuringBox = false;
    vtx::MessageBoxSeam() = [&](const vtx::TMessageBoxRequest& request) {
        Boxes.push_back(request);
        main.Processes.Row(0).FileName = L"marker";
        main.UpdateTimerTimer(nullptr);  // a tick while the question is open
        refreshedDuringBox = main.Processes.Row(0).FileName != L"marker";
        return static_cast<int>(mrYes);
    };
    main.MenuItemClick(Form().mniShutdownprocess);
    EXPECT_FALSE(refreshedDuringBox);
    EXPECT_EQ(child.Wait(5000), 0u);
    EXPECT_EQ(RowOfProcess(child.Id()), -1);
    EXPECT_EQ(main.RefreshListTimer, 1);  // the refresh comes at the next tick
}

TEST_F(AppFixture, SwitchToProcessBringsAChildWindowForward) {
    std::wstring dir = ScratchDirectory(L"switch");
    ChildProcess windowed(CopyFileTo(HelperPath(), dir, L"vtwin.exe"), L"window SwitchTarget 60000");
    ChildProcess silent(CopyFileTo(HelperPath(), dir, L"vtquiet.exe"), L"sleep 60000");
    HWND target = WaitForWindowOf(windowed.Id(), 5000);
    ASSERT_NE(target, nullptr);
    auto& main = Start();
    ::SetForegroundWindow(Form().Handle());
    Pump(50);
    Focus(Form(), RowOfProcess(silent.Id()));
    main.MenuItemClick(Form().mniSwitch);
    Pump(50);
    EXPECT_EQ(::GetForegroundWindow(), Form().Handle());
    Focus(Form(), RowOfProcess(windowed.Id()));
    main.SwitchToProcess(Form().lsvProcesses.get());
    Pump(50);
    EXPECT_EQ(::GetForegroundWindow(), target);
}

TEST_F(AppFixture, SwitchingToAHungProgramDoesNotStopVantrel) {
    std::wstring dir = ScratchDirectory(L"hung");
    ChildProcess hung(CopyFileTo(HelperPath(), dir, L"vthung.exe"), L"hung HungTarget 120000", false);
    HWND target = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (HWND wnd : WindowsOfProcess(hung.Id()))
                if (::IsIconic(wnd)) target = wnd;
            return target != nullptr;
        },
        20000));
    auto& main = Start();
    ASSERT_GE(Focus(Form(), RowOfProcess(hung.Id())), 0);

    // Ends the child if the command hangs, so a fault fails the test instead of stalling it.
    vtx::unique_handle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<bool> rescued{false};
    std::thread watchdog([&] {
        if (::WaitForSingleObject(done.get(), 10000) == WAIT_TIMEOUT) {
            rescued = true;
            ::TerminateProcess(hung.Handle(), 1);
        }
    });
    main.MenuItemClick(Form().mniSwitch);
    ::SetEvent(done.get());
    watchdog.join();
    ASSERT_FALSE(rescued) << "\"&Switch to process\" waits for a program that does not answer";
    EXPECT_TRUE(hung.Running());
    EXPECT_TRUE(::IsIconic(target)) << "the child was not hung after all";
    // The controller goes on: its next tick runs.
    main.UpdateTimerTimer(nullptr);
    Pump(50);
    EXPECT_EQ(Form().stbStatus->PanelText(3).rfind(L"Process count: ", 0), 0u);
}

TEST_F(AppFixture, EndingTheSessionAsksFirstPassesOneFlagAndClosesTheWindow) {
    std::vector<UINT> flags;
    vtx::TScopedOverride exitSeam(vtx::SessionSeam().ExitWindowsEx, [&flags](UINT f, DWORD) {
        flags.push_back(f);
        return TRUE;
    });
    struct Case { const wchar_t* text; UINT flags; };
    const Case cases[] = {{L"All unsaved data will be lost.\r\nContinue to logout?", 0x0},
                          {L"All unsaved data will be lost.\r\nContinue to reboot?", 0x2},
                          {L"All unsaved data will be lost.\r\nContinue to shutdown?", 0x9}};
    for (int i = 0; i < 3; ++i) {
        auto& main = Start();
        vtx::TMenuItem* items[3] = {Form().mniLogout, Form().mniReboot, Form().mniShutdowncomputer};
        Boxes.clear();
        Answers = {mrCancel};
        main.MenuItemClick(items[i]);
        EXPECT_TRUE(flags.empty());
        EXPECT_TRUE(::IsWindowVisible(Form().Handle()));
        Form().lsvProcesses->SetColumnWidth(1, 111 + i);
        Answers = {mrOk};
        main.MenuItemClick(items[i]);
        ASSERT_EQ(Boxes.size(), 2u);
        EXPECT_EQ(Boxes[1].Text, cases[i].text);
        EXPECT_EQ(Boxes[1].Caption, L"Warning");
        EXPECT_EQ(Boxes[1].Buttons, vtx::TMsgDlgButtons::mbOKCancel);
        ASSERT_EQ(flags.size(), 1u);
        EXPECT_EQ(flags[0], cases[i].flags);
        EXPECT_FALSE(::IsWindowVisible(Form().Handle()));
        Stop();
        std::wstring width;
        ASSERT_TRUE(ReadTestValue(Title, L"Items", L"1width", width));
        EXPECT_EQ(width, std::to_wstring(111 + i));
        flags.clear();
    }
    // An error keeps the window open and reaches the error display.
    vtx::SessionSeam().ExitWindowsEx = [](UINT, DWORD) -> BOOL { throw vtx::EVtxError(L"Session refused"); };
    Start();
    Boxes.clear();
    vtx::FireEvent(Form().mniReboot->OnClick, Form().mniReboot);
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[1].Text, L"Session refused.");
    EXPECT_TRUE(::IsWindowVisible(Form().Handle()));
}

TEST_F(AppFixture, MinimiseAllReachesTheMainWindow) {
    auto& main = Start();
    main.MenuItemClick(Form().mniMinimize);
    for (int i = 0; i < 50 && !::IsIconic(Form().Handle()); ++i) Pump(20);
    EXPECT_TRUE(::IsIconic(Form().Handle()));
}
