#include "app/KbxControllerCustomMain.h"
#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"

namespace vtx {

TCCustomMain::TCCustomMain() {
    frmMain = static_cast<TfrmMain*>(Application().AdoptForm(std::make_unique<TfrmMain>()));
    frmMain->SetCaption(Application().Title());
    CRegistry().FormLoad(*frmMain);
}

TCCustomMain::~TCCustomMain() {
    try {
        CRegistry().FormSave(*frmMain);
    } catch (const std::exception& e) {
        Application().ShowException(e);
    }
    // Its destruction writes the column settings.
    FCRegistry.reset();
}

TCRegistry& TCCustomMain::CRegistry() {
    if (!FCRegistry) {
        FCRegistry = std::make_unique<TCRegistry>();
        ShowStoreReports(*FCRegistry);
    }
    return *FCRegistry;
}

void TCCustomMain::SetCRegistry(TCRegistry* value) {
    FCRegistry.release();
    FCRegistry.reset(value);
    if (value) ShowStoreReports(*value);
}

void TCCustomMain::ShowStoreReports(TCRegistry& store) {
    store.OnSaveError = [](const std::exception& e) { Application().ShowException(e); };
    if (!store.KeyOpened()) ShowMessage(TCRegistry::kRegistryReadError);
}

} // namespace vtx
