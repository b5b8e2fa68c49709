// Vantrel's entry: one instance per executable, then the main controller.
#include <windows.h>
#include <memory>
#include "app/ControllerMain.h"
#include "instances/VtxAppInst.h"
#include "toolkit/Application.h"
#include "toolkit/ComApartment.h"
#include "toolkit/Errors.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace vtx;
    // Before any shell call: module icons and links go through the shell.
    const TComApartment apartment;
    // The hidden application window exists first, so a later start finds it.
    Application().Initialize();
    try {
        GlobalAppInstances().CheckSingleInstance();
    } catch (...) {
        // The application's one error display, captioned with the title.
        Application().SetTitle(L"Vantrel");
        try {
            throw;
        } catch (const EVtxError& e) {
            Application().ShowException(e);
        } catch (...) {
            Application().ShowException(EVtxError(L"Vantrel could not start."));
        }
        return 1;
    }
    Application().SetTitle(L"Vantrel");
    {
        std::unique_ptr<TCMain> controller;
        try {
            controller = std::make_unique<TCMain>();
            Application().Run();
        } catch (...) {
            Application().HandleException(std::current_exception());
        }
        controller.reset();
    }
    Application().DestroyForms();
    DestroyGlobalAppInstances();
    return 0;
}
