// Vantrel's entry: one instance per executable, then the main controller.
#include <windows.h>
#include <memory>
#include "app/ControllerMain.h"
#include "instances/VtxAppInst.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace vtx;
    // The hidden application window exists first, so a later start finds it.
    Application().Initialize();
    try {
        GlobalAppInstances().CheckSingleInstance();
    } catch (const std::exception& e) {
        // No window exists yet to show it in.
        const auto* error = dynamic_cast<const EVtxError*>(&e);
        std::wstring text = error ? error->Message() : std::wstring(L"Vantrel could not start.");
        ::MessageBoxW(nullptr, WithFinalPeriod(text).c_str(), L"Vantrel", MB_OK | MB_ICONERROR);
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
