// The controller base: the main window and the settings object, and the
// main window's placement restored at start and stored at the end.
#pragma once
#include <memory>
#include "settings/ControllerRegistry.h"
#include "views/ViewMain.h"

namespace vtx {

class TCCustomMain {
public:
    TCCustomMain();
    TCCustomMain(const TCCustomMain&) = delete;
    TCCustomMain& operator=(const TCCustomMain&) = delete;
    virtual ~TCCustomMain();

    // Created on the first read: the key opened and the column settings loaded.
    TCRegistry& CRegistry();
    // Stores the given object and frees nothing; the controller shows its reports.
    void SetCRegistry(TCRegistry* value);

    // Owned by the application object, which frees it after the controller.
    TfrmMain* frmMain = nullptr;

private:
    // Shows what the store reports: a key it could not open, an error of its final write.
    static void ShowStoreReports(TCRegistry& store);

    std::unique_ptr<TCRegistry> FCRegistry;
};

} // namespace vtx
