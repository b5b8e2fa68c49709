#include "views/ViewMain.h"
#include <utility>
#include "settings/ProcessColumns.h"
#include "toolkit/Dpi.h"
#include "views/KbxViewAbout.h"

namespace vtx {

namespace {
std::unique_ptr<TMenuItem> Item(const wchar_t* name, const wchar_t* caption, std::intptr_t tag = 0) {
    return std::make_unique<TMenuItem>(name, caption, tag);
}
} // namespace

TfrmMain::TfrmMain() : TForm(L"TfrmMain", TBorderStyle::bsSizeable, 65, 55, 913, 612) {
    Name = L"frmMain";
    SetCaption(L"frmMain");

    // Bottom-aligned controls are laid out from the bottom edge upwards in the
    // order they are made.
    stbStatus = std::make_unique<TStatusBar>(this, L"stbStatus", 19);
    stbStatus->SetAlign(TAlign::alBottom);
    stbStatus->AddPanel(100, L"User:");
    stbStatus->AddPanel(100, L"Computer:");
    stbStatus->AddPanel(100, L"Domain:");
    stbStatus->AddPanel(100, L"Processes:");
    stbStatus->AddPanel(200, L"Uptime:");

    lsvModules = std::make_unique<TListView>(this, L"lsvModules", false);
    lsvModules->Hint = L"Modules loaded by selected process";
    lsvModules->SetHeight(Scale(147));
    lsvModules->SetAlign(TAlign::alBottom);
    for (const TColumnDesign& c : ModuleColumnDesigns) lsvModules->AddColumn(c.Caption, c.Width, c.MaxWidth, c.MinWidth, c.Fill);

    Splitter1 = std::make_unique<TSplitter>(this, L"Splitter1", 3);
    Splitter1->SetAlign(TAlign::alBottom);

    lsvProcesses = std::make_unique<TListView>(this, L"lsvProcesses", true);
    lsvProcesses->Hint = L"Currently running processes";
    lsvProcesses->SetAlign(TAlign::alClient);
    for (const TColumnDesign& c : ProcessColumnDesigns)
        lsvProcesses->AddColumn(c.Caption, c.Width, c.MaxWidth, c.MinWidth, c.Fill);
    ::SetWindowPos(lsvProcesses->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Splitter1->Resized = lsvModules.get();
    Splitter1->Above = lsvProcesses.get();

    ProcessIconList = std::make_unique<TImageList>(Scale(16));
    ProcessIconList->Name = L"ProcessIconList";
    ModulleIconList = std::make_unique<TImageList>(Scale(16));
    ModulleIconList->Name = L"ModulleIconList";
    lsvProcesses->SetSmallImages(ProcessIconList.get());
    lsvModules->SetSmallImages(ModulleIconList.get());

    mmMain = std::make_unique<TMainMenu>();
    mmMain->Name = L"mmMain";
    mniFile = mmMain->Add(Item(L"mniFile", L"&File"));
    mniExit = mniFile->Add(Item(L"mniExit", L"E&xit"));
    mniDesktop = mmMain->Add(Item(L"mniDesktop", L"&Desktop"));
    mniStartscreensaver = mniDesktop->Add(Item(L"mniStartscreensaver", L"&Start screensaver"));
    mniMinimize = mniDesktop->Add(Item(L"mniMinimize", L"&Minimize all windows"));
    mniSystem = mmMain->Add(Item(L"mniSystem", L"&System"));
    mniLogout = mniSystem->Add(Item(L"mniLogout", L"&Logout Windows user"));
    mniReboot = mniSystem->Add(Item(L"mniReboot", L"&Reboot computer"));
    mniShutdowncomputer = mniSystem->Add(Item(L"mniShutdowncomputer", L"&Shutdown computer"));
    mniAbout = mmMain->Add(Item(L"mniAbout", L"&About"));
    mmMain->Build();
    SetMenu(mmMain.get());

    popProcess = std::make_unique<TPopupMenu>();
    popProcess->Name = L"popProcess";
    mniSwitch = popProcess->Add(Item(L"mniSwitch", L"&Switch to process"));
    mniShutdownprocess = popProcess->Add(Item(L"mniShutdownprocess", L"Shut&down process"));
    N1 = popProcess->Add(Item(L"N1", L"-"));
    mniRefresh = popProcess->Add(Item(L"mniRefresh", L"&Refresh screen"));
    mniItems = popProcess->Add(Item(L"mniItems", L"&Items"));
    // One entry per column of the table; each entry's tag is the column it shows or hides.
    for (int i = 0; i < ProcessColumnCount; ++i) {
        const TColumnDesign& column = ProcessColumnDesigns[static_cast<size_t>(i)];
        TMenuItem* entry = mniItems->Add(Item((L"mniItem" + std::to_wstring(i)).c_str(), column.ItemsEntry, i));
        entry->SetChecked(column.VisibleAtFirst);
        FItemEntries.push_back(entry);
    }
    popProcess->Build();
    lsvProcesses->PopupMenu = popProcess.get();

    mniAbout->OnClick = [this](TComponent* sender) { mniAboutClick(sender); };
    ApplyFontToChildren();
    Realign();
}

TfrmMain::~TfrmMain() {
    // The menu bar belongs to mmMain, not to the window.
    SetMenu(nullptr);
    // The window and its child windows go first, so the components can then go
    // in any order: each control is left with a null handle, and the image
    // lists outlive the lists that show them.
    DestroyHandle();
}

TMenuItem* TfrmMain::ItemEntry(int index) const {
    return index >= 0 && static_cast<size_t>(index) < FItemEntries.size() ? FItemEntries[static_cast<size_t>(index)]
                                                                         : nullptr;
}

void TfrmMain::mniAboutClick(TComponent*) { ShowAboutBox(2002); }

void TfrmMain::ScaleForDpi(UINT oldDpi, UINT newDpi) {
    TForm::ScaleForDpi(oldDpi, newDpi);
    // Icons made for the new size, not stretched from the old one.
    const int size = ScaleToDpi(16, newDpi);
    for (auto [list, images] : {std::pair{lsvProcesses.get(), ProcessIconList.get()},
                                std::pair{lsvModules.get(), ModulleIconList.get()}}) {
        if (images->IconSize() == size) continue;
        images->SetIconSize(size);
        // Through none and back: the list measures its rows for the new size
        // whatever it makes of being handed the same list again.
        list->SetSmallImages(nullptr);
        list->SetSmallImages(images);
    }
}

} // namespace vtx
