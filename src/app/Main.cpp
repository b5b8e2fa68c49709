// Vantrel's entry: one instance per executable, then the main controller.
#include <windows.h>
#include <memory>
#include "app/ControllerMain.h"
#include "instances/VtxAppInst.h"
#include "toolkit/Application.h"
#include "toolkit/ComApartment.h"
#include "base/Errors.h"

namespace {

// The application's one error display, captioned with the title; the start ends with 1.
int StartFailed(const vtx::EVtxError* error) {
    using namespace vtx;
    Application().SetTitle(L"Vantrel");
    if (error)
        Application().ShowException(*error);
    else
        Application().ShowException(EVtxError(L"Vantrel could not start."));
    return 1;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace vtx;
    // Before any shell call: module icons and links go through the shell.
    const TComApartment apartment;
    // The hidden application window exists first, so a later start finds it.
    Application().Initialize();
    try {
        GlobalAppInstances().CheckSingleInstance();
    } catch (const EVtxError& e) {
        // Objects of an elevated copy (or of another account) that this
        // process may not use: without them the check cannot run, and a
        // second window is the lesser harm than no window at all.
        if (!IsInstanceAccessDenied(e)) return StartFailed(&e);
    } catch (...) {
        return StartFailed(nullptr);
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
