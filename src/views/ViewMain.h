// The main window: the process list above a splitter, the module list below,
// the status bar, the main menu and the process list's popup menu.
#pragma once
#include <memory>
#include <vector>
#include "settings/ProcessColumns.h"
#include "toolkit/Form.h"
#include "toolkit/ImageList.h"
#include "toolkit/ListView.h"
#include "toolkit/Menu.h"
#include "toolkit/Splitter.h"
#include "toolkit/StatusBar.h"

namespace vtx {

// The status bar's panels, by index.
enum TStatusPanel : int { spUser, spComputer, spMemory, spProcessCount, spUptime };

class TfrmMain : public TForm {
public:
    TfrmMain();
    ~TfrmMain() override;

    // Components, in the order the form declares them. Menu items are owned
    // by their menus; the pointers stay valid for the form's life.
    std::unique_ptr<TListView> lsvProcesses;
    std::unique_ptr<TMainMenu> mmMain;
    TMenuItem* mniFile = nullptr;
    TMenuItem* mniAbout = nullptr;
    std::unique_ptr<TStatusBar> stbStatus;
    TMenuItem* mniDesktop = nullptr;
    TMenuItem* mniSystem = nullptr;
    TMenuItem* mniMinimize = nullptr;
    TMenuItem* mniStartscreensaver = nullptr;
    TMenuItem* mniExit = nullptr;
    TMenuItem* mniLogout = nullptr;
    TMenuItem* mniReboot = nullptr;
    TMenuItem* mniShutdowncomputer = nullptr;
    std::unique_ptr<TPopupMenu> popProcess;
    TMenuItem* mniRefresh = nullptr;
    TMenuItem* mniShutdownprocess = nullptr;
    TMenuItem* mniSwitch = nullptr;
    TMenuItem* mniItems = nullptr;
    TMenuItem* N1 = nullptr;
    std::unique_ptr<TImageList> ProcessIconList;
    std::unique_ptr<TSplitter> Splitter1;
    std::unique_ptr<TListView> lsvModules;
    std::unique_ptr<TImageList> ModulleIconList;

    // The Items entries by column index (mniItem0, mniItem1, ...), one per
    // column of the column table.
    TMenuItem* ItemEntry(int index) const;
    TMenuItem* ItemEntry(TProcessColumn column) const { return ItemEntry(ColumnIndex(column)); }

    void mniAboutClick(TComponent* sender);

    // Also makes both icon lists anew at the icon size of the new dpi, empty:
    // whoever filled the lists sets the rows' images again.
    void ScaleForDpi(UINT oldDpi, UINT newDpi) override;

private:
    std::vector<TMenuItem*> FItemEntries;
};

} // namespace vtx
