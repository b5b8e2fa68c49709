#include "toolkit/Application.h"
#include <commctrl.h>
#include "base/Errors.h"
#include "toolkit/Events.h"
#include "toolkit/Form.h"
#include "toolkit/Timer.h"

namespace vtx {

int ShowErrorBox(const std::wstring& text, const std::wstring& caption);

TApplication& Application() {
    static TApplication app;
    return app;
}

TApplication::TApplication() : FInstance(::GetModuleHandleW(nullptr)) {}

// The forms go last first; the hidden window (a member) after them.
TApplication::~TApplication() { DestroyForms(); }

TForm* TApplication::AdoptForm(std::unique_ptr<TForm> form) {
    FForms.push_back(std::move(form));
    return FForms.back().get();
}

void TApplication::DestroyForms() noexcept {
    while (!FForms.empty()) FForms.pop_back();
}

void TApplication::Initialize() {
    if (FHandle) return;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&icc);
    WNDCLASSW wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = FInstance;
    wc.lpszClassName = L"TApplication";
    wc.hIcon = ::LoadIconW(FInstance, MAKEINTRESOURCEW(1));
    ::RegisterClassW(&wc);
    // Hidden for the whole run; another instance finds and activates it.
    FHandle.reset(::CreateWindowExW(0, wc.lpszClassName, FTitle.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0,
                                    0, 0, nullptr, nullptr, FInstance, nullptr));
}

void TApplication::SetTitle(const std::wstring& title) {
    FTitle = title;
    if (FHandle) ::SetWindowTextW(FHandle.get(), title.c_str());
}

void TApplication::RegisterForm(TForm* form) noexcept {
    if (!FMainForm) FMainForm = form;
}

void TApplication::UnregisterForm(TForm* form) noexcept {
    if (FMainForm == form) FMainForm = nullptr;
}

void TApplication::Run() {
    if (FMainForm) FMainForm->Show();
    while (!FTerminated) HandleMessage();
}

void TApplication::HandleMessage() {
    MSG msg;
    BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
        FTerminated = true;
        return;
    }
    ProcessMessage(msg);
    ProcessMessages();
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (!FTerminated && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            FTerminated = true;
            break;
        }
        ProcessMessage(msg);
    }
}

void TApplication::Terminate() noexcept {
    if (!FTerminated) ::PostQuitMessage(0);
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (PreviewKey(msg)) return true;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
    return true;
}

// Forms with KeyPreview see typed characters before their focused control.
bool TApplication::PreviewKey(MSG& msg) {
    if (msg.message != WM_CHAR || !msg.hwnd) return false;
    auto* form = dynamic_cast<TForm*>(TControl::FromHandle(::GetAncestor(msg.hwnd, GA_ROOT)));
    if (!form || !form->KeyPreview || !form->OnKeyPress) return false;
    wchar_t key = static_cast<wchar_t>(msg.wParam);
    FireEvent(form->OnKeyPress, form, key);
    if (key == 0) return true;
    msg.wParam = key;
    return false;
}

void TApplication::ShowException(const std::exception& error) noexcept {
    try {
        std::wstring text;
        if (auto* vtxError = dynamic_cast<const EVtxError*>(&error)) {
            text = vtxError->Message();
        } else {
            std::string narrow = error.what();
            text.assign(narrow.begin(), narrow.end());
        }
        ShowErrorBox(WithFinalPeriod(text), FTitle);
    } catch (...) {
    }
}

void TApplication::HandleException(std::exception_ptr error) noexcept {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        ShowException(e);
    } catch (...) {
        ShowException(EVtxError(L"Unknown error"));
    }
}

void ReportCaughtException() noexcept { Application().HandleException(std::current_exception()); }

LRESULT CALLBACK TApplication::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    try {
        TApplication& app = Application();
        switch (msg) {
        case WM_TIMER:
            if (DispatchTimer(wp)) return 0;
            break;
        case WM_SYSCOMMAND:
            if ((wp & 0xFFF0) == SC_RESTORE && app.FMainForm) {
                if (::IsIconic(app.FMainForm->Handle())) ::ShowWindow(app.FMainForm->Handle(), SW_RESTORE);
                return 0;
            }
            break;
        case WM_ACTIVATE:
            // Activating the hidden window (as another instance does) brings
            // the main form forward instead.
            if (LOWORD(wp) != WA_INACTIVE && app.FMainForm && ::IsWindowVisible(app.FMainForm->Handle())) {
                HWND main = app.FMainForm->Handle();
                if (::IsIconic(main)) ::ShowWindow(main, SW_RESTORE);
                ::SetForegroundWindow(main);
                ::SetActiveWindow(main);
                return 0;
            }
            break;
        }
    } catch (...) {
        ReportCaughtException();
    }
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

} // namespace vtx
