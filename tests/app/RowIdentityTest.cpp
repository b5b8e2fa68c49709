// Each process row stands for its own process, named by ID and start time:
// two processes of one file, an ID that now names another process, a process
// this user cannot open, and the idle process's ID 0.
#include "app/AppFixture.h"
#include <cstring>
#include <functional>
#include "app/ListLogic.h"
#include "helpers/TestSupport.h"
#include "system/DynamicCalls.h"
#include "system/SystemLogic.h"
#include "system/VtxSysInfo.h"
#include "base/Handle.h"
#include "base/ScopedOverride.h"

using namespace vtest;

namespace {

int ModuleCountOf(DWORD pid) {
    vtx::TStringList list;
    return vtx::ListLoadedModules(list, pid, false) ? list.Count() : -1;
}

} // namespace

TEST_F(AppFixture, TwoProcessesOfOneFileListTheirOwnModulesAndEndAlone) {
    const std::wstring copy = CopyFileTo(HelperPath(), ScratchDirectory(L"twins"), L"vttwin.exe");
    ChildProcess few(copy, L"modules 2 60000", false);
    ChildProcess many(copy, L"modules 40 60000", false);
    ASSERT_TRUE(PumpUntil([&] { return ModuleCountOf(many.Id()) > ModuleCountOf(few.Id()) + 30; }, 10000));
    auto& main = Start();
    auto& modules = *Form().lsvModules;
    for (const ChildProcess* child : {&few, &many}) {
        const int row = RowOfProcess(child->Id());
        ASSERT_GE(row, 0);
        Form().lsvProcesses->SelectItem(row);
        EXPECT_EQ(main.SelectedProcessId(), static_cast<std::int32_t>(child->Id()));
        main.ShowProcessModules(nullptr);
        EXPECT_EQ(modules.ItemCount(), ModuleCountOf(child->Id())) << "the clicked process's own modules";
    }

    Form().lsvProcesses->SelectItem(RowOfProcess(few.Id()));
    main.TerminateSelectedProcess();
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Buttons, vtx::TMsgDlgButtons::mbYesNo);
    EXPECT_EQ(few.Wait(5000), 0u);
    EXPECT_TRUE(many.Running()) << "the other process of the file runs on";
    EXPECT_EQ(RowOfProcess(few.Id()), -1);
    EXPECT_GE(RowOfProcess(many.Id()), 0);
    EXPECT_EQ(main.Processes.Count(), Form().lsvProcesses->ItemCount());
}

TEST_F(AppFixture, ARowWhoseProcessEndedOrWhoseIdWasReusedIsLeftAlone) {
    ChildProcess child(HelperPath(), L"window RowIdentity 60000");
    HWND wnd = WaitForWindowOf(child.Id(), 5000);
    ASSERT_NE(wnd, nullptr);
    auto& main = Start();
    const int row = RowOfProcess(child.Id());
    ASSERT_GE(row, 0);
    vtx::TListRow& model = main.Processes.Row(row);
    ASSERT_NE(model.StartTime, 0u) << "the process records give start times";
    const std::uint64_t started = model.StartTime;
    // The row stands for an earlier process that had the child's ID.
    model.StartTime = started - 10000000;
    Form().lsvProcesses->SelectItem(row);

    main.TerminateSelectedProcess();
    ASSERT_EQ(Boxes.size(), 2u) << "the confirmation, then the refusal";
    EXPECT_EQ(Boxes[1].Text, L"Can not terminate VtHelper.");
    EXPECT_TRUE(child.Running());

    ::ShowWindow(wnd, SW_MINIMIZE);
    ASSERT_TRUE(PumpUntil([&] { return ::IsIconic(wnd) != FALSE; }, 2000));
    main.SwitchToProcess(nullptr);
    Pump(300);
    EXPECT_TRUE(::IsIconic(wnd)) << "switched to a process the row does not stand for";

    main.ShowProcessModules(nullptr);
    EXPECT_EQ(Form().lsvModules->ItemCount(), 0);

    // The row's own process: the same commands reach it.
    model.StartTime = started;
    main.ShowProcessModules(nullptr);
    EXPECT_GT(Form().lsvModules->ItemCount(), 0);
    main.SwitchToProcess(nullptr);
    EXPECT_TRUE(PumpUntil([&] { return !::IsIconic(wnd); }, 3000));

    // Ended: nothing is listed or terminated.
    child.Terminate();
    child.Wait(5000);
    main.ShowProcessModules(nullptr);
    EXPECT_EQ(Form().lsvModules->ItemCount(), 0);
    Boxes.clear();
    main.TerminateSelectedProcess();
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[1].Text, L"Can not terminate VtHelper.");
}

TEST_F(AppFixture, AProcessThatCannotBeOpenedIsNamedByTheKernelsAnswerOrByItsBareName) {
    const std::wstring copy = CopyFileTo(HelperPath(), ScratchDirectory(L"locked"), L"vtlocked.exe");
    ChildProcess locked(copy, L"locked 60000", false);
    ASSERT_TRUE(PumpUntil(
        [&] {
            vtx::unique_handle probe(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, locked.Id()));
            return !probe;
        },
        5000))
        << "the child's access list still lets this user in";
    ::SetCurrentDirectoryW(ExeDirectory().c_str());  // where a bare name could be found
    auto& main = Start();
    auto& list = *Form().lsvProcesses;

    // No class-88 answer (Wine has none): the records' bare name, nothing borrowed.
    int row = RowOfProcess(locked.Id());
    ASSERT_GE(row, 0);
    EXPECT_EQ(main.Processes.Row(row).FileName, L"vtlocked.exe");
    using vtx::TProcessColumn;
    EXPECT_EQ(Cell(row, TProcessColumn::Product), L"vtlocked.exe");
    for (TProcessColumn empty : {TProcessColumn::Company, TProcessColumn::Description, TProcessColumn::Version})
        EXPECT_EQ(Cell(row, empty), L"") << vtx::ColumnIndex(empty);
    EXPECT_EQ(Shown(row, TProcessColumn::Path), L"vtlocked.exe");
    EXPECT_EQ(main.Processes.Image(row), -1);
    list.SelectItem(row);
    main.ShowProcessModules(nullptr);
    EXPECT_EQ(Form().lsvModules->ItemCount(), 0);
    EXPECT_TRUE(Boxes.empty());

    // The kernel names the image by its volume device, as Windows does.
    wchar_t device[512] = {};
    ASSERT_NE(::QueryDosDeviceW(copy.substr(0, 2).c_str(), device, 512), 0u);
    const std::wstring ntPath = device + copy.substr(2);
    int asked = 0;
    vtx::TScopedOverride answer(vtx::dyn::SystemInformationSeam(),
                                [&](ULONG infoClass, void* buffer, ULONG length, ULONG* returned) -> LONG {
        if (infoClass != 88) return vtx::dyn::PlatformNtQuerySystemInformation(infoClass, buffer, length, returned);
        struct Info {
            HANDLE ProcessId;
            struct { USHORT Length; USHORT MaximumLength; PWSTR Buffer; } ImageName;
        };
        auto* info = static_cast<Info*>(buffer);
        if (length < sizeof(Info) || reinterpret_cast<ULONG_PTR>(info->ProcessId) != locked.Id())
            return static_cast<LONG>(0xC0000003);
        ++asked;
        const auto bytes = static_cast<USHORT>(ntPath.size() * sizeof(wchar_t));
        if (info->ImageName.MaximumLength < bytes) {
            info->ImageName.MaximumLength = bytes;
            return static_cast<LONG>(0xC0000004);
        }
        std::memcpy(info->ImageName.Buffer, ntPath.data(), bytes);
        info->ImageName.Length = bytes;
        return 0;
    });
    main.RefreshProcessList(nullptr);
    row = RowOfProcess(locked.Id());
    ASSERT_GE(row, 0);
    EXPECT_TRUE(vtx::FoldFileNameCase(Cell(row, TProcessColumn::Path)) == vtx::FoldFileNameCase(copy));
    EXPECT_GE(asked, 1) << "asked when the row was first read";
    EXPECT_EQ(Cell(row, TProcessColumn::Product), L"VtHelper");
    EXPECT_EQ(Cell(row, TProcessColumn::Company), L"Quelmar Test Lab");
    EXPECT_EQ(Cell(row, TProcessColumn::Version), L"1.2.3.4");
    EXPECT_GE(main.Processes.Image(row), 0) << "the file's own icon";
    // Kept under ID and start time like any other path.
    asked = 0;
    main.RefreshProcessList(nullptr);
    EXPECT_EQ(asked, 0);
    list.SelectItem(RowOfProcess(locked.Id()));
    main.ShowProcessModules(nullptr);
    EXPECT_EQ(Form().lsvModules->ItemCount(), 0) << "its memory cannot be read";
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(AppFixture, TheIdleProcessHasNoModules) {
    auto& main = Start();
    const int row = RowOfProcess(::GetCurrentProcessId());
    ASSERT_GE(row, 0);
    Form().lsvProcesses->SelectItem(row);
    main.ShowProcessModules(nullptr);
    ASSERT_GT(Form().lsvModules->ItemCount(), 0);
    // To the module snapshot, ID 0 means the calling process.
    main.Processes.Row(row).ProcessId = 0;
    main.ShowProcessModules(nullptr);
    EXPECT_EQ(Form().lsvModules->ItemCount(), 0);
}
