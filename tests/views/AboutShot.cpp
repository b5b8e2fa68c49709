// Holds the about box on screen for the screenshot that `vantrel.sh run`
// takes on a virtual display; the box closes by itself after the given
// milliseconds (default 6000).
#include <windows.h>
#include <cwchar>
#include "toolkit/Application.h"
#include "views/KbxViewAbout.h"
#include "views/ViewsTestSupport.h"

namespace {

void CALLBACK Close(HWND, UINT, UINT_PTR, DWORD) noexcept {
    if (auto* box = dynamic_cast<vtx::TfrmAbout*>(vtx::TControl::FromHandle(::FindWindowW(L"TfrmAbout", nullptr))))
        box->ModalResult = 1;
}

void CALLBACK RestTheLinks(HWND, UINT, UINT_PTR, DWORD) noexcept {
    // The display's pointer may rest on a link: put the links at rest.
    if (auto* box = dynamic_cast<vtx::TfrmAbout*>(vtx::TControl::FromHandle(::FindWindowW(L"TfrmAbout", nullptr))))
        vtest::MouseMove(box->AboutPanel->Handle(), 1, 1);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    UINT holdMs = argc > 1 ? static_cast<UINT>(std::wcstoul(argv[1], nullptr, 10)) : 6000;
    vtx::Application().SetTitle(L"Vantrel");
    vtest::MainForm();
    ::SetTimer(nullptr, 0, 200, RestTheLinks);
    ::SetTimer(nullptr, 0, holdMs, Close);
    vtx::ShowAboutBox(2002);
    return 0;
}
