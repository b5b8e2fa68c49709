#include "app/ControllerMain.h"
#include <algorithm>
#include <memory>
#include <optional>
#include "app/ListLogic.h"
#include "app/ListRows.h"
#include "fileinfo/KbxFileInfoClasses.h"
#include "instances/VtxAppInst.h"
#include "system/DynamicCalls.h"
#include "system/SessionInfo.h"
#include "system/SystemActions.h"
#include "system/VtxSysInfo.h"
#include "toolkit/Application.h"
#include "toolkit/Clipboard.h"
#include "toolkit/Dialogs.h"
#include "base/Handle.h"

namespace vtx {

namespace {

// Reading ahead: a slice per timer tick, both lists' reads at most this long.
constexpr unsigned ReadAheadIntervalMs = 10;
constexpr std::uint32_t ReadAheadSliceMs = 15;

TProcessIdIndex IndexOf(const TStringList& processes) {
    // The same case rule as the enumeration's name matching.
    TProcessIdIndex index(FoldFileNameCase);
    for (const auto& entry : processes) index.Add(entry.Text, static_cast<std::uint32_t>(entry.Value));
    return index;
}

} // namespace

TCMain::TCMain()
    : Processes(*frmMain->lsvProcesses, *frmMain->ProcessIconList, ProcessColumnDesigns, TIconType::itFile, *frmMain),
      Modules(*frmMain->lsvModules, *frmMain->ModulleIconList, ModuleColumnDesigns, TIconType::itExtension,
              *frmMain) {
    TfrmMain& f = *frmMain;
    auto click = [this](TComponent* sender) { MenuItemClick(sender); };
    for (TMenuItem* item : {f.mniExit, f.mniShutdownprocess, f.mniMinimize, f.mniStartscreensaver, f.mniLogout,
                            f.mniReboot, f.mniShutdowncomputer, f.mniSwitch})
        FEvents.Attach(item->OnClick, click);
    FEvents.Attach(f.mniRefresh->OnClick, [this](TComponent* sender) { RefreshProcessList(sender); });
    FEvents.Attach(f.lsvProcesses->OnDblClick, [this](TComponent* sender) { SwitchToProcess(sender); });
    FEvents.Attach(f.lsvProcesses->OnClick, [this](TComponent* sender) { ShowProcessModules(sender); });
    FEvents.Attach(f.mniItems->OnClick, [this](TComponent* sender) { UpdateItemsMenu(sender); });
    for (int i = 0; i < ProcessColumnCount; ++i)
        FEvents.Attach(f.ItemEntry(i)->OnClick, [this](TComponent* sender) { ToggleProcessItem(sender); });
    for (TListView* list : {f.lsvProcesses.get(), f.lsvModules.get()})
        FEvents.Attach(list->OnCopy, [this](TComponent* sender) { CopyList(sender); });

    RefreshListTimer = RefreshPeriodTicks;
    UpdateTimer = std::make_unique<TTimer>();
    FReadAhead = std::make_unique<TTimer>();
    FReadAhead->SetInterval(ReadAheadIntervalMs);
    FReadAhead->SetOnTimer([this](TComponent* sender) { ReadAheadTimer(sender); });
    SeedColumnWidths(*f.lsvProcesses, CRegistry().ProcessItems);

    TStatusBar& bar = *f.stbStatus;
    bar.SetPanelText(spUser, L"User: " + LocalUserName());
    bar.SetPanelText(spComputer, L"Computer: " + LocalComputerName());
    FitTextPanel(spUser);
    FitTextPanel(spComputer);
    FEvents.Attach(f.OnDpiChanged,
                   [this](TComponent*, UINT oldDpi, UINT newDpi) { FormDpiChanged(oldDpi, newDpi); });
    FEvents.Attach(f.OnEndSession, [this](TComponent* sender) { SessionEnding(sender); });

    // A failing first tick is shown and the start goes on.
    try {
        UpdateTimerTimer(nullptr);
    } catch (...) {
        Application().HandleException(std::current_exception());
    }
    RefreshProcessList(nullptr);
}

TCMain::~TCMain() {
    CollectColumnWidths(*frmMain->lsvProcesses, CRegistry().ProcessItems);
    UpdateTimer.reset();
    FReadAhead.reset();
    // The window outlives the controller: nothing of it may call back here.
    FEvents.Detach();
}

void TCMain::MenuItemClick(TComponent* sender) {
    TfrmMain& f = *frmMain;
    auto endSession = [&](const wchar_t* what, bool logoff, bool reboot, bool powerOff) {
        if (MessageDlg(std::wstring(L"All unsaved data will be lost.\r\nContinue to ") + what + L"?",
                       TMsgDlgType::mtWarning, TMsgDlgButtons::mbOKCancel) != mrOk)
            return;
        ExitWindowsSession(logoff, reboot, powerOff, false);
        f.Close();
    };
    if (sender == f.mniExit) {
        f.Close();
    } else if (sender == f.mniShutdownprocess) {
        TerminateSelectedProcess();
    } else if (sender == f.mniMinimize) {
        MinimizeAllWindows(f.Handle());
    } else if (sender == f.mniStartscreensaver) {
        StartScreenSaver();
    } else if (sender == f.mniLogout) {
        endSession(L"logout", true, false, false);
    } else if (sender == f.mniSwitch) {
        SwitchToProcess(sender);
    } else if (sender == f.mniReboot) {
        endSession(L"reboot", false, true, false);
    } else if (sender == f.mniShutdowncomputer) {
        endSession(L"shutdown", false, false, true);
    }
}

void TCMain::FillListView(TListView& listView, TImageList&, const TStringList& list, bool isModuleList) {
    std::vector<TListRow> rows;
    rows.reserve(static_cast<size_t>(list.Count()));
    for (const auto& entry : list) {
        TListRow& row = rows.emplace_back();
        row.FileName = entry.Text;
        if (!isModuleList) row.ProcessId = static_cast<std::uint32_t>(entry.Value);
    }
    TListModel& model = &listView == frmMain->lsvModules.get() ? Modules : Processes;
    model.Assign(std::move(rows));
    FReadAhead->SetEnabled(true);
}

void TCMain::RefreshProcessList(TComponent*) {
    TfrmMain& f = *frmMain;
    TListView& processes = *f.lsvProcesses;
    TListView& modules = *f.lsvModules;
    UpdateTimer->SetEnabled(false);
    UpdateTimer->SetOnTimer(nullptr);
    processes.OnResize = nullptr;

    int selected = processes.SelectedIndex();
    ApplyColumnSettings(processes, modules, CRegistry().ProcessItems,
                        dyn::GetSystemMetricsForDpi(SM_CXVSCROLL, processes.Dpi()));

    // Rows only: a row's file is read when the row is first drawn or read.
    // The list keeps its count when it is the same (no scroll-bar work), and
    // the selection is set again below.
    {
        std::vector<TProcessEntry> entries;
        std::vector<TListRow> rows;
        // A new process's path too is asked when its row is first drawn or read.
        if (ListProcessEntries(entries, true, true)) {
            rows.reserve(entries.size());
            for (TProcessEntry& entry : entries) {
                TListRow& row = rows.emplace_back();
                row.FileName = std::move(entry.FileName);
                row.ProcessId = entry.Id;
                row.StartTime = entry.StartTime;
                row.PathPending = entry.PathPending;
            }
        }
        Processes.Assign(std::move(rows));
        FReadAhead->SetEnabled(true);
    }

    int row = std::min(selected, processes.ItemCount() - 1);
    if (row >= 0) processes.SelectItem(row);

    RefreshListTimer = RefreshPeriodTicks;
    FEvents.Attach(processes.OnResize, [this](TComponent* sender) { ProcessListResize(sender); });
    UpdateTimer->SetInterval(TickMs);
    UpdateTimer->SetOnTimer([this](TComponent* sender) { UpdateTimerTimer(sender); });
    UpdateTimer->SetEnabled(true);
}

void TCMain::TerminateSelectedProcess() {
    TListView& processes = *frmMain->lsvProcesses;
    if (processes.ItemFocused() < 0) return;
    std::int32_t id = SelectedProcessId();
    auto rowName = [&]() -> std::wstring {
        int row = processes.ItemFocused();
        return row >= 0 && row < Processes.Count() ? Processes.Text(row, TProcessColumn::Product) : L"";
    };
    auto cannot = [&] {
        MessageDlg(L"Can not terminate " + rowName() + L".", TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK);
    };
    if (id == -1) {
        cannot();
        return;
    }
    try {
        if (MessageDlg(L"Do you want to terminate " + rowName() + L"?\r\nPossible the system become instable or out of control.",
                       TMsgDlgType::mtWarning, TMsgDlgButtons::mbYesNo) != mrYes)
            return;
        // The row may be minutes old: its ID may since belong to another
        // process. The handle holds the ID while the start time is compared.
        const TListRow* row = FocusedProcessRow();
        const std::uint64_t startTime = row ? row->StartTime : 0;
        unique_handle process(
            ::OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id)));
        if (!process) process.reset(::OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(id)));
        if (process && ProcessHandleIs(process.get(), static_cast<std::uint32_t>(id), startTime) &&
            ::TerminateProcess(process.get(), 0)) {
            int focused = processes.ItemFocused();
            if (focused >= 0 && focused < Processes.Count()) Processes.Delete(focused);
        } else {
            cannot();
        }
    } catch (...) {
        cannot();
    }
}

void TCMain::UpdateTimerTimer(TComponent*) {
    TStatusBar& bar = *frmMain->stbStatus;
    std::uint8_t percent;
    try {
        percent = MemoryLoadPercent();
        FMemoryErrorShown = false;
    } catch (...) {
        // A query that keeps failing is shown once, not in a box every second.
        if (FMemoryErrorShown) return;
        FMemoryErrorShown = true;
        throw;
    }
    bar.SetPanelText(spMemory, L"Memory used: " + std::to_wstring(percent) + L"%");
    FitTextPanel(spMemory);
    bar.SetPanelText(spProcessCount, L"Process count: " + std::to_wstring(frmMain->lsvProcesses->ItemCount()));
    bar.SetPanelText(spUptime, L"Uptime: " + UptimeText());
    --RefreshListTimer;
    if (RefreshListTimer < 1) {
        // While a box waits for an answer the list is not rebuilt under it.
        if (OpenMessageBoxCount() > 0) {
            RefreshListTimer = 1;
            return;
        }
        RefreshListTimer = RefreshPeriodTicks;
        RefreshProcessList(nullptr);
    }
}

void TCMain::UpdateItemsMenu(TComponent*) {
    for (int i = 0; i < ProcessColumnCount; ++i)
        frmMain->ItemEntry(i)->SetChecked(CRegistry().ProcessItems[static_cast<size_t>(i)].Visible);
}

void TCMain::ToggleProcessItem(TComponent* sender) {
    auto* entry = dynamic_cast<TMenuItem*>(sender);
    if (!entry || entry->Tag < 0 || entry->Tag >= ProcessColumnCount) return;
    CRegistry().ProcessItems[static_cast<size_t>(entry->Tag)].Visible = !entry->Checked();
    RefreshProcessList(nullptr);
}

void TCMain::ProcessListResize(TComponent*) { RefreshListTimer = 1; }

void TCMain::FitTextPanel(int index) {
    TStatusBar& bar = *frmMain->stbStatus;
    bar.SetPanelWidth(index, bar.TextWidth(bar.PanelText(index)) + bar.Scale(10));
}

void TCMain::FormDpiChanged(UINT oldDpi, UINT newDpi) {
    // The lists scaled what they show; a hidden column's kept width follows.
    TProcessItems& items = CRegistry().ProcessItems;
    for (int i = 0; i < ProcessColumnCount; ++i) {
        TProcessItem& item = items[static_cast<size_t>(i)];
        if (frmMain->lsvProcesses->ColumnWidth(i) == 0)
            item.Width = ::MulDiv(item.Width, static_cast<int>(newDpi), static_cast<int>(oldDpi));
    }
    for (TStatusPanel panel : {spUser, spComputer, spMemory}) FitTextPanel(panel);
    // The window made its icon lists anew for the new size, and its font.
    Processes.ForgetImages();
    Modules.ForgetImages();
    Processes.FontChanged();
    Modules.FontChanged();
    RefreshListTimer = 1;
}

std::int32_t TCMain::SelectedProcessId() const {
    const TListRow* row = FocusedProcessRow();
    return row ? static_cast<std::int32_t>(row->ProcessId) : -1;
}

const TListRow* TCMain::FocusedProcessRow() const {
    const int row = frmMain->lsvProcesses->ItemFocused();
    return row >= 0 && row < Processes.Count() ? &Processes.Row(row) : nullptr;
}

void TCMain::ShowProcessModules(TComponent*) {
    TfrmMain& f = *frmMain;
    TStringList list;
    std::int32_t id = SelectedProcessId();
    const TListRow* row = FocusedProcessRow();
    // The list is emptied only when nothing replaces its rows: a count that
    // changes twice costs the list its scroll-bar work twice.
    if (id == -1 || !row || !ProcessStillRunning(row->ProcessId, row->StartTime) ||
        !ListLoadedModules(list, static_cast<std::uint32_t>(id), false)) {
        Modules.Clear();
        return;
    }
    // A module row shows no ID; it only goes into the cache item of a file
    // seen for the first time, so the table is read once, when such a file
    // is first read.
    auto index = std::make_shared<std::optional<TProcessIdIndex>>();
    Modules.ItemIdOf = [index](const TListRow& module) {
        if (!*index) {
            TStringList processes;
            if (!ListRunningProcesses(processes, true)) processes.Clear();
            *index = IndexOf(processes);
        }
        return ProcessIdText((*index)->Find(module.FileName));
    };
    FillListView(*f.lsvModules, *f.ModulleIconList, list, true);
}

void TCMain::ReadAheadTimer(TComponent*) {
    // The rows on screen were read as they were drawn; the others are read
    // in slices short enough that input never waits for long.
    const std::uint32_t until = ::GetTickCount() + ReadAheadSliceMs;
    const bool done = Processes.ReadAhead(until) && Modules.ReadAhead(until);
    if (done) FReadAhead->SetEnabled(false);
}

void TCMain::SessionEnding(TComponent*) {
    CollectColumnWidths(*frmMain->lsvProcesses, CRegistry().ProcessItems);
    CRegistry().FormSave(*frmMain);
    CRegistry().Save();
}

void TCMain::CopyList(TComponent* sender) {
    auto* list = dynamic_cast<TListView*>(sender);
    if (!list) return;
    const bool isModuleList = list == frmMain->lsvModules.get();
    TListModel& model = isModuleList ? Modules : Processes;
    const std::wstring text =
        model.TableText(ShownColumns(*list, CRegistry().ProcessItems, isModuleList), list->SelectedIndex());
    // No box: the count panel says it until the next tick renews it.
    if (!SetClipboardText(frmMain->Handle(), text))
        frmMain->stbStatus->SetPanelText(spProcessCount, L"Clipboard busy");
}

void TCMain::SwitchToProcess(TComponent*) {
    const TListRow* row = FocusedProcessRow();
    // A process that has ended, or whose ID another one now has: nothing to switch to.
    if (!row || !ProcessStillRunning(row->ProcessId, row->StartTime)) return;
    HWND wnd = MainWindowFromProcessId(row->ProcessId);
    TVtxAppInstances::BringAppWindowToFront(wnd);
}

} // namespace vtx
