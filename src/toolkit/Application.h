// The application object: title, the hidden "TApplication" window that other
// instances find, the main form, the message loop and the error display.
#pragma once
#include <windows.h>
#include <exception>
#include <memory>
#include <string>
#include <vector>
#include "base/Handle.h"

namespace vtx {

class TForm;

class TApplication {
public:
    TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;
    ~TApplication();

    // Registers the window classes and creates the hidden application window.
    void Initialize();
    HWND Handle() const noexcept { return FHandle.get(); }
    HINSTANCE Instance() const noexcept { return FInstance; }

    const std::wstring& Title() const noexcept { return FTitle; }
    void SetTitle(const std::wstring& title);

    TForm* MainForm() const noexcept { return FMainForm; }
    // The first form made becomes the main form; closing it ends Run.
    void RegisterForm(TForm* form) noexcept;
    void UnregisterForm(TForm* form) noexcept;
    // The application owns the forms given to it and frees them, last first,
    // in DestroyForms (after the controller is gone).
    TForm* AdoptForm(std::unique_ptr<TForm> form);
    void DestroyForms() noexcept;

    // Shows the main form and runs the message loop until it closes.
    void Run();
    // Handles every pending message, then returns.
    void ProcessMessages();
    // Waits for the next message and handles it (and any others pending).
    void HandleMessage();
    void Terminate() noexcept;
    bool Terminated() const noexcept { return FTerminated; }

    // The error display: a modal box captioned with the title, error icon, OK.
    void ShowException(const std::exception& error) noexcept;
    void HandleException(std::exception_ptr error) noexcept;

private:
    bool ProcessMessage(MSG& msg);
    bool PreviewKey(MSG& msg);
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;

    HINSTANCE FInstance = nullptr;
    // Declared before the forms, so it outlives them: they are its owned windows.
    unique_hwnd FHandle;
    std::wstring FTitle;
    TForm* FMainForm = nullptr;
    std::vector<std::unique_ptr<TForm>> FForms;
    bool FTerminated = false;
};

// The one application object of the process.
TApplication& Application();

} // namespace vtx
