// The main controller: wires the main window's menus and lists, owns the
// one-second timer, fills the lists and the status bar, runs the commands.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include "app/KbxControllerCustomMain.h"
#include "app/ListModel.h"
#include "app/ListRows.h"
#include "settings/ProcessColumns.h"
#include "base/StringList.h"
#include "toolkit/Events.h"
#include "toolkit/Timer.h"

namespace vtx {

// The status bar's timer ticks once a second; the process list is rebuilt
// every RefreshPeriodTicks ticks.
constexpr unsigned TickMs = 1000;
constexpr int RefreshPeriodTicks = 600;

class TCMain : public TCCustomMain {
public:
    TCMain();
    ~TCMain() override;

    // Seconds left until the next automatic refresh.
    std::int32_t RefreshListTimer = RefreshPeriodTicks;
    std::unique_ptr<TTimer> UpdateTimer;
    // The rows of the two lists, in the lists' order.
    TListModel Processes;
    TListModel Modules;

    void MenuItemClick(TComponent* sender);
    void FillListView(TListView& listView, TImageList& imageList, const TStringList& list, bool isModuleList);
    void RefreshProcessList(TComponent* sender);
    void TerminateSelectedProcess();
    void UpdateTimerTimer(TComponent* sender);
    void UpdateItemsMenu(TComponent* sender);
    void ToggleProcessItem(TComponent* sender);
    void ProcessListResize(TComponent* sender);
    std::int32_t SelectedProcessId() const;
    void ShowProcessModules(TComponent* sender);
    void SwitchToProcess(TComponent* sender);
    // Writes what the end of the run writes: the session is ending, and the
    // process may not see the end of its message loop.
    void SessionEnding(TComponent* sender);
    // Ctrl+C in either list: the list as a table on the clipboard.
    void CopyList(TComponent* sender);

private:
    // A text panel's width: its text's width and a margin.
    void FitTextPanel(int index);
    void FormDpiChanged(UINT oldDpi, UINT newDpi);
    // Reads the files of rows not yet drawn, in slices between input.
    void ReadAheadTimer(TComponent* sender);
    std::unique_ptr<TTimer> FReadAhead;
    // The focused process row's own process; nullptr when no row has the focus.
    const TListRow* FocusedProcessRow() const;
    bool FMemoryErrorShown = false;
    // The handlers attached to the window's events; the window outlives the
    // controller. Last, so a constructor that fails detaches them first.
    TEventConnections FEvents;
};

} // namespace vtx
